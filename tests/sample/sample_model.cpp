#include "sample_model.h"

namespace cv::sample {

CV_XML_PROPERTIES(File) {
  return {Published("Src", &File::Src), Published("Dst", &File::Dst),
          Published("Condition", &File::Condition), Published("Size", &File::Size),
          Published("Flags", &File::Flags)};
}

const XmlClass* Files::GetItemClass(std::string_view name) const {
  return name == "file" ? &File::StaticClass() : nullptr;
}
std::string Files::GetItemTagName(const XmlClass&) const { return "file"; }
CV_XML_PROPERTIES(Files) { return {}; }

CV_XML_PROPERTIES(Component) {
  return {Published("ID", &Component::ID),
          Published("Dst", &Component::Dst),
          Published("Attributes", &Component::Attributes),
          Published("Required", &Component::Required),
          Published("Drive", &Component::Drive),
          Published("Items", &Component::Items)};
}

const XmlClass* Components::GetItemClass(std::string_view name) const {
  return name == "component" ? &Component::StaticClass() : nullptr;
}
std::string Components::GetItemTagName(const XmlClass&) const { return "component"; }
CV_XML_PROPERTIES(Components) { return {}; }

CV_XML_PROPERTIES(Feature) {
  return {Published("ID", &Feature::ID), Published("Title", &Feature::Title),
          Published("Selected", &Feature::Selected), Published("Children", &Feature::Children),
          Published("Custom", &Feature::Custom)};
}

const XmlClass* Features::GetItemClass(std::string_view name) const {
  return name == "feature" ? &Feature::StaticClass() : nullptr;
}
std::string Features::GetItemTagName(const XmlClass&) const { return "feature"; }
CV_XML_PROPERTIES(Features) { return {}; }

std::string Variable::GetEnumPrefix(std::string_view propName) const {
  return propName == "type" ? "vt" : "";
}
std::string Variable::XMLToPropName(std::string_view name, bool isChild) const {
  if (!isChild && name == "paramtype") return "type";
  return std::string(name);
}
CV_XML_PROPERTIES(Variable) {
  return {Published("Name", &Variable::Name), Published("Value", &Variable::Value),
          Published("Type", &Variable::Type)};
}

const XmlClass& Variables::GetParamClass() const { return Variable::StaticClass(); }
const XmlClass* Variables::GetItemClass(std::string_view name) const {
  return name == "variable" ? &Variable::StaticClass() : nullptr;
}
std::string Variables::GetItemTagName(const XmlClass&) const { return "variable"; }
CV_XML_PROPERTIES(Variables) { return {}; }

std::string Product::PropToXMLName(std::string_view name, bool isChild) const {
  if (isChild && name == "featurelist") return "features";
  if (isChild && name == "componentlist") return "components";
  if (isChild && name == "variablelist") return "variables";
  return std::string(name);
}
std::string Product::XMLToPropName(std::string_view name, bool isChild) const {
  if (isChild && name == "features") return "FeatureList";
  if (isChild && name == "components") return "ComponentList";
  if (isChild && name == "variables") return "VariableList";
  return std::string(name);
}
CV_XML_PROPERTIES(Product) {
  return {Published("AppName", &Product::AppName),
          Published("Version", &Product::Version),
          Published("Build", &Product::Build),
          Published("FeatureList", &Product::FeatureList),
          Published("ComponentList", &Product::ComponentList),
          Published("VariableList", &Product::VariableList)};
}

}  // namespace cv::sample
