#pragma once
// The record of every change an installation makes: one action per change,
// kept in one list for the engine's life, saved as XML when the run waits for
// a restart and loaded again when it resumes.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "database/project_enums.h"
#include "database/xml_object_list.h"

namespace cv {

class TInstallAction : public TXMLObject {
  CV_XML_CLASS(TInstallAction, TXMLObject)

 public:
  using TXMLObject::TXMLObject;
  TcvFlags Flags;  // of the project item that caused the change
  bool Log = true;  // written into the install log at the end of the run
  bool Existed = false;       // the target was there before the change
  bool DontRollback = false;  // rollback leaves the change in place

  // Every new or reloaded action starts logged, not existing, rolled back.
  void CreateLists() override;
};

class TInstallFile : public TInstallAction {
  CV_XML_CLASS(TInstallFile, TInstallAction)

 public:
  using TInstallAction::TInstallAction;
  std::string FileName;        // the installed or removed file
  std::string BackupFileName;  // the previous file's copy; empty when none existed
  // The locked target's new content, or a font's temporary copy.
  std::string TmpFileName;
  std::string FontName;  // the font's registry name

  // Not published: the new content waits in TmpFileName for a restart.
  bool Pending = false;
};

class TInstallReg : public TInstallAction {
  CV_XML_CLASS(TInstallReg, TInstallAction)

 public:
  using TInstallAction::TInstallAction;
  std::string Key;  // a registry path without the value name
  std::string Param;
  std::string OldValue;      // textual form, valid when Existed
  std::int32_t OldType = 0;  // the Win32 value type, valid when Existed
  // The previous bytes in hexadecimal, kept only when OldValue cannot give
  // them back exactly (a type without a textual form, a number of another
  // size, a string without its terminator...); rollback then writes these.
  std::string OldData;
};


class TInstallIni : public TInstallAction {
  CV_XML_CLASS(TInstallIni, TInstallAction)

 public:
  using TInstallAction::TInstallAction;
  std::string IniFile;
  std::string Section;
  std::string Param;
  std::string OldValue;  // empty when the key did not exist
};

class TInstallShortcut : public TInstallAction {
  CV_XML_CLASS(TInstallShortcut, TInstallAction)

 public:
  using TInstallAction::TInstallAction;
  std::string LinkFile;
};

class TInstallFolder : public TInstallAction {
  CV_XML_CLASS(TInstallFolder, TInstallAction)

 public:
  using TInstallAction::TInstallAction;
  std::string Folder;
};

class TInstallRegKey : public TInstallAction {
  CV_XML_CLASS(TInstallRegKey, TInstallAction)

 public:
  using TInstallAction::TInstallAction;
  std::string Key;
};

class TInstallEnvVar : public TInstallAction {
  CV_XML_CLASS(TInstallEnvVar, TInstallAction)

 public:
  using TInstallAction::TInstallAction;
  std::string Name;
  std::string Value;  // as set
  std::string OldValue;
  bool AddPath = false;  // the value was added to a path list
  bool SysVar = false;   // a system variable rather than the user's
};

// The ordered list of actions; it owns them.
class TInstallActions : public TXMLObjectList {
  CV_XML_CLASS(TInstallActions, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  // "file", "reg", "ini", "shortcut", "folder", "regkey", "envvar"; any other
  // element is no action.
  const XmlClass* GetItemClass(std::string_view elementName) const override;
  // Empty for a class not in the table.
  std::string GetItemTagName(const XmlClass& itemClass) const override;

  TInstallAction* Action(int index) const { return ItemAs<TInstallAction>(index); }
};

// Appends a new action of the class (defaults set) and answers it.
template <typename Action>
Action& AddAction(TInstallActions& list) {
  auto action = Action::New();
  Action& added = *action;
  list.Add(std::move(action));
  return added;
}

// The root element of the saved list.
inline constexpr std::string_view kInstallActionsRootName = "installactions";

}  // namespace cv
