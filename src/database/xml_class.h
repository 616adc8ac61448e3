#pragma once
// Run-time descriptions of the classes whose objects are stored as XML: for
// each class its name, its base, how to create one, and its published
// properties. The binding (TXMLObject) reads and writes objects through these
// descriptions only, so a class declares its properties once and writes no
// reading or writing code.
//
// A class declares itself with CV_XML_CLASS inside its body and lists its
// published properties with CV_XML_PROPERTIES in its source file:
//
//   class TcvShortcut : public TcvConditionObject {
//     CV_XML_CLASS(TcvShortcut, TcvConditionObject)
//    public:
//     std::string Name;
//     TcvShowCmd ShowCmd = TcvShowCmd::scNormal;
//   };
//
//   CV_XML_PROPERTIES(TcvShortcut) {
//     return {Published("Name", &TcvShortcut::Name),
//             Published("ShowCmd", &TcvShortcut::ShowCmd)};
//   }
//
// The kind of each property follows from the member's type: std::int32_t,
// char, bool, double, std::string, an enumeration with CV_XML_ENUM names, an
// EnumSet of one, std::unique_ptr to a TXMLObject class, or
// std::unique_ptr<TXMLTag>. A property may instead be given a getter and a
// setter (member functions); without a setter it is not read from XML.
//
// Published properties start at their zero values (0, false, the first
// enumeration value, the empty set, ""): loading clears an object to zero
// values, and writing leaves out values equal to a new object's, so a
// property whose initial value were not zero would not survive a round trip.
// A class that needs another initial value sets it in CreateLists, which runs
// when the object is made and after every clear.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "database/xml_enum.h"
#include "database/xml_tag.h"

namespace cv {

class TXMLObject;
struct XmlClass;

enum class PropKind {
  Integer,
  Character,
  Boolean,
  Enumeration,
  Set,
  Float,
  String,
  Object,  // a TXMLObject descendant
  Tag,     // a TXMLTag
};

// Whether values of this kind are written as attributes.
constexpr bool IsSimpleKind(PropKind kind) {
  return kind != PropKind::Object && kind != PropKind::Tag;
}

// One published property. Simple values travel through their raw form: an
// integer (Integer, Character, Boolean, Enumeration ordinal, Set mask), a
// double or a string; child objects and tags through pointers.
struct XmlProperty {
  std::string_view Name;
  PropKind Kind = PropKind::Integer;
  std::span<const std::string_view> EnumNames;  // Enumeration and Set
  const XmlClass* ChildClass = nullptr;         // Object

  std::function<std::int64_t(const TXMLObject&)> GetInt;
  std::function<void(TXMLObject&, std::int64_t)> SetInt;
  std::function<double(const TXMLObject&)> GetFloat;
  std::function<void(TXMLObject&, double)> SetFloat;
  std::function<std::string(const TXMLObject&)> GetString;
  std::function<void(TXMLObject&, std::string)> SetString;
  std::function<TXMLObject*(const TXMLObject&)> GetObject;
  std::function<void(TXMLObject&, std::unique_ptr<TXMLObject>)> SetObject;
  std::function<TXMLTag*(const TXMLObject&)> GetTag;
  std::function<void(TXMLObject&, std::unique_ptr<TXMLTag>)> SetTag;

  bool HasSetter() const;
};

struct XmlClass {
  std::string_view Name;
  const XmlClass* Base = nullptr;
  std::unique_ptr<TXMLObject> (*Create)(TXMLObject* owner) = nullptr;
  std::vector<XmlProperty> (*DeclareProperties)() = nullptr;

  // This class's and its bases' properties, sorted by name with ASCII letters
  // folded to upper case.
  const std::vector<const XmlProperty*>& Properties() const;
  // The property of that name, ignoring case; null when there is none.
  const XmlProperty* FindProperty(std::string_view name) const;
  bool InheritsFrom(const XmlClass& other) const;

  // An object as created, never changed: the initial values that are not
  // written to XML. Null for a class that cannot be created.
  const TXMLObject* Prototype() const;
  // The prototype's value text of a property of this class that is compared
  // before writing (every simple kind but strings), with the enumeration
  // prefix of its lower-case name; null for other properties or without a
  // prototype. Worked out once per class, so writing objects does not
  // convert the initial values again for each object.
  const std::string* InitialText(const XmlProperty& property) const;

  struct Cache {
    std::once_flag Once;
    std::vector<XmlProperty> Own;
    std::vector<const XmlProperty*> Sorted;
    std::once_flag PrototypeOnce;
    std::unique_ptr<TXMLObject> Prototype;
    std::once_flag InitialTextsOnce;
    std::unordered_map<const XmlProperty*, std::string> InitialTexts;
  };
  Cache* PropertyCache = nullptr;
};

// --- Declaring properties ---------------------------------------------------

namespace xml_detail {

template <typename T>
struct IsUniquePtr : std::false_type {};
template <typename T>
struct IsUniquePtr<std::unique_ptr<T>> : std::true_type {
  using Element = T;
};

template <typename T>
struct IsEnumSet : std::false_type {};
template <typename E>
struct IsEnumSet<EnumSet<E>> : std::true_type {
  using Element = E;
};

template <typename Owner>
Owner& As(TXMLObject& object) {
  return static_cast<Owner&>(object);
}
template <typename Owner>
const Owner& As(const TXMLObject& object) {
  return static_cast<const Owner&>(object);
}

// Fills the accessors of `property` for a value of type V reached through
// `get` and `set` (set may be empty).
template <typename Owner, typename V, typename Get, typename Set>
void Bind(XmlProperty& property, Get get, Set set, bool hasSetter);

}  // namespace xml_detail

// A property held in a data member.
template <typename Owner, typename V>
XmlProperty Published(std::string_view name, V Owner::*member);

// A property read and written through member functions; `setter` may be
// nullptr for a read-only property.
template <typename Owner, typename V>
XmlProperty Published(std::string_view name, V (Owner::*getter)() const, void (Owner::*setter)(V));
// A read-only property: written to XML, never read from it.
template <typename Owner, typename V>
XmlProperty Published(std::string_view name, V (Owner::*getter)() const);
template <typename Owner, typename V>
XmlProperty Published(std::string_view name, V (Owner::*getter)() const,
                      void (Owner::*setter)(const V&));

// Declares the class inside its body: its description, its virtual
// constructor and its class query.
#define CV_XML_CLASS(Type, BaseType)                                     \
 public:                                                                 \
  using Base = BaseType;                                                 \
  static const ::cv::XmlClass& StaticClass();                            \
  const ::cv::XmlClass& Class() const override { return StaticClass(); } \
  static std::unique_ptr<Type> New(::cv::TXMLObject* owner = nullptr) {  \
    return ::cv::CreateXmlObject<Type>(owner);                           \
  }                                                                      \
  static std::vector<::cv::XmlProperty> DeclareXmlProperties();          \
                                                                         \
 private:

// Defines the class description and starts the body of the function that
// lists the class's own published properties.
#define CV_XML_PROPERTIES(Type)                                            \
  const ::cv::XmlClass& Type::StaticClass() {                              \
    static ::cv::XmlClass::Cache cache;                                    \
    static const ::cv::XmlClass info{                                      \
        #Type, &Type::Base::StaticClass(),                                 \
        [](::cv::TXMLObject* owner) -> std::unique_ptr<::cv::TXMLObject> { \
          return ::cv::CreateXmlObject<Type>(owner);                       \
        },                                                                 \
        &Type::DeclareXmlProperties, &cache};                              \
    return info;                                                           \
  }                                                                        \
  std::vector<::cv::XmlProperty> Type::DeclareXmlProperties()

// Creates an object the way every object of the model is created: with its
// owner, and with all its list-typed children.
template <typename T>
std::unique_ptr<T> CreateXmlObject(TXMLObject* owner);

}  // namespace cv

#include "database/xml_class_impl.h"
