#pragma once
// Template parts of xml_class.h; included at its end.

#include "database/xml_object.h"

namespace cv {

template <typename T>
std::unique_ptr<T> CreateXmlObject(TXMLObject* owner) {
  auto object = std::make_unique<T>(owner);
  object->CreateLists();
  return object;
}

namespace xml_detail {

template <typename Owner, typename V, typename Get, typename Set>
void Bind(XmlProperty& property, Get get, Set set, bool hasSetter) {
  if constexpr (std::is_same_v<V, std::int32_t> || std::is_same_v<V, char> ||
                std::is_same_v<V, bool>) {
    property.Kind = std::is_same_v<V, bool>   ? PropKind::Boolean
                    : std::is_same_v<V, char> ? PropKind::Character
                                              : PropKind::Integer;
    property.GetInt = [get](const TXMLObject& o) {
      return static_cast<std::int64_t>(get(As<Owner>(o)));
    };
    if (hasSetter) {
      property.SetInt = [set](TXMLObject& o, std::int64_t v) {
        set(As<Owner>(o), static_cast<V>(v));
      };
    }
  } else if constexpr (XmlEnum<V>) {
    property.Kind = PropKind::Enumeration;
    property.EnumNames = XmlEnumNames<V>::Names();
    property.GetInt = [get](const TXMLObject& o) {
      return static_cast<std::int64_t>(get(As<Owner>(o)));
    };
    if (hasSetter) {
      property.SetInt = [set](TXMLObject& o, std::int64_t v) {
        set(As<Owner>(o), static_cast<V>(v));
      };
    }
  } else if constexpr (IsEnumSet<V>::value) {
    property.Kind = PropKind::Set;
    property.EnumNames = XmlEnumNames<typename IsEnumSet<V>::Element>::Names();
    property.GetInt = [get](const TXMLObject& o) {
      return static_cast<std::int64_t>(get(As<Owner>(o)).Mask());
    };
    if (hasSetter) {
      property.SetInt = [set](TXMLObject& o, std::int64_t v) {
        set(As<Owner>(o), V::FromMask(static_cast<std::uint32_t>(v)));
      };
    }
  } else if constexpr (std::is_same_v<V, double>) {
    property.Kind = PropKind::Float;
    property.GetFloat = [get](const TXMLObject& o) { return get(As<Owner>(o)); };
    if (hasSetter) {
      property.SetFloat = [set](TXMLObject& o, double v) { set(As<Owner>(o), v); };
    }
  } else if constexpr (std::is_same_v<V, std::string>) {
    property.Kind = PropKind::String;
    property.GetString = [get](const TXMLObject& o) { return std::string(get(As<Owner>(o))); };
    if (hasSetter) {
      property.SetString = [set](TXMLObject& o, std::string v) { set(As<Owner>(o), std::move(v)); };
    }
  } else {
    static_assert(sizeof(V) == 0, "this type cannot be a published property");
  }
}

}  // namespace xml_detail

template <typename Owner, typename V>
XmlProperty Published(std::string_view name, V Owner::*member) {
  XmlProperty property;
  property.Name = name;
  if constexpr (xml_detail::IsUniquePtr<V>::value) {
    using Child = typename xml_detail::IsUniquePtr<V>::Element;
    if constexpr (std::is_same_v<Child, TXMLTag>) {
      property.Kind = PropKind::Tag;
      property.GetTag = [member](const TXMLObject& o) {
        return (xml_detail::As<Owner>(o).*member).get();
      };
      property.SetTag = [member](TXMLObject& o, std::unique_ptr<TXMLTag> tag) {
        xml_detail::As<Owner>(o).*member = std::move(tag);
      };
    } else {
      static_assert(std::is_base_of_v<TXMLObject, Child>, "child objects derive from TXMLObject");
      property.Kind = PropKind::Object;
      property.ChildClass = &Child::StaticClass();
      property.GetObject = [member](const TXMLObject& o) -> TXMLObject* {
        return (xml_detail::As<Owner>(o).*member).get();
      };
      property.SetObject = [member](TXMLObject& o, std::unique_ptr<TXMLObject> child) {
        // The description's class guarantees the dynamic type.
        (xml_detail::As<Owner>(o).*member).reset(static_cast<Child*>(child.release()));
      };
    }
  } else {
    xml_detail::Bind<Owner, V>(
        property, [member](const Owner& o) -> const V& { return o.*member; },
        [member](Owner& o, V v) { o.*member = std::move(v); }, true);
  }
  return property;
}

template <typename Owner, typename V>
XmlProperty Published(std::string_view name, V (Owner::*getter)() const, void (Owner::*setter)(V)) {
  XmlProperty property;
  property.Name = name;
  xml_detail::Bind<Owner, V>(
      property, [getter](const Owner& o) { return (o.*getter)(); },
      [setter](Owner& o, V v) { (o.*setter)(std::move(v)); }, setter != nullptr);
  return property;
}

template <typename Owner, typename V>
XmlProperty Published(std::string_view name, V (Owner::*getter)() const) {
  XmlProperty property;
  property.Name = name;
  xml_detail::Bind<Owner, V>(
      property, [getter](const Owner& o) { return (o.*getter)(); }, [](Owner&, V) {}, false);
  return property;
}

template <typename Owner, typename V>
XmlProperty Published(std::string_view name, V (Owner::*getter)() const,
                      void (Owner::*setter)(const V&)) {
  XmlProperty property;
  property.Name = name;
  xml_detail::Bind<Owner, V>(
      property, [getter](const Owner& o) { return (o.*getter)(); },
      [setter](Owner& o, V v) { (o.*setter)(v); }, setter != nullptr);
  return property;
}

}  // namespace cv
