#include "database/plugin_config.h"

#include "platform/case_map.h"

namespace cv {

CV_XML_PROPERTIES(TcvParamGroup) { return {Published("Name", &TcvParamGroup::Name)}; }
CV_XML_LIST_ITEMS(TcvParamGroup, "param", TcvParam)

CV_XML_PROPERTIES(TcvPluginSimpleConfig) { return {}; }
CV_XML_LIST_ITEMS(TcvPluginSimpleConfig, "paramgroup", TcvParamGroup)

TcvParamGroup* TcvPluginSimpleConfig::FindGroup(std::string_view groupName) const {
  for (const auto& item : *this) {
    auto* group = dynamic_cast<TcvParamGroup*>(item.get());
    if (group && SameTextNoCase(group->Name, groupName)) return group;
  }
  return nullptr;
}

std::string TcvPluginSimpleConfig::GetParam(std::string_view groupName,
                                            std::string_view paramName,
                                            std::string_view defaultValue) const {
  if (const TcvParamGroup* group = FindGroup(groupName)) {
    for (const auto& item : *group) {
      auto* param = dynamic_cast<TcvParam*>(item.get());
      if (param && SameTextNoCase(param->Name, paramName)) return param->Value;
    }
  }
  return std::string(defaultValue);
}

void TcvPluginSimpleConfig::GetGroupNames(std::vector<std::string>& list) const {
  list.clear();
  for (const auto& item : *this) {
    if (auto* group = dynamic_cast<TcvParamGroup*>(item.get())) list.push_back(group->Name);
  }
}

void TcvPluginSimpleConfig::GetParamNames(std::string_view groupName,
                                          std::vector<std::string>& list) const {
  list.clear();
  const TcvParamGroup* group = FindGroup(groupName);
  if (!group) return;
  for (const auto& item : *group) {
    if (auto* param = dynamic_cast<TcvParam*>(item.get())) list.push_back(param->Name);
  }
}

CV_XML_PROPERTIES(TcvPlugin) {
  return {Published("ID", &TcvPlugin::ID), Published("DebugDll", &TcvPlugin::DebugDll),
          Published("Config", &TcvPlugin::Config),
          Published("CustomConfig", &TcvPlugin::CustomConfig)};
}

CV_XML_PROPERTIES(TcvPlugins) { return {}; }
CV_XML_LIST_ITEMS(TcvPlugins, "plugin", TcvPlugin)

}  // namespace cv
