#include "database/variables.h"


#include "database/main_database.h"
#include "platform/case_map.h"

namespace cv {

CV_XML_PROPERTIES(TcvVariable) {
  return {Published("Name", &TcvVariable::Name),
          Published("Value", &TcvVariable::Value),
          Published("DefValue", &TcvVariable::DefValue),
          Published("RegKey", &TcvVariable::RegKey),
          Published("RegParam", &TcvVariable::RegParam),
          Published("IniFile", &TcvVariable::IniFile),
          Published("IniSection", &TcvVariable::IniSection),
          Published("IniParam", &TcvVariable::IniParam),
          Published("VarType", &TcvVariable::VarType)};
}

bool TcvVariable::CanSave(const TXMLTag& element) const {
  return !Predefined && TcvInstallationItem::CanSave(element);
}

std::string TcvVariable::GetEnumPrefix(std::string_view propName) const {
  return propName == "vartype" ? "vt" : TcvInstallationItem::GetEnumPrefix(propName);
}

std::string TcvVariable::XMLToPropName(std::string_view name, bool isChild) const {
  if (!isChild && name == "type") return "vartype";
  return TcvInstallationItem::XMLToPropName(name, isChild);
}

std::string TcvVariable::PropToXMLName(std::string_view name, bool isChild) const {
  if (!isChild && name == "vartype") return "type";
  return TcvInstallationItem::PropToXMLName(name, isChild);
}

CV_XML_PROPERTIES(TcvVariables) { return {}; }
CV_XML_LIST_ITEMS(TcvVariables, "var", TcvVariable)

const XmlClass& TcvVariables::GetParamClass() const { return TcvVariable::StaticClass(); }

void TcvVariables::RebuildIndex() const {
  index_.clear();
  for (const auto& item : *this) {
    if (auto* variable = dynamic_cast<TcvVariable*>(item.get())) {
      index_[CaseMapUpper(variable->Name)].push_back(variable);
    }
  }
  indexedRevision_ = Revision();
}

bool TcvVariables::CopyCandidates(const std::string& key, std::string_view name,
                                  std::vector<TcvVariable*>& candidates) const {
  candidates.clear();
  if (indexedRevision_ != Revision()) RebuildIndex();
  const auto found = index_.find(key);
  if (found == index_.end()) return true;
  for (TcvVariable* variable : found->second) {
    if (!SameTextNoCase(variable->Name, name)) return false;
  }
  candidates = found->second;
  return true;
}

TcvVariable* TcvVariables::FindParam(std::string_view name) const {
  const std::string key = CaseMapUpper(name);
  std::vector<TcvVariable*> candidates;
  {
    const std::lock_guard lock(indexMutex_);
    if (!CopyCandidates(key, name, candidates)) {
      // A variable was renamed in place: index the names afresh.
      RebuildIndex();
      CopyCandidates(key, name, candidates);
    }
  }
  for (TcvVariable* variable : candidates) {
    // The type and the condition may change at any time: checked on each lookup.
    if (variable->VarType == TcvVarType::vtEnvVar) continue;
    if (IsEnabled(*variable)) return variable;
  }
  return nullptr;
}

void TcvVariables::CreateLists() {
  TXMLParamList::CreateLists();
  if (dynamic_cast<TcvMainDatabase*>(Owner)) {
    SetParamInt("EventParams", 0);
    SetParamInt("EventResult", 0);
  }
}

}  // namespace cv
