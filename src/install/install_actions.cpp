#include "install/install_actions.h"

#include <array>
#include <utility>

namespace cv {

namespace {

struct ActionElement {
  std::string_view Name;
  const XmlClass& (*Class)();
};

const std::array<ActionElement, 7>& ActionElements() {
  static const std::array<ActionElement, 7> elements = {{
      {"file", &TInstallFile::StaticClass},
      {"reg", &TInstallReg::StaticClass},
      {"ini", &TInstallIni::StaticClass},
      {"shortcut", &TInstallShortcut::StaticClass},
      {"folder", &TInstallFolder::StaticClass},
      {"regkey", &TInstallRegKey::StaticClass},
      {"envvar", &TInstallEnvVar::StaticClass},
  }};
  return elements;
}

}  // namespace

CV_XML_PROPERTIES(TInstallAction) {
  return {Published("Flags", &TInstallAction::Flags), Published("Log", &TInstallAction::Log),
          Published("Existed", &TInstallAction::Existed),
          Published("DontRollback", &TInstallAction::DontRollback)};
}

void TInstallAction::CreateLists() {
  TXMLObject::CreateLists();
  Log = true;
  Existed = false;
  DontRollback = false;
}

CV_XML_PROPERTIES(TInstallFile) {
  return {Published("FileName", &TInstallFile::FileName),
          Published("BackupFileName", &TInstallFile::BackupFileName),
          Published("TmpFileName", &TInstallFile::TmpFileName),
          Published("FontName", &TInstallFile::FontName)};
}

CV_XML_PROPERTIES(TInstallReg) {
  return {Published("Key", &TInstallReg::Key), Published("Param", &TInstallReg::Param),
          Published("OldValue", &TInstallReg::OldValue),
          Published("OldType", &TInstallReg::OldType),
          Published("OldData", &TInstallReg::OldData)};
}

CV_XML_PROPERTIES(TInstallIni) {
  return {Published("IniFile", &TInstallIni::IniFile), Published("Section", &TInstallIni::Section),
          Published("Param", &TInstallIni::Param), Published("OldValue", &TInstallIni::OldValue)};
}

CV_XML_PROPERTIES(TInstallShortcut) {
  return {Published("LinkFile", &TInstallShortcut::LinkFile)};
}

CV_XML_PROPERTIES(TInstallFolder) { return {Published("Folder", &TInstallFolder::Folder)}; }

CV_XML_PROPERTIES(TInstallRegKey) { return {Published("Key", &TInstallRegKey::Key)}; }

CV_XML_PROPERTIES(TInstallEnvVar) {
  return {Published("Name", &TInstallEnvVar::Name), Published("Value", &TInstallEnvVar::Value),
          Published("OldValue", &TInstallEnvVar::OldValue),
          Published("AddPath", &TInstallEnvVar::AddPath),
          Published("SysVar", &TInstallEnvVar::SysVar)};
}

CV_XML_PROPERTIES(TInstallActions) { return {}; }

const XmlClass* TInstallActions::GetItemClass(std::string_view elementName) const {
  for (const ActionElement& element : ActionElements()) {
    if (element.Name == elementName) return &element.Class();
  }
  return nullptr;
}

std::string TInstallActions::GetItemTagName(const XmlClass& itemClass) const {
  for (const ActionElement& element : ActionElements()) {
    if (&element.Class() == &itemClass) return std::string(element.Name);
  }
  return {};
}

}  // namespace cv
