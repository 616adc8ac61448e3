#pragma once
// Single registry values, read and written directly. The registry by textual
// path, with its value forms and the ini cache, is built on the same calls.

#include <windows.h>

#include <string>

namespace cv {

// The string value `name` of `root`\`subkey` as stored (REG_SZ or
// REG_EXPAND_SZ, references not expanded); empty when the key or value is
// missing or is no string.
std::string ReadRegistryString(HKEY root, const std::string& subkey, const std::string& name);

// The Win32 type of the value (REG_SZ, REG_DWORD...); 0 when the key or the
// value is missing.
DWORD RegistryValueType(HKEY root, const std::string& subkey, const std::string& name);

// The value's type and its bytes exactly as stored (the size the query
// reports); false when the key or the value is missing or cannot be read.
bool ReadRegistryValue(HKEY root, const std::string& subkey, const std::string& name, DWORD& type,
                       std::string& data);

// Writes `data` as the value's bytes with the given type. The key and its
// missing parents are created first.
bool WriteRegistryValue(HKEY root, const std::string& subkey, const std::string& name, DWORD type,
                        const std::string& data);

// Writes a string value (REG_SZ or REG_EXPAND_SZ); the stored size counts the
// terminating NUL, as Windows' own readers expect.
bool WriteRegistryString(HKEY root, const std::string& subkey, const std::string& name,
                         const std::string& text, DWORD type = REG_SZ);

// Opens the key for writing and deletes the value; false when the key or the
// value is missing or the deletion is refused.
bool DeleteRegistryValue(HKEY root, const std::string& subkey, const std::string& name);

}  // namespace cv
