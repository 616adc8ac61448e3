#pragma once
// An object that also holds a list of item objects, each loaded from a child
// element whose name the list recognises.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "database/xml_object.h"

namespace cv {

class TXMLObjectList : public TXMLObject {
  CV_XML_CLASS(TXMLObjectList, TXMLObject)

 public:
  using TXMLObject::TXMLObject;

  int Count() const { return static_cast<int>(items_.size()); }
  TXMLObject* Items(int index) const { return items_[static_cast<std::size_t>(index)].get(); }
  template <typename T>
  T* ItemAs(int index) const {
    return dynamic_cast<T*>(Items(index));
  }
  // Takes the item (its Owner becomes this list); returns its index.
  int Add(std::unique_ptr<TXMLObject> item);
  void Delete(int index);
  int IndexOf(const TXMLObject* item) const;
  // Frees the item; its former index, or -1 when it is not in the list.
  int Remove(const TXMLObject* item);
  void ClearItems() {
    items_.clear();
    ++revision_;
  }
  // Changes with every item added or taken out, so an index kept beside the
  // list knows when to rebuild.
  std::uint64_t Revision() const { return revision_; }

  // First item whose property `propName` matches `value`: an integer
  // property when `value` reads as that integer, a string property ignoring
  // case; other kinds never match.
  TXMLObject* FindByProp(std::string_view propName, std::string_view value) const;
  TXMLObject* FindByID(std::string_view id) const { return FindByProp("ID", id); }

  // The item class for a child element name (lower case); null when the
  // element is no item.
  virtual const XmlClass* GetItemClass(std::string_view elementName) const;
  // The element name items of `itemClass` are written under; empty: not written.
  virtual std::string GetItemTagName(const XmlClass& itemClass) const;
  virtual bool SameItem(const TXMLObject& a, const TXMLObject& b) const;

  bool LoadChild(const TXMLTag& element) override;
  void SaveChildren(TXMLTag& element) const override;
  void Clear() override;

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<std::unique_ptr<TXMLObject>> items_;
  std::uint64_t revision_ = 0;
};

}  // namespace cv
