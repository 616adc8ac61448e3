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

TcvVariable* TcvVariables::FindParam(std::string_view name) const {
  for (const auto& item : *this) {
    auto* variable = dynamic_cast<TcvVariable*>(item.get());
    if (!variable || variable->VarType == TcvVarType::vtEnvVar) continue;
    if (SameTextNoCase(variable->Name, name) && IsEnabled(*variable)) return variable;
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
