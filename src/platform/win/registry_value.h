#pragma once
// Single registry values, read directly. The registry by textual path, with
// its value forms and the ini cache, is built on the same calls.

#include <windows.h>

#include <string>

namespace cv {

// The string value `name` of `root`\`subkey`; empty when the key or value is
// missing or is no string.
std::string ReadRegistryString(HKEY root, const std::string& subkey, const std::string& name);

}  // namespace cv
