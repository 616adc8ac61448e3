#pragma once
// The base of every persistent object: filled from a tag tree and written back
// to one through its class's published properties (see xml_class.h).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "database/xml_class.h"
#include "database/xml_tag.h"

namespace cv {

class TXMLObject {
 public:
  // Use CreateXmlObject<T>(owner) (or T::New) to make objects: it also
  // creates their lists, which a constructor cannot do through virtual calls.
  explicit TXMLObject(TXMLObject* owner = nullptr) : Owner(owner) {}
  TXMLObject(const TXMLObject&) = delete;
  TXMLObject& operator=(const TXMLObject&) = delete;
  virtual ~TXMLObject() = default;

  static const XmlClass& StaticClass();
  virtual const XmlClass& Class() const { return StaticClass(); }

  bool Merging = false;         // true only while Merge fills the object
  TXMLObject* Owner = nullptr;  // the object that created this one; not owned
  std::int32_t Column = 0;      // of the element last loaded from
  std::int32_t Line = 0;

  // Writes the object into `dest` (an element): attributes and children are
  // appended to what the tag has; its name is left as the caller set it.
  virtual void AssignTo(TXMLTag& dest) const;
  // Loads the object from an element: cleared first unless merging.
  virtual void Assign(const TXMLTag& source);
  // Copies another object through its XML form.
  virtual void Assign(const TXMLObject& source);

  virtual void SetAttribute(std::string_view line);
  virtual bool LoadChild(const TXMLTag& element);
  virtual void SaveAttributes(TXMLTag& element) const;
  virtual void SaveAttribute(std::string_view propName, TXMLTag& element) const;
  virtual void SaveChildren(TXMLTag& element) const;
  virtual void BeforeLoad(const TXMLTag& element);
  virtual void BeforeSave(TXMLTag& element) const;
  // Attribute (isChild false) or child element name to property name, and back
  // (given the lower-cased property name).
  virtual std::string XMLToPropName(std::string_view name, bool isChild) const;
  virtual std::string PropToXMLName(std::string_view name, bool isChild) const;
  // Prefix of the enumeration value names of a property (lower-cased name).
  virtual std::string GetEnumPrefix(std::string_view propName) const;
  virtual bool CanLoad(const TXMLTag& element) const;
  virtual bool CanSave(const TXMLTag& element) const;
  // Every simple property to its zero value, every child object freed.
  virtual void Clear();
  // Creates every missing list-typed child object.
  virtual void CreateLists();

  // Assign with Merging set: present attributes overwrite, lists keep items.
  void Merge(const TXMLTag& source);
  void Merge(const TXMLObject& source);

  // False when the file cannot be read, its root is not an element, or its
  // name differs from `rootName` (when given). Parse errors propagate.
  bool LoadFromFile(const std::string& fileName, std::string_view rootName);
  bool SaveToFile(const std::string& fileName, std::string_view rootName) const;
  // Loads when the text's root element has that name (or `rootName` is empty).
  void LoadFromString(std::string_view text, std::string_view rootName);

  void Reset();
  void FreeChildren();

  // A simple property's value as attribute text ("" when there is no such
  // property), and setting it from text.
  std::string GetPropText(std::string_view name) const;
  bool SetPropText(std::string_view name, std::string_view text);

 protected:
  // Keeps the prototype's value texts (XmlClass::InitialText).
  friend struct XmlClass;
  // The text form of `property`'s value, with `prefix` for enumerations.
  std::string PropertyText(const XmlProperty& property, std::string_view prefix) const;
  void SetPropertyFromText(const XmlProperty& property, std::string_view text,
                           std::string_view prefix);
};

}  // namespace cv
