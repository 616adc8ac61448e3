#include "database/xml_class.h"

#include <algorithm>

#include "database/xml_object.h"
#include "platform/case_map.h"

namespace cv {

namespace {

// Property order: byte by byte with ASCII letters folded to upper case.
bool NameLess(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    auto fold = [](char c) { return static_cast<unsigned char>(UpperAscii(c)); };
    if (fold(a[i]) != fold(b[i])) return fold(a[i]) < fold(b[i]);
  }
  return a.size() < b.size();
}

}  // namespace

bool XmlProperty::HasSetter() const {
  switch (Kind) {
    case PropKind::Float: return static_cast<bool>(SetFloat);
    case PropKind::String: return static_cast<bool>(SetString);
    case PropKind::Object: return static_cast<bool>(SetObject);
    case PropKind::Tag: return static_cast<bool>(SetTag);
    default: return static_cast<bool>(SetInt);
  }
}

const std::vector<const XmlProperty*>& XmlClass::Properties() const {
  static const std::vector<const XmlProperty*> kNone;
  if (!PropertyCache) return kNone;
  std::call_once(PropertyCache->Once, [this] {
    if (DeclareProperties) PropertyCache->Own = DeclareProperties();
    std::vector<const XmlProperty*> all;
    if (Base) all = Base->Properties();
    for (const XmlProperty& own : PropertyCache->Own) {
      // A class may publish again a property of its base with other accessors.
      std::erase_if(all, [&](const XmlProperty* p) { return SameTextNoCase(p->Name, own.Name); });
      all.push_back(&own);
    }
    std::stable_sort(all.begin(), all.end(), [](const XmlProperty* a, const XmlProperty* b) {
      return NameLess(a->Name, b->Name);
    });
    PropertyCache->Sorted = std::move(all);
  });
  return PropertyCache->Sorted;
}

const XmlProperty* XmlClass::FindProperty(std::string_view name) const {
  for (const XmlProperty* property : Properties()) {
    if (SameTextNoCase(property->Name, name)) return property;
  }
  return nullptr;
}

const TXMLObject* XmlClass::Prototype() const {
  if (!PropertyCache || !Create) return nullptr;
  std::call_once(PropertyCache->PrototypeOnce,
                 [this] { PropertyCache->Prototype = Create(nullptr); });
  return PropertyCache->Prototype.get();
}

const std::string* XmlClass::InitialText(const XmlProperty& property) const {
  const TXMLObject* prototype = Prototype();
  if (!prototype) return nullptr;
  std::call_once(PropertyCache->InitialTextsOnce, [this, prototype] {
    for (const XmlProperty* each : Properties()) {
      if (!IsSimpleKind(each->Kind) || each->Kind == PropKind::String) continue;
      PropertyCache->InitialTexts.emplace(
          each, prototype->PropertyText(*each, prototype->GetEnumPrefix(LowerAscii(each->Name))));
    }
  });
  const auto found = PropertyCache->InitialTexts.find(&property);
  return found == PropertyCache->InitialTexts.end() ? nullptr : &found->second;
}

bool XmlClass::InheritsFrom(const XmlClass& other) const {
  for (const XmlClass* c = this; c; c = c->Base) {
    if (c == &other) return true;
  }
  return false;
}

}  // namespace cv
