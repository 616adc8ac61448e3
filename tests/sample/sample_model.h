#pragma once
// A small product model in the shape of the installer's project documents
// (features holding features, components holding files, registry values,
// variables), declared the way the real model declares its classes. The
// fuzzer and the benchmark bind documents to it.

#include <cstdint>
#include <memory>
#include <string>

#include "database/xml_object.h"
#include "database/xml_object_list.h"
#include "database/xml_param_list.h"

namespace cv {

enum class SampleFlag { dont_log, no_version, reg_server, reg_font, dont_ask, shared };
CV_XML_ENUM(SampleFlag, "dont_log", "no_version", "reg_server", "reg_font", "dont_ask", "shared");

enum class SampleValueType { vtString, vtInteger, vtBoolean, vtPath };
CV_XML_ENUM(SampleValueType, "vtString", "vtInteger", "vtBoolean", "vtPath");

namespace sample {

class File : public TXMLObject {
  CV_XML_CLASS(File, TXMLObject)

 public:
  using TXMLObject::TXMLObject;
  std::string Src;
  std::string Dst;
  std::string Condition;
  double Size = 0;
  EnumSet<SampleFlag> Flags;
};

class Files : public TXMLObjectList {
  CV_XML_CLASS(Files, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  const XmlClass* GetItemClass(std::string_view name) const override;
  std::string GetItemTagName(const XmlClass& itemClass) const override;
};

class Component : public TXMLObject {
  CV_XML_CLASS(Component, TXMLObject)

 public:
  using TXMLObject::TXMLObject;
  std::string ID;
  std::string Dst;
  std::int32_t Attributes = 0;
  bool Required = false;
  char Drive = 0;
  std::unique_ptr<Files> Items;
};

class Components : public TXMLObjectList {
  CV_XML_CLASS(Components, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  const XmlClass* GetItemClass(std::string_view name) const override;
  std::string GetItemTagName(const XmlClass& itemClass) const override;
};

class Features;

class Feature : public TXMLObject {
  CV_XML_CLASS(Feature, TXMLObject)

 public:
  using TXMLObject::TXMLObject;
  std::string ID;
  std::string Title;
  bool Selected = false;
  std::unique_ptr<Features> Children;
  std::unique_ptr<TXMLTag> Custom;
};

class Features : public TXMLObjectList {
  CV_XML_CLASS(Features, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  const XmlClass* GetItemClass(std::string_view name) const override;
  std::string GetItemTagName(const XmlClass& itemClass) const override;
};

class Variable : public TXMLObject {
  CV_XML_CLASS(Variable, TXMLObject)

 public:
  using TXMLObject::TXMLObject;
  std::string Name;
  std::string Value;
  SampleValueType Type = SampleValueType::vtString;

  std::string GetEnumPrefix(std::string_view propName) const override;
  // "paramtype" is accepted for "type".
  std::string XMLToPropName(std::string_view name, bool isChild) const override;
};

class Variables : public TXMLParamList {
  CV_XML_CLASS(Variables, TXMLParamList)

 public:
  using TXMLParamList::TXMLParamList;
  const XmlClass& GetParamClass() const override;
  const XmlClass* GetItemClass(std::string_view name) const override;
  std::string GetItemTagName(const XmlClass& itemClass) const override;
};

class Product : public TXMLObject {
  CV_XML_CLASS(Product, TXMLObject)

 public:
  using TXMLObject::TXMLObject;
  std::string AppName;
  std::string Version;
  std::int32_t Build = 0;
  std::unique_ptr<Features> FeatureList;
  std::unique_ptr<Components> ComponentList;
  std::unique_ptr<Variables> VariableList;

  std::string PropToXMLName(std::string_view name, bool isChild) const override;
  std::string XMLToPropName(std::string_view name, bool isChild) const override;
};

}  // namespace sample
}  // namespace cv
