#pragma once
// The enumerations of the project database and their XML value names.

#include <cstdint>

#include "database/xml_enum.h"

namespace cv {

// Options of one project item; which step honours which flag is the step's
// business. The order is the bit order of the stored set.
enum class TcvFlag {
  dont_log,
  no_version,
  reg_server,
  reg_font,
  dont_ask,
  dont_overwrite,
  external,
  shared,
  dont_wait,
  check_exitcode,
  encrypt,
  add_path,
  sys_envvar,
  dont_parse,
  dont_parse_identifiers,
  calc_expression,
};
CV_XML_ENUM(TcvFlag, "dont_log", "no_version", "reg_server", "reg_font", "dont_ask",
            "dont_overwrite", "external", "shared", "dont_wait", "check_exitcode", "encrypt",
            "add_path", "sys_envvar", "dont_parse", "dont_parse_identifiers", "calc_expression");
using TcvFlags = EnumSet<TcvFlag>;

enum class TcvInstallAction { add, remove };
CV_XML_ENUM(TcvInstallAction, "add", "remove");

enum class TcvRegType { str, int_, bin, mstr };
CV_XML_ENUM(TcvRegType, "str", "int", "bin", "mstr");

enum class TcvShowCmd { scNormal, scMin, scMax, scHide };
CV_XML_ENUM(TcvShowCmd, "scNormal", "scMin", "scMax", "scHide");

enum class TcvWhenStart {
  after_install,
  before_install,
  before_uninstall,
  after_uninstall,
  before_dialogs,
};
CV_XML_ENUM(TcvWhenStart, "after_install", "before_install", "before_uninstall",
            "after_uninstall", "before_dialogs");

enum class TcvVarType { vtNormal, vtReg, vtIni, vtEnvVar };
CV_XML_ENUM(TcvVarType, "vtNormal", "vtReg", "vtIni", "vtEnvVar");

// How far an interrupted run got before the restart.
enum class TcvInstallState {
  isUnknown,
  isRunAppBeforeDialogs,
  isRunAppBeforeInstall,
  isRegServers,
  isRunAppAfterInstall,
};
CV_XML_ENUM(TcvInstallState, "isUnknown", "isRunAppBeforeDialogs", "isRunAppBeforeInstall",
            "isRegServers", "isRunAppAfterInstall");

enum class TcvLoopType { ltPreCond, ltPostCond };
CV_XML_ENUM(TcvLoopType, "ltPreCond", "ltPostCond");

enum class TcvEventWhenHandle { after_plugins, before_plugins };
CV_XML_ENUM(TcvEventWhenHandle, "after_plugins", "before_plugins");

}  // namespace cv
