#pragma once
// Environment variables of the process, of the registry (NT family) and of
// "autoexec.bat" (9x family).

#include <string>
#include <vector>

namespace cv {

// Where the NT family keeps the variables, under HKEY_LOCAL_MACHINE (the
// machine's) and HKEY_CURRENT_USER (the user's); reached through the
// registry facade's roots, so a test's RegistryRootRedirect holds them.
inline constexpr const char* kSystemEnvironmentKey =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
inline constexpr const char* kUserEnvironmentKey = "Environment";

// Empty when the variable is missing or empty.
std::string ProcessEnvVar(const std::string& name);

// The process environment strings (NAME=VALUE) in their order; the list is
// cleared first.
void EnvironmentList(std::vector<std::string>& list);

// `text` with its %NAME% references replaced from the process environment
// (unknown ones stay as they are); empty when Windows cannot expand it.
std::string ExpandEnvironmentText(const std::string& text);

// system: the machine's variables, else the user's. expand: %NAME% references
// of an expandable value are expanded. Empty for an empty name. On the 9x
// family the variable of the process.
std::string GetEnvVar(const std::string& name, bool system, bool expand);

// Sets the variable; an empty value removes it (false when there was nothing
// to remove). A value that is stored as expandable keeps that type. False for
// an empty name. On the 9x family the variable is set in "c:\autoexec.bat".
bool SetEnvVar(const std::string& name, const std::string& value, bool system);

// Sets (or, with an empty value, removes) "SET name=value" in "autoexec.bat"
// of `folder` (with trailing backslash); SetAutoexecVariable uses "c:\". The
// new text goes to a new file first and replaces "autoexec.bat" only when it
// is complete. False for an empty name and when either file cannot be read,
// written, deleted or renamed; the old file is then left as it was, except
// when only the final rename fails (the new text then stays in the new file).
bool SetAutoexecVariableIn(const std::string& folder, const std::string& name,
                           const std::string& value);
bool SetAutoexecVariable(const std::string& name, const std::string& value);

// The work of SetAutoexecVariableIn with the new file's path given: it is
// created (it must not exist), filled, and renamed to `autoexecPath`.
bool RewriteAutoexec(const std::string& autoexecPath, const std::string& newPath,
                     const std::string& name, const std::string& value);

}  // namespace cv
