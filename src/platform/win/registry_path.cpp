#include "platform/win/registry_path.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "platform/win/random_number.h"
#include "platform/win/registry_value.h"

namespace cv {

namespace {

std::mutex& RootTableLock() {
  static std::mutex lock;
  return lock;
}

// Indexed by RegistryRoot. Tests replace entries through
// RegistryRootRedirect; everything else reads them through ResolveRegistryPath.
std::array<RegistryRootMapping, 4>& RootTable() {
  static std::array<RegistryRootMapping, 4> table = {{
      {HKEY_CLASSES_ROOT, {}},
      {HKEY_CURRENT_USER, {}},
      {HKEY_LOCAL_MACHINE, {}},
      {HKEY_USERS, {}},
  }};
  return table;
}

// Closes the key however the caller leaves.
class PathKey {
 public:
  PathKey(const std::string& path, REGSAM access) {
    const ResolvedRegistryKey resolved = ResolveRegistryPath(path);
    if (RegOpenKeyExA(resolved.root, resolved.subkey.c_str(), 0, access, &key_) != ERROR_SUCCESS) {
      key_ = nullptr;
    }
  }
  PathKey(const PathKey&) = delete;
  PathKey& operator=(const PathKey&) = delete;
  ~PathKey() {
    if (key_) RegCloseKey(key_);
  }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

bool ReadValue(const std::string& path, const std::string& name, DWORD& type, std::string& data) {
  const ResolvedRegistryKey resolved = ResolveRegistryPath(path);
  return ReadRegistryValue(resolved.root, resolved.subkey, name, type, data);
}

bool WriteValue(const std::string& path, const std::string& name, DWORD type,
                const std::string& data) {
  const ResolvedRegistryKey resolved = ResolveRegistryPath(path);
  return WriteRegistryValue(resolved.root, resolved.subkey, name, type, data);
}

bool ExpandEnvironmentText(const std::string& text, std::string& expanded) {
  const DWORD length = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
  if (length == 0) return false;
  std::string buffer(length, '\0');
  if (ExpandEnvironmentStringsA(text.c_str(), buffer.data(), length) == 0) return false;
  expanded = buffer.c_str();
  return true;
}

// The first four bytes as a little-endian number; bytes a shorter value does
// not have count as 0.
DWORD LittleEndianDword(const std::string& data) {
  DWORD value = 0;
  for (std::size_t i = std::min<std::size_t>(data.size(), 4); i > 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(data[i - 1]);
  }
  return value;
}

}  // namespace

ResolvedRegistryKey ResolveRegistryPath(const std::string& path) {
  const RegistryPathParts parts = SplitRegistryPath(path);
  RegistryRootMapping mapping;
  {
    const std::lock_guard<std::mutex> guard(RootTableLock());
    mapping = RootTable()[static_cast<std::size_t>(parts.root)];
  }
  if (mapping.prefix.empty()) return {mapping.key, parts.subkey};
  if (parts.subkey.empty()) return {mapping.key, mapping.prefix};
  return {mapping.key, mapping.prefix + "\\" + parts.subkey};
}

bool RegKeyExists(const std::string& path) { return PathKey(path, KEY_READ).get() != nullptr; }

bool RegValueExists(const std::string& path, const std::string& name) {
  const PathKey key(path, KEY_READ);
  return key.get() && RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr,
                                       nullptr) == ERROR_SUCCESS;
}

DWORD RegValueType(const std::string& path, const std::string& name) {
  const ResolvedRegistryKey resolved = ResolveRegistryPath(path);
  return RegistryValueType(resolved.root, resolved.subkey, name);
}

DWORD RegValueSize(const std::string& path, const std::string& name) {
  const PathKey key(path, KEY_READ);
  DWORD size = 0;
  if (!key.get() || RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, &size) !=
                        ERROR_SUCCESS) {
    return 0;
  }
  return size;
}

DWORD RegReadDword(const std::string& path, const std::string& name, DWORD defaultValue) {
  DWORD type = 0;
  std::string data;
  if (!ReadValue(path, name, type, data) || data.empty()) return defaultValue;
  return LittleEndianDword(data);
}

std::string RegReadString(const std::string& path, const std::string& name,
                          const std::string& defaultValue) {
  DWORD type = 0;
  std::string data;
  if (!ReadValue(path, name, type, data)) return defaultValue;
  switch (type) {
    case REG_SZ: return RegistryStringFromBytes(data);
    case REG_EXPAND_SZ: {
      std::string expanded;
      if (!ExpandEnvironmentText(RegistryStringFromBytes(data), expanded)) return defaultValue;
      return expanded;
    }
    case REG_BINARY: return RegistryBinaryToText(data);
    case REG_DWORD: {
      if (data.size() < 4) return defaultValue;
      return RegistryDwordToText(LittleEndianDword(data));
    }
    case REG_MULTI_SZ: return RegistryMultiStringToText(data);
    default: return defaultValue;
  }
}

bool RegReadBytes(const std::string& path, const std::string& name, DWORD& type,
                  std::string& data) {
  return ReadValue(path, name, type, data);
}

bool RegWriteBytes(const std::string& path, const std::string& name, DWORD type,
                   const std::string& data) {
  return WriteValue(path, name, type, data);
}

bool RegWriteTyped(const std::string& path, const std::string& name, DWORD type,
                   const std::string& text) {
  switch (type) {
    case REG_SZ: return RegWriteString(path, name, text);
    case REG_EXPAND_SZ: return RegWriteExpandString(path, name, text);
    case REG_BINARY: return RegWriteBinaryHex(path, name, text);
    case REG_DWORD: return RegWriteDword(path, name, RegistryDwordFromText(text));
    case REG_MULTI_SZ: return RegWriteMultiString(path, name, text);
    default: return false;
  }
}

bool RegWriteString(const std::string& path, const std::string& name, const std::string& text) {
  const ResolvedRegistryKey resolved = ResolveRegistryPath(path);
  return WriteRegistryString(resolved.root, resolved.subkey, name, text, REG_SZ);
}

bool RegWriteExpandString(const std::string& path, const std::string& name,
                          const std::string& text) {
  const ResolvedRegistryKey resolved = ResolveRegistryPath(path);
  return WriteRegistryString(resolved.root, resolved.subkey, name, text, REG_EXPAND_SZ);
}

bool RegWriteDword(const std::string& path, const std::string& name, DWORD number) {
  std::string bytes(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return WriteValue(path, name, REG_DWORD, bytes);
}

bool RegWriteBinaryHex(const std::string& path, const std::string& name, const std::string& text) {
  return WriteValue(path, name, REG_BINARY, RegistryBinaryFromText(text));
}

bool RegWriteMultiString(const std::string& path, const std::string& name,
                         const std::string& text) {
  return WriteValue(path, name, REG_MULTI_SZ, RegistryMultiStringFromText(text));
}

bool RegDeleteValuePath(const std::string& path, const std::string& name) {
  const ResolvedRegistryKey resolved = ResolveRegistryPath(path);
  return DeleteRegistryValue(resolved.root, resolved.subkey, name);
}

bool RegDeleteKeyPath(const std::string& path, bool recursive) {
  // A root is never deleted: a recursive delete of "HKLM" would otherwise
  // empty the whole hive before failing on the root itself.
  if (SplitRegistryPath(path).subkey.empty()) return false;
  const RegistryKeyName key = SplitRegistryKeyName(path);
  if (recursive) {
    std::vector<std::string> subkeys;
    RegEnumSubkeys(path, subkeys);
    const std::string base = key.parent + key.name + "\\";
    for (const std::string& subkey : subkeys) RegDeleteKeyPath(base + subkey, true);
  }
  const PathKey parent(key.parent, KEY_WRITE);
  return parent.get() && RegDeleteKeyA(parent.get(), key.name.c_str()) == ERROR_SUCCESS;
}

bool RegDeleteKeyIfEmpty(const std::string& path) {
  DWORD subkeys = 0, values = 0;
  {
    const PathKey key(path, KEY_READ);
    if (!key.get() || RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                       &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      return false;
    }
  }
  return subkeys == 0 && values == 0 && RegDeleteKeyPath(path, false);
}

bool RegEnumSubkeys(const std::string& path, std::vector<std::string>& list) {
  list.clear();
  const PathKey key(path, KEY_READ);
  if (!key.get()) return false;
  char name[1025];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    const LONG result =
        RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS) return false;
    list.emplace_back(name, length);
  }
  return true;
}

std::string RegUniqueValueName(const std::string& path, const std::string& prefix) {
  return RegUniqueValueName(path, prefix, RandomNumber);
}

std::string RegUniqueValueName(const std::string& path, const std::string& prefix,
                               const std::function<std::uint32_t()>& random) {
  for (;;) {
    const std::string name = prefix + std::to_string(random() % 2147483647u);
    if (!RegValueExists(path, name)) return name;
  }
}

RegistryRootRedirect::RegistryRootRedirect(const std::string& sandbox) {
  static constexpr const char* kNames[4] = {"HKCR", "HKCU", "HKLM", "HKU"};
  const std::lock_guard<std::mutex> guard(RootTableLock());
  auto& table = RootTable();
  saved_ = table;
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i] = {HKEY_CURRENT_USER, sandbox + "\\" + kNames[i]};
  }
}

RegistryRootRedirect::~RegistryRootRedirect() {
  const std::lock_guard<std::mutex> guard(RootTableLock());
  RootTable() = saved_;
}

}  // namespace cv
