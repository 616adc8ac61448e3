#pragma once
// The registry by textual path, the part that needs no Windows: splitting a
// path such as "HKLM\SOFTWARE\Acme" into its root and subkey, and the one
// textual form per value type in which the project database, the install
// actions and the install log carry registry values.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cv {

// The four roots a path can name. The Windows facade turns them into keys.
enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

struct RegistryPathParts {
  RegistryRoot root = RegistryRoot::CurrentUser;
  std::string subkey;
};

// One trailing "\" is removed, then the first element (up to the first "\",
// or the whole text) is looked up, without regard to case, among "HKCR",
// "HKCU", "HKLM", "HKU" and "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
// "HKEY_LOCAL_MACHINE", "HKEY_USERS". When it is found, it and its "\" are
// not part of the subkey ("HKLM" alone is the root itself); otherwise the
// root is HKEY_CURRENT_USER and the whole text is the subkey.
RegistryPathParts SplitRegistryPath(std::string_view path);

// A key path's parent path and last name, split at the last "\" or ":" as
// file names are (the parent keeps its "\"). One trailing "\" is dropped
// first, so "HKLM\Software\Acme\" names the key "Acme" of "HKLM\Software\".
struct RegistryKeyName {
  std::string parent;
  std::string name;
};
RegistryKeyName SplitRegistryKeyName(std::string_view path);

// REG_SZ and REG_EXPAND_SZ as stored: the bytes without one terminating NUL.
// A value stored without its terminator keeps all its characters.
std::string RegistryStringFromBytes(std::string_view bytes);

// REG_BINARY: two upper-case hexadecimal digits per byte, no separators.
std::string RegistryBinaryToText(std::string_view bytes);
// Spaces are removed, then each pair of characters is one byte; a pair that
// is not two hexadecimal digits gives 0, an odd last character is ignored.
std::string RegistryBinaryFromText(std::string_view text);

// REG_DWORD: unsigned decimal.
std::string RegistryDwordToText(std::uint32_t value);
// An integer text: optional leading blanks, an optional sign, then decimal
// digits or hexadecimal digits after "$" or "0x". Negative numbers give
// their 32-bit two's complement; anything else, and numbers outside
// -2147483648..4294967295, give 0.
std::uint32_t RegistryDwordFromText(std::string_view text);

// REG_MULTI_SZ read: the last two characters dropped (one when there are
// fewer than two), then every NUL replaced by "\r\n".
std::string RegistryMultiStringToText(std::string_view bytes);
// REG_MULTI_SZ written: the text split into lines at CR, LF or CR LF (a
// final line break ends the last line, it starts no new one), stored as the
// lines separated by NUL and ended by two NULs.
std::string RegistryMultiStringFromText(std::string_view text);

// Whole values by their Win32 type number (1 string, 2 expandable string,
// 3 binary, 4 number, 7 lines) in the forms above; strings of both kinds as
// stored, references not expanded. Nothing for another type, and for a
// number shorter than 4 bytes.
std::optional<std::string> RegistryValueText(std::uint32_t type, std::string_view bytes);
// The bytes a write of `text` with that type stores (strings with their
// terminating NUL); nothing for another type.
std::optional<std::string> RegistryValueBytes(std::uint32_t type, std::string_view text);

}  // namespace cv
