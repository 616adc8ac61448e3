#pragma once
// The registry addressed by one textual path, "ROOT\sub\key" (see
// SplitRegistryPath), with values read and written in their textual forms,
// so that the project database, the install actions and the install log can
// carry them as strings. Nothing here raises: failures answer false, 0, an
// empty list or the given default. The facade keeps no state of its own
// besides the root table, and may be used from any thread.

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/registry_text.h"

namespace cv {

// The key and subkey a path resolves to, through the current root table.
struct ResolvedRegistryKey {
  HKEY root = nullptr;
  std::string subkey;
};
ResolvedRegistryKey ResolveRegistryPath(const std::string& path);

// The key can be opened for reading.
bool RegKeyExists(const std::string& path);
// The key opens for reading and the value can be queried.
bool RegValueExists(const std::string& path, const std::string& name);
// The value's Win32 type, 0 when the key or the value is missing.
DWORD RegValueType(const std::string& path, const std::string& name);
// The value's data size in bytes, 0 when missing.
DWORD RegValueSize(const std::string& path, const std::string& name);
// The value's first 4 bytes (missing bytes of a shorter value are 0), or
// `defaultValue` when the value cannot be read or is empty.
DWORD RegReadDword(const std::string& path, const std::string& name, DWORD defaultValue);
// Any value of type REG_SZ, REG_EXPAND_SZ (environment references expanded),
// REG_BINARY, REG_DWORD or REG_MULTI_SZ in its textual form; `defaultValue`
// when the value is missing, unreadable, of another type or cannot be
// expanded.
std::string RegReadString(const std::string& path, const std::string& name,
                          const std::string& defaultValue);

// The value's type and its bytes exactly as stored; false when the key or
// the value is missing or cannot be read.
bool RegReadBytes(const std::string& path, const std::string& name, DWORD& type,
                  std::string& data);

// Every write creates the key and its missing parents first.
// `data` stored as the value's bytes with the given type.
bool RegWriteBytes(const std::string& path, const std::string& name, DWORD type,
                   const std::string& data);
// `type` 1, 2, 3, 4 or 7 converts `text` from its textual form; any other
// type writes nothing and fails.
bool RegWriteTyped(const std::string& path, const std::string& name, DWORD type,
                   const std::string& text);
bool RegWriteString(const std::string& path, const std::string& name, const std::string& text);
bool RegWriteExpandString(const std::string& path, const std::string& name,
                          const std::string& text);
bool RegWriteDword(const std::string& path, const std::string& name, DWORD number);
bool RegWriteBinaryHex(const std::string& path, const std::string& name, const std::string& text);
bool RegWriteMultiString(const std::string& path, const std::string& name, const std::string& text);

// Opens the key for writing and deletes the value.
bool RegDeleteValuePath(const std::string& path, const std::string& name);
// Deletes the key by its last name from its parent. With `recursive` every
// subkey goes first (depth first); without it a key that has subkeys stays
// as it is and the call fails. A path that names a root alone (or is empty)
// is refused.
bool RegDeleteKeyPath(const std::string& path, bool recursive);
// Deletes the key when it holds neither values nor subkeys.
bool RegDeleteKeyIfEmpty(const std::string& path);
// Clears `list` and adds every subkey name in enumeration order; false when
// the key cannot be opened.
bool RegEnumSubkeys(const std::string& path, std::vector<std::string>& list);

// prefix + a random decimal number below 2147483647, drawn again until the
// key has no value of that name.
std::string RegUniqueValueName(const std::string& path, const std::string& prefix);
// The same with the numbers drawn from `random` (tests choose them).
std::string RegUniqueValueName(const std::string& path, const std::string& prefix,
                               const std::function<std::uint32_t()>& random);

// Where one root of the facade lies: a real root key and a subkey of it
// (empty for the root itself).
struct RegistryRootMapping {
  HKEY key = nullptr;
  std::string prefix;
};

// For tests only: while an object lives, every root of the facade
// (HKCR, HKCU, HKLM, HKU, in short or long form, and paths without a root)
// resolves to the subkey "<sandbox>\HKCR", "<sandbox>\HKCU", "<sandbox>\HKLM"
// or "<sandbox>\HKU" of the real HKEY_CURRENT_USER, so that machine-wide
// writes and the engine's own code paths are tested without touching the
// real hive. The mapping is process-wide; the object puts the previous
// mapping back when it ends. It leaves the sandbox keys in place: the test
// removes its own key.
class RegistryRootRedirect {
 public:
  explicit RegistryRootRedirect(const std::string& sandbox);
  RegistryRootRedirect(const RegistryRootRedirect&) = delete;
  RegistryRootRedirect& operator=(const RegistryRootRedirect&) = delete;
  ~RegistryRootRedirect();

 private:
  std::array<RegistryRootMapping, 4> saved_;
};

}  // namespace cv
