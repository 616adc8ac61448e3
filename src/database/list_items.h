#pragma once
// Lists whose items are all of one class, read from and written under one
// element name.

#include <string>
#include <string_view>

#include "database/xml_class.h"

// Defines List::GetItemClass and List::GetItemTagName for items of class
// Item under the element `tagName`.
#define CV_XML_LIST_ITEMS(List, tagName, Item)                                   \
  const ::cv::XmlClass* List::GetItemClass(std::string_view elementName) const { \
    return elementName == tagName ? &Item::StaticClass() : nullptr;              \
  }                                                                              \
  std::string List::GetItemTagName(const ::cv::XmlClass& itemClass) const {      \
    return itemClass.InheritsFrom(Item::StaticClass()) ? tagName : "";           \
  }

// Declares the two operations in a list's class body.
#define CV_XML_LIST_ITEMS_DECL                                                      \
  const ::cv::XmlClass* GetItemClass(std::string_view elementName) const override; \
  std::string GetItemTagName(const ::cv::XmlClass& itemClass) const override;
