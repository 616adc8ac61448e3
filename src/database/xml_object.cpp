#include "database/xml_object.h"

#include "database/xml_object_list.h"
#include "database/xml_value_text.h"
#include "platform/case_map.h"

namespace cv {

namespace {

// Restores Merging to false however Merge ends.
class MergingScope {
 public:
  explicit MergingScope(TXMLObject& object) : object_(object) { object_.Merging = true; }
  ~MergingScope() { object_.Merging = false; }
  MergingScope(const MergingScope&) = delete;
  MergingScope& operator=(const MergingScope&) = delete;

 private:
  TXMLObject& object_;
};

}  // namespace

const XmlClass& TXMLObject::StaticClass() {
  static XmlClass::Cache cache;
  static const XmlClass info{"TXMLObject", nullptr,
                             [](TXMLObject* owner) -> std::unique_ptr<TXMLObject> {
                               return CreateXmlObject<TXMLObject>(owner);
                             },
                             nullptr, &cache};
  return info;
}

std::string TXMLObject::PropertyText(const XmlProperty& property, std::string_view prefix) const {
  switch (property.Kind) {
    case PropKind::Integer:
      return property.GetInt ? IntegerToText(static_cast<std::int32_t>(property.GetInt(*this)))
                             : "";
    case PropKind::Character:
      return property.GetInt ? CharacterToText(static_cast<char>(property.GetInt(*this))) : "";
    case PropKind::Boolean:
      return property.GetInt ? BooleanToText(property.GetInt(*this) != 0) : "";
    case PropKind::Enumeration:
      return property.GetInt
                 ? EnumToText(static_cast<int>(property.GetInt(*this)), prefix, property.EnumNames)
                 : "";
    case PropKind::Set:
      return property.GetInt ? SetToText(static_cast<std::uint32_t>(property.GetInt(*this)), prefix,
                                         property.EnumNames)
                             : "";
    case PropKind::Float: return property.GetFloat ? FloatToText(property.GetFloat(*this)) : "";
    case PropKind::String: return property.GetString ? property.GetString(*this) : "";
    case PropKind::Object:
    case PropKind::Tag: return "";
  }
  return "";
}

void TXMLObject::SetPropertyFromText(const XmlProperty& property, std::string_view text,
                                     std::string_view prefix) {
  if (!property.HasSetter()) return;
  switch (property.Kind) {
    case PropKind::Integer: property.SetInt(*this, IntegerFromText(text)); break;
    case PropKind::Character: property.SetInt(*this, CharacterFromText(text)); break;
    case PropKind::Boolean: property.SetInt(*this, BooleanFromText(text) ? 1 : 0); break;
    case PropKind::Enumeration:
      property.SetInt(*this, EnumFromText(text, prefix, property.EnumNames));
      break;
    case PropKind::Set:
      property.SetInt(*this, SetFromText(text, prefix, property.EnumNames));
      break;
    case PropKind::Float: property.SetFloat(*this, FloatFromText(text)); break;
    case PropKind::String: property.SetString(*this, std::string(text)); break;
    case PropKind::Object:
    case PropKind::Tag: break;
  }
}

std::string TXMLObject::GetPropText(std::string_view name) const {
  const XmlProperty* property = Class().FindProperty(name);
  if (!property || !IsSimpleKind(property->Kind)) return {};
  return PropertyText(*property, GetEnumPrefix(LowerAscii(property->Name)));
}

bool TXMLObject::SetPropText(std::string_view name, std::string_view text) {
  const XmlProperty* property = Class().FindProperty(name);
  if (!property || !IsSimpleKind(property->Kind) || !property->HasSetter()) return false;
  SetPropertyFromText(*property, text, GetEnumPrefix(LowerAscii(property->Name)));
  return true;
}

void TXMLObject::AssignTo(TXMLTag& dest) const {
  dest.Kind = XmlKind::xkElement;
  SaveAttributes(dest);
  SaveChildren(dest);
}

void TXMLObject::Assign(const TXMLTag& source) {
  Column = source.Column;
  Line = source.Line;
  if (!Merging) {
    Clear();
    CreateLists();
  }
  for (const std::string& line : source.Attributes) SetAttribute(line);
  for (const auto& child : source.Children()) {
    if (child->Kind == XmlKind::xkElement) LoadChild(*child);
  }
}

void TXMLObject::Assign(const TXMLObject& source) {
  TXMLTag tag;
  source.AssignTo(tag);
  Assign(tag);
}

void TXMLObject::SetAttribute(std::string_view line) {
  const auto equals = line.find('=');
  const std::string attribute = LowerAscii(line.substr(0, equals));
  const std::string value =
      equals == std::string_view::npos ? std::string() : std::string(line.substr(equals + 1));
  const std::string propName = LowerAscii(XMLToPropName(attribute, false));
  const XmlProperty* property = Class().FindProperty(propName);
  if (!property || !IsSimpleKind(property->Kind)) return;
  SetPropertyFromText(*property, value, GetEnumPrefix(propName));
}

bool TXMLObject::LoadChild(const TXMLTag& element) {
  const std::string propName = XMLToPropName(element.Name(), true);
  const XmlProperty* property = Class().FindProperty(propName);
  if (!property) return false;
  if (property->Kind == PropKind::Object) {
    if (!property->GetObject || !property->SetObject) return false;
    TXMLObject* child = property->GetObject(*this);
    bool createdNow = false;
    if (!child) {
      property->SetObject(*this, property->ChildClass->Create(this));
      child = property->GetObject(*this);
      createdNow = true;
    }
    if (!child->CanLoad(element)) {
      if (createdNow) property->SetObject(*this, nullptr);
      return false;
    }
    child->BeforeLoad(element);
    if (Merging) {
      child->Merge(element);
    } else {
      child->Assign(element);
    }
    return true;
  }
  if (property->Kind == PropKind::Tag) {
    if (!property->GetTag || !property->SetTag) return false;
    if (!property->GetTag(*this)) property->SetTag(*this, std::make_unique<TXMLTag>());
    property->GetTag(*this)->Assign(element);
    return true;
  }
  return false;
}

void TXMLObject::SaveAttributes(TXMLTag& element) const {
  for (const XmlProperty* property : Class().Properties()) {
    if (IsSimpleKind(property->Kind)) SaveAttribute(LowerAscii(property->Name), element);
  }
}

void TXMLObject::SaveAttribute(std::string_view propName, TXMLTag& element) const {
  const XmlProperty* property = Class().FindProperty(propName);
  if (!property || !IsSimpleKind(property->Kind)) return;
  const std::string prefix = GetEnumPrefix(propName);
  std::string value = PropertyText(*property, prefix);
  if (property->Kind != PropKind::String) {
    // A value equal to the class's initial value is not written.
    if (propName == LowerAscii(property->Name)) {
      if (const std::string* initial = Class().InitialText(*property); initial && *initial == value) {
        value.clear();
      }
    } else if (const TXMLObject* fresh = Class().Prototype();
               fresh && fresh->PropertyText(*property, fresh->GetEnumPrefix(propName)) == value) {
      value.clear();
    }
  }
  if (value.empty()) return;
  if (property->Kind == PropKind::Enumeration || property->Kind == PropKind::Set) {
    value = LowerAscii(value);
  }
  element.Attributes.push_back(LowerAscii(PropToXMLName(propName, false)) + "=" + value);
}

void TXMLObject::SaveChildren(TXMLTag& element) const {
  for (const XmlProperty* property : Class().Properties()) {
    if (property->Kind == PropKind::Object && property->GetObject) {
      const TXMLObject* child = property->GetObject(*this);
      if (!child) continue;
      if (const auto* list = dynamic_cast<const TXMLObjectList*>(child);
          list && list->Count() == 0) {
        continue;
      }
      auto tag = std::make_unique<TXMLTag>();
      tag->SetName(PropToXMLName(LowerAscii(property->Name), true));
      if (!child->CanSave(*tag)) continue;
      child->BeforeSave(*tag);
      child->AssignTo(*tag);
      element.Children().Add(std::move(tag));
    } else if (property->Kind == PropKind::Tag && property->GetTag) {
      const TXMLTag* stored = property->GetTag(*this);
      if (!stored) continue;
      auto copy = std::make_unique<TXMLTag>();
      copy->Assign(*stored);
      element.Children().Add(std::move(copy));
    }
  }
}

void TXMLObject::BeforeLoad(const TXMLTag&) {}
void TXMLObject::BeforeSave(TXMLTag&) const {}

std::string TXMLObject::XMLToPropName(std::string_view name, bool) const {
  return std::string(name);
}
std::string TXMLObject::PropToXMLName(std::string_view name, bool) const {
  return std::string(name);
}
std::string TXMLObject::GetEnumPrefix(std::string_view) const { return {}; }
bool TXMLObject::CanLoad(const TXMLTag&) const { return true; }
bool TXMLObject::CanSave(const TXMLTag&) const { return true; }

void TXMLObject::Clear() {
  for (const XmlProperty* property : Class().Properties()) {
    if (IsSimpleKind(property->Kind)) SetPropertyFromText(*property, "", "");
  }
  FreeChildren();
}

void TXMLObject::CreateLists() {
  for (const XmlProperty* property : Class().Properties()) {
    if (property->Kind != PropKind::Object || !property->GetObject || !property->SetObject)
      continue;
    if (!property->ChildClass->InheritsFrom(TXMLObjectList::StaticClass())) continue;
    if (!property->GetObject(*this)) property->SetObject(*this, property->ChildClass->Create(this));
  }
}

void TXMLObject::Merge(const TXMLTag& source) {
  MergingScope merging(*this);
  Assign(source);
}

void TXMLObject::Merge(const TXMLObject& source) {
  MergingScope merging(*this);
  Assign(source);
}

bool TXMLObject::LoadFromFile(const std::string& fileName, std::string_view rootName) {
  TXMLTag tag;
  if (!tag.LoadFromFile(fileName)) return false;
  if (tag.Kind != XmlKind::xkElement) return false;
  if (!rootName.empty() && !SameTextNoCase(tag.Name(), rootName)) return false;
  Assign(tag);
  return true;
}

bool TXMLObject::SaveToFile(const std::string& fileName, std::string_view rootName) const {
  TXMLTag tag;
  tag.SetName(rootName);
  AssignTo(tag);
  return tag.SaveToFile(fileName);
}

void TXMLObject::LoadFromString(std::string_view text, std::string_view rootName) {
  TXMLTag tag;
  tag.Parse(text);
  if (tag.Kind != XmlKind::xkElement) return;
  if (!rootName.empty() && !SameTextNoCase(tag.Name(), rootName)) return;
  Assign(tag);
}

void TXMLObject::Reset() {
  Clear();
  CreateLists();
}

void TXMLObject::FreeChildren() {
  for (const XmlProperty* property : Class().Properties()) {
    if (property->Kind == PropKind::Object && property->SetObject) {
      property->SetObject(*this, nullptr);
    } else if (property->Kind == PropKind::Tag && property->SetTag) {
      property->SetTag(*this, nullptr);
    }
  }
}

}  // namespace cv
