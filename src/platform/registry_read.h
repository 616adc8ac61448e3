#pragma once
// Reading one registry value by textual path from code that must also build
// without Windows. The native Linux build has no registry: every read gives
// the default there.

#include <string>

namespace cv {

// The value in its textual form (see RegReadString), `defaultValue` when it
// is missing or unreadable.
std::string RegistryReadText(const std::string& path, const std::string& name,
                             const std::string& defaultValue);

}  // namespace cv
