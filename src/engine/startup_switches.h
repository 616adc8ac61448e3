#pragma once
// The engine's command-line switches, read from the program arguments.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/command_line.h"

namespace cv {

struct VariableAssignment {
  std::string Name;
  std::string Value;
};

struct StartupSwitches {
  // /resume:FOLDER - quotes removed, trailing backslash added.
  std::optional<std::string> ResumeFolder;
  // /exename:PATH - quotes removed.
  std::optional<std::string> ExeName;
  // Every /var:NAME=VALUE (or -var:...) in order; empty names are dropped.
  std::vector<VariableAssignment> Variables;
  bool Uninstall = false;  // /u
  bool Repair = false;     // /r
  bool Silent = false;     // /s
};

StartupSwitches ParseStartupSwitches(const ArgumentList& args);

}  // namespace cv
