#pragma once
// Language tables: the strings of one language for the engine (no plug-in ID)
// or for one plug-in.

#include <string>
#include <string_view>

#include "database/installation_items.h"
#include "database/list_items.h"
#include "database/xml_param_list.h"

namespace cv {

class TcvLngTable : public TXMLParamList {
  CV_XML_CLASS(TcvLngTable, TXMLParamList)

 public:
  using TXMLParamList::TXMLParamList;
  CV_XML_LIST_ITEMS_DECL
  const XmlClass& GetParamClass() const override;
  std::string ID;
  std::string LngID;     // a language code such as "ENU"
  std::string PluginID;  // empty for the engine's own strings
  std::string Name;
  std::string InstallName;  // shown when the user chooses the language
  std::string Description;
  TcvParam* String(int index) const { return ItemAs<TcvParam>(index); }
};

class TcvLngTables : public TXMLObjectList {
  CV_XML_CLASS(TcvLngTables, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  CV_XML_LIST_ITEMS_DECL
  TcvLngTable* Table(int index) const { return ItemAs<TcvLngTable>(index); }
  // The first table whose LngID and PluginID equal the arguments, ignoring case.
  TcvLngTable* Find(std::string_view lngId, std::string_view pluginId) const;
};

}  // namespace cv
