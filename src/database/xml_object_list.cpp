#include "database/xml_object_list.h"

#include <charconv>

#include "platform/case_map.h"

namespace cv {

CV_XML_PROPERTIES(TXMLObjectList) { return {}; }

int TXMLObjectList::Add(std::unique_ptr<TXMLObject> item) {
  item->Owner = this;
  items_.push_back(std::move(item));
  ++revision_;
  return Count() - 1;
}

void TXMLObjectList::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
  ++revision_;
}

int TXMLObjectList::IndexOf(const TXMLObject* item) const {
  for (int i = 0; i < Count(); ++i) {
    if (Items(i) == item) return i;
  }
  return -1;
}

int TXMLObjectList::Remove(const TXMLObject* item) {
  const int index = IndexOf(item);
  Delete(index);
  return index;
}

TXMLObject* TXMLObjectList::FindByProp(std::string_view propName, std::string_view value) const {
  std::int32_t wanted = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), wanted);
  const bool valueIsInteger =
      !value.empty() && error == std::errc() && end == value.data() + value.size();
  for (const auto& item : items_) {
    const XmlProperty* property = item->Class().FindProperty(propName);
    if (!property) continue;
    if (property->Kind == PropKind::Integer && property->GetInt) {
      if (valueIsInteger && property->GetInt(*item) == wanted) return item.get();
    } else if (property->Kind == PropKind::String && property->GetString) {
      if (SameTextNoCase(property->GetString(*item), value)) return item.get();
    }
  }
  return nullptr;
}

const XmlClass* TXMLObjectList::GetItemClass(std::string_view) const { return nullptr; }
std::string TXMLObjectList::GetItemTagName(const XmlClass&) const { return {}; }
bool TXMLObjectList::SameItem(const TXMLObject&, const TXMLObject&) const { return false; }

bool TXMLObjectList::LoadChild(const TXMLTag& element) {
  if (TXMLObject::LoadChild(element)) return true;
  const XmlClass* itemClass = GetItemClass(element.Name());
  if (!itemClass || !itemClass->Create) return false;
  std::unique_ptr<TXMLObject> item = itemClass->Create(this);
  if (!item->CanLoad(element)) return false;
  item->BeforeLoad(element);
  if (Merging) {
    item->Merge(element);
  } else {
    item->Assign(element);
  }
  Add(std::move(item));
  return true;
}

void TXMLObjectList::SaveChildren(TXMLTag& element) const {
  TXMLObject::SaveChildren(element);
  for (const auto& item : items_) {
    const std::string name = GetItemTagName(item->Class());
    if (name.empty()) continue;
    auto tag = std::make_unique<TXMLTag>();
    tag->SetName(name);
    if (!item->CanSave(*tag)) continue;
    item->BeforeSave(*tag);
    item->AssignTo(*tag);
    element.Children().Add(std::move(tag));
  }
}

void TXMLObjectList::Clear() {
  ClearItems();
  TXMLObject::Clear();
}

}  // namespace cv
