#pragma once
// Wizard plug-ins as the project describes them: an ID that the plug-in
// library reports about itself, a configuration of named parameter groups and
// a free XML subtree handed to the plug-in as it stands.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "database/condition_object.h"
#include "database/installation_items.h"
#include "database/list_items.h"

namespace cv {

class TcvParamGroup : public TXMLObjectList {
  CV_XML_CLASS(TcvParamGroup, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  CV_XML_LIST_ITEMS_DECL
  std::string Name;
  TcvParam* Param(int index) const { return ItemAs<TcvParam>(index); }
};

class TcvPluginSimpleConfig : public TXMLObjectList {
  CV_XML_CLASS(TcvPluginSimpleConfig, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  CV_XML_LIST_ITEMS_DECL
  TcvParamGroup* Group(int index) const { return ItemAs<TcvParamGroup>(index); }
  // The first group of that name, ignoring case; null when there is none.
  TcvParamGroup* FindGroup(std::string_view groupName) const;

  // The value of the parameter `paramName` in the group `groupName` (both
  // ignoring case), `defaultValue` when either is missing.
  std::string GetParam(std::string_view groupName, std::string_view paramName,
                       std::string_view defaultValue) const;
  void GetGroupNames(std::vector<std::string>& list) const;
  // Empty when the group is missing.
  void GetParamNames(std::string_view groupName, std::vector<std::string>& list) const;
};

class TcvPlugin : public TcvConditionObject {
  CV_XML_CLASS(TcvPlugin, TcvConditionObject)

 public:
  using TcvConditionObject::TcvConditionObject;
  std::string ID;        // matched with what the library reports
  std::string DebugDll;  // kept and written back, never used
  std::unique_ptr<TcvPluginSimpleConfig> Config;
  std::unique_ptr<TXMLTag> CustomConfig;
};

class TcvPlugins : public TXMLObjectList {
  CV_XML_CLASS(TcvPlugins, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  CV_XML_LIST_ITEMS_DECL
  TcvPlugin* Plugin(int index) const { return ItemAs<TcvPlugin>(index); }
};

}  // namespace cv
