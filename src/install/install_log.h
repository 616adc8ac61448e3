#pragma once
// The install log: an ini file that tells a later uninstallation what this
// installation did. Entries reach it through the ini cache, directly while
// the run works (shared files, run-on-uninstall programs, language strings)
// and from the action list at the end of a successful run. Its sections,
// keys and values are the contract with every uninstaller that reads it.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "database/project_enums.h"

namespace cv {

class TInstallAction;
class TInstallActions;
class TcvLngTable;

enum class LogSection {
  CopyFiles,
  AddReg,
  AddIni,
  Shortcuts,
  CreateDirs,
  CreateKeys,
  RegServers,
  RegFonts,
  SharedFiles,
  PreRunApp,
  RunApp,
  SharedAssemblies,
  EnvVars,
};

std::string_view LogSectionName(LogSection section);

// Logging: set once by the installation run when an uninstaller is wanted;
// the file is the run's `LogFile`. Both are needed for anything to be written.
void SetLoggingEnabled(bool enabled);
void SetLogFileName(const std::string& file);
const std::string& LogFileName();
bool LoggingActive();

void LogWrite(LogSection section, const std::string& key, const std::string& value);
void LogWriteSection(const std::string& section, const std::string& key,
                     const std::string& value);
// The key is in the log (false whenever logging is off).
bool LogHasKey(LogSection section, const std::string& key);

// The entries of one action, when logging is on and the action is logged.
void WriteLogEntry(const TInstallAction& action);
// Every action in list order.
void WriteLogAll(const TInstallActions& actions);

// [AddReg] key of a value: the key with one trailing backslash, then the
// value name in single quotes.
std::string RegistryLogKey(const std::string& key, const std::string& param);

// The entries of the language table whose names begin with "Uninstall.":
// the rest of the name splits at its first "." into section and key; the
// text, resolved by `resolve`, is logged on one line ("||" for each CR, line
// feeds removed).
void LogUninstallStrings(const TcvLngTable& table,
                         const std::function<std::string(const std::string&)>& resolve);

// A program the uninstaller runs: [PreRunApp] (before it removes anything)
// or [RunApp] (after), under a counter both sections share. The texts are
// resolved by the caller.
struct RunAppLogEntry {
  std::string CmdLine;
  std::string Arg;
  std::string WorkDir;
  TcvShowCmd ShowCmd = TcvShowCmd::scNormal;
  std::string Msg;
  TcvFlags Flags;
};
std::string RunAppLogValue(const RunAppLogEntry& entry);
void LogRunApp(bool beforeUninstall, const RunAppLogEntry& entry);
// An assembly installed into the global cache: [SharedAssemblies] under a
// counter of its own that starts at 1; the value is what the uninstaller
// hands back to the assembly tool.
void LogSharedAssembly(const std::string& value);
// Back to the state of a new engine (counters reset, logging off, no file).
void ResetInstallLog();

}  // namespace cv
