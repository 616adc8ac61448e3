#include "database/installation_items.h"

namespace cv {

CV_XML_PROPERTIES(TcvInstallationItem) {
  return {Published("ID", &TcvInstallationItem::ID),
          Published("Flags", &TcvInstallationItem::Flags),
          Published("Action", &TcvInstallationItem::Action)};
}

CV_XML_PROPERTIES(TcvParam) {
  return {Published("Name", &TcvParam::Name), Published("Value", &TcvParam::Value)};
}

CV_XML_PROPERTIES(TcvFile) {
  return {Published("Src", &TcvFile::Src), Published("Dst", &TcvFile::Dst)};
}
CV_XML_PROPERTIES(TcvFiles) { return {}; }
CV_XML_LIST_ITEMS(TcvFiles, "file", TcvFile)

CV_XML_PROPERTIES(TcvReg) {
  return {Published("Key", &TcvReg::Key), Published("Param", &TcvReg::Param),
          Published("Value", &TcvReg::Value), Published("ParamType", &TcvReg::ParamType)};
}
std::string TcvReg::XMLToPropName(std::string_view name, bool isChild) const {
  if (!isChild && name == "type") return "paramtype";
  return TcvInstallationItem::XMLToPropName(name, isChild);
}
std::string TcvReg::PropToXMLName(std::string_view name, bool isChild) const {
  if (!isChild && name == "paramtype") return "type";
  return TcvInstallationItem::PropToXMLName(name, isChild);
}
CV_XML_PROPERTIES(TcvRegistry) { return {}; }
CV_XML_LIST_ITEMS(TcvRegistry, "reg", TcvReg)

CV_XML_PROPERTIES(TcvIni) {
  return {Published("IniFile", &TcvIni::IniFile), Published("Section", &TcvIni::Section),
          Published("Param", &TcvIni::Param), Published("Value", &TcvIni::Value)};
}
std::string TcvIni::XMLToPropName(std::string_view name, bool isChild) const {
  if (!isChild && name == "file") return "inifile";
  return TcvInstallationItem::XMLToPropName(name, isChild);
}
std::string TcvIni::PropToXMLName(std::string_view name, bool isChild) const {
  if (!isChild && name == "inifile") return "file";
  return TcvInstallationItem::PropToXMLName(name, isChild);
}
CV_XML_PROPERTIES(TcvIniFiles) { return {}; }
CV_XML_LIST_ITEMS(TcvIniFiles, "ini", TcvIni)

CV_XML_PROPERTIES(TcvShortcut) {
  return {Published("Name", &TcvShortcut::Name),
          Published("CmdLine", &TcvShortcut::CmdLine),
          Published("Arg", &TcvShortcut::Arg),
          Published("WorkDir", &TcvShortcut::WorkDir),
          Published("IconFile", &TcvShortcut::IconFile),
          Published("Icon", &TcvShortcut::Icon),
          Published("Hotkey", &TcvShortcut::Hotkey),
          Published("Description", &TcvShortcut::Description),
          Published("ShowCmd", &TcvShortcut::ShowCmd)};
}
std::string TcvShortcut::GetEnumPrefix(std::string_view propName) const {
  return propName == "showcmd" ? "sc" : TcvInstallationItem::GetEnumPrefix(propName);
}
CV_XML_PROPERTIES(TcvShortcuts) { return {}; }
CV_XML_LIST_ITEMS(TcvShortcuts, "shortcut", TcvShortcut)

CV_XML_PROPERTIES(TcvRunApp) {
  return {Published("CmdLine", &TcvRunApp::CmdLine), Published("Arg", &TcvRunApp::Arg),
          Published("WorkDir", &TcvRunApp::WorkDir), Published("Msg", &TcvRunApp::Msg),
          Published("ShowCmd", &TcvRunApp::ShowCmd),
          Published("WhenStart", &TcvRunApp::WhenStart)};
}
std::string TcvRunApp::GetEnumPrefix(std::string_view propName) const {
  return propName == "showcmd" ? "sc" : TcvInstallationItem::GetEnumPrefix(propName);
}
CV_XML_PROPERTIES(TcvRunApps) { return {}; }
CV_XML_LIST_ITEMS(TcvRunApps, "runapp", TcvRunApp)

}  // namespace cv
