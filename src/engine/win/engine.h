#pragma once
// The engine's entry and main flow.

#include <string>

#include "engine/setup_operations.h"
#include "engine/startup_switches.h"
#include "platform/command_line.h"

namespace cv {

// The program entry: formats, command line, work folders, RunSetup, clean-up.
// Answers the process exit code (0 or -1).
int EngineMain();
int EngineMain(SetupOperations& operations, const ArgumentList& args);
// The same with the switches already parsed from `args`.
int EngineMain(SetupOperations& operations, const ArgumentList& args, const StartupSwitches& switches);

// The main flow; true when the run succeeded.
bool RunSetup(SetupOperations& operations, const ArgumentList& args);

bool CheckLaunchRequirements(SetupOperations& operations);
bool SelectLanguage(SetupOperations& operations, const std::string& lngId);

// Language string `n` of the section "Strings" of the active language table;
// empty when the table has none.
std::string EngineString(SetupOperations& operations, int n);

// The program's arguments: element 0 is the program file.
ArgumentList ProgramArguments();

}  // namespace cv
