#pragma once
// The things a component installs: files, registry values, ini entries,
// shortcuts and programs to run, each a condition object with an ID, flags and
// an add/remove action.

#include <cstdint>
#include <string>

#include "database/condition_object.h"
#include "database/list_items.h"
#include "database/project_enums.h"
#include "database/xml_param_list.h"

namespace cv {

class TcvInstallationItem : public TcvConditionObject {
  CV_XML_CLASS(TcvInstallationItem, TcvConditionObject)

 public:
  using TcvConditionObject::TcvConditionObject;
  std::string ID;
  TcvFlags Flags;
  TcvInstallAction Action = TcvInstallAction::add;
};

// A name and a value: a parameter of a plug-in's configuration or a string of
// a language table.
class TcvParam : public TXMLObject {
  CV_XML_CLASS(TcvParam, TXMLObject)

 public:
  using TXMLObject::TXMLObject;
  std::string Name;
  std::string Value;
};

class TcvFile : public TcvInstallationItem {
  CV_XML_CLASS(TcvFile, TcvInstallationItem)

 public:
  using TcvInstallationItem::TcvInstallationItem;
  std::string Src;  // inside the package or outside it; may hold wildcards
  std::string Dst;  // below the component's destination
};

class TcvFiles : public TXMLObjectList {
  CV_XML_CLASS(TcvFiles, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  CV_XML_LIST_ITEMS_DECL
};

class TcvReg : public TcvInstallationItem {
  CV_XML_CLASS(TcvReg, TcvInstallationItem)

 public:
  using TcvInstallationItem::TcvInstallationItem;
  std::string Key;  // a registry path
  std::string Param;
  std::string Value;
  TcvRegType ParamType = TcvRegType::str;

  // Written as "type"; "paramtype" is read too.
  std::string XMLToPropName(std::string_view name, bool isChild) const override;
  std::string PropToXMLName(std::string_view name, bool isChild) const override;
};

class TcvRegistry : public TXMLObjectList {
  CV_XML_CLASS(TcvRegistry, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  CV_XML_LIST_ITEMS_DECL
};

class TcvIni : public TcvInstallationItem {
  CV_XML_CLASS(TcvIni, TcvInstallationItem)

 public:
  using TcvInstallationItem::TcvInstallationItem;
  std::string IniFile;
  std::string Section;
  std::string Param;
  std::string Value;

  // Written as "file"; "inifile" is read too.
  std::string XMLToPropName(std::string_view name, bool isChild) const override;
  std::string PropToXMLName(std::string_view name, bool isChild) const override;
};

class TcvIniFiles : public TXMLObjectList {
  CV_XML_CLASS(TcvIniFiles, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  CV_XML_LIST_ITEMS_DECL
};

class TcvShortcut : public TcvInstallationItem {
  CV_XML_CLASS(TcvShortcut, TcvInstallationItem)

 public:
  using TcvInstallationItem::TcvInstallationItem;
  std::string Name;  // the shortcut file's path
  std::string CmdLine;
  std::string Arg;
  std::string WorkDir;
  std::string IconFile;
  std::int32_t Icon = 0;
  std::int32_t Hotkey = 0;
  std::string Description;
  TcvShowCmd ShowCmd = TcvShowCmd::scNormal;

  std::string GetEnumPrefix(std::string_view propName) const override;
};

class TcvShortcuts : public TXMLObjectList {
  CV_XML_CLASS(TcvShortcuts, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  CV_XML_LIST_ITEMS_DECL
};

class TcvRunApp : public TcvInstallationItem {
  CV_XML_CLASS(TcvRunApp, TcvInstallationItem)

 public:
  using TcvInstallationItem::TcvInstallationItem;
  std::string CmdLine;
  std::string Arg;
  std::string WorkDir;
  std::string Msg;  // the status text while the program runs
  TcvShowCmd ShowCmd = TcvShowCmd::scNormal;
  TcvWhenStart WhenStart = TcvWhenStart::after_install;

  std::string GetEnumPrefix(std::string_view propName) const override;
};

class TcvRunApps : public TXMLObjectList {
  CV_XML_CLASS(TcvRunApps, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  CV_XML_LIST_ITEMS_DECL
};

}  // namespace cv
