#pragma once
// Variables the engine puts into the project's database: facts about this
// computer, its user and an installed copy of the application, and the
// values handed in from outside (package header, silent settings, command
// line).

#include <string>

#include "database/main_database.h"
#include "engine/startup_switches.h"
#include "platform/command_line.h"

namespace cv {

// Sets the predefined variables in their fixed order, the process
// environment last (never replacing a variable of the project).
// `switches` are the ones parsed from `args`.
void SetPredefinedVariables(TcvMainDatabase& database, const ArgumentList& args,
                            const StartupSwitches& switches);
inline void SetPredefinedVariables(TcvMainDatabase& database, const ArgumentList& args) {
  SetPredefinedVariables(database, args, ParseStartupSwitches(args));
}

// Applies, in this order, the main package's header variables, the silent
// settings' variables (each only when its condition holds) and every
// /var:NAME=VALUE switch.
void ImportVariables(TcvMainDatabase& database, const TcvSilentSettings& silent,
                     const StartupSwitches& switches);
inline void ImportVariables(TcvMainDatabase& database, const TcvSilentSettings& silent,
                            const ArgumentList& args) {
  ImportVariables(database, silent, ParseStartupSwitches(args));
}

// The registry path of the application's uninstall key: under HKLM when it
// exists there, else under HKCU.
std::string UninstallKeyPath(const std::string& appId);

// The system's or the user's default language as its upper-case three-letter
// abbreviation; empty when Windows has none.
std::string LanguageAbbreviation(bool system);
// The character set of the first installed locale with that abbreviation;
// DEFAULT_CHARSET (1) when there is none.
int LanguageCharset(const std::string& abbreviation);

// Whether the process's token holds the Administrators group; always true on
// the 9x family, where there are no rights to lack.
bool HasAdminRights();

}  // namespace cv
