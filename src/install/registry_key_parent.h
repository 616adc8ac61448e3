#pragma once
// The parent of a registry key path as the key chain walks it: a key name
// may hold a backslash inside quotes ("HKLM\Software\'a\b'").

#include <string>
#include <string_view>

namespace cv {

// The text before the last backslash that is not inside single or double
// quotes; the path itself when there is none.
std::string RegistryParentKey(std::string_view path);

}  // namespace cv
