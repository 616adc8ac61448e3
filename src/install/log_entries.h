#pragma once
// Reading the install log back: entries of a section as key and value, and
// the comma-separated fields the run-app, registry and ini entries carry.

#include <string>
#include <string_view>
#include <vector>

namespace cv {

struct LogEntry {
  std::string Key;
  std::string Value;
};

// One "name=value" line. Sections whose keys are paths (which may hold "=")
// take the key up to the last "="; the others up to the first. The value
// is always the text after the first "=".
LogEntry SplitLogLine(std::string_view line, bool keyUpToLastEquals);

// Fields separated by commas; a field that starts with a single quote runs
// to the next single quote followed by a comma (or the end) and is
// unquoted, so quoted fields may hold commas.
std::vector<std::string> SplitLogFields(std::string_view text);

// A program the uninstaller runs, as the installation logged it.
struct LoggedProgram {
  std::string CmdLine;
  std::string Arg;
  std::string WorkDir;
  int ShowCode = 1;  // 0 hidden, 2 maximized, 3 minimized, else normal
  std::string Msg;
  bool Wait = true;
  bool CheckExitCode = true;
};
// Missing or malformed numbers take their defaults; double quotes are
// removed from the command line and the message.
LoggedProgram ParseLoggedProgram(std::string_view value);

// An [AddReg] entry: the registry path (up to the last backslash outside
// quotes), the value name (single quotes removed), and what to put back:
// a non-zero Win32 type with its data, or type 0 to delete the value.
struct LoggedRegistryValue {
  std::string Key;
  std::string Name;
  int Type = 0;
  std::string Data;
};
LoggedRegistryValue ParseLoggedRegistryValue(std::string_view name, std::string_view value);

// An [AddIni] entry name: 'file','section','key'.
struct LoggedIniEntry {
  std::string File;
  std::string Section;
  std::string Key;
};
LoggedIniEntry ParseLoggedIniEntry(std::string_view name);

// An [EnvVars] value: "1" first means the machine's variable; the rest is
// the path list the installation added (empty when it set the whole value).
struct LoggedEnvironmentVariable {
  bool System = false;
  std::string AddedPaths;
};
LoggedEnvironmentVariable ParseLoggedEnvironmentVariable(std::string_view value);

}  // namespace cv
