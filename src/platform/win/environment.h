#pragma once
// Environment variables of the process, of the registry (NT family) and of
// "autoexec.bat" (9x family).

#include <string>
#include <vector>

namespace cv {

std::string ProcessEnvVar(const std::string& name);

// The process environment strings (NAME=VALUE) in their order.
void EnvironmentList(std::vector<std::string>& list);

// system: the machine's variables, else the user's. expand: %NAME% references
// of an expandable value are expanded.
std::string GetEnvVar(const std::string& name, bool system, bool expand);
bool SetEnvVar(const std::string& name, const std::string& value, bool system);

// Sets (or, with an empty value, removes) "SET name=value" in "autoexec.bat"
// of `folder` (with trailing backslash); SetAutoexecVariable uses "c:\".
bool SetAutoexecVariableIn(const std::string& folder, const std::string& name,
                           const std::string& value);
bool SetAutoexecVariable(const std::string& name, const std::string& value);

}  // namespace cv
