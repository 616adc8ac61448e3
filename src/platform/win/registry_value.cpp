#include "platform/win/registry_value.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace cv {

namespace {

// Closes the key however the caller leaves.
class OpenKey {
 public:
  OpenKey(HKEY root, const std::string& subkey, REGSAM access) {
    if (RegOpenKeyExA(root, subkey.c_str(), 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  ~OpenKey() {
    if (key_) RegCloseKey(key_);
  }
  HKEY get() const { return key_; }

 protected:
  OpenKey() = default;
  HKEY key_ = nullptr;
};

class CreatedKey : public OpenKey {
 public:
  CreatedKey(HKEY root, const std::string& subkey) {
    if (RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
    }
  }
};

}  // namespace

std::string ReadRegistryString(HKEY root, const std::string& subkey, const std::string& name) {
  const OpenKey key(root, subkey, KEY_QUERY_VALUE);
  if (!key.get()) return {};
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return {};
  }
  // One extra NUL: a value stored without its terminator still ends.
  std::vector<char> data(size + 1, '\0');
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
    return {};
  }
  return std::string(data.data());
}

DWORD RegistryValueType(HKEY root, const std::string& subkey, const std::string& name) {
  const OpenKey key(root, subkey, KEY_QUERY_VALUE);
  if (!key.get()) return 0;
  DWORD type = 0;
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, nullptr) !=
      ERROR_SUCCESS) {
    return 0;
  }
  return type;
}

bool ReadRegistryValue(HKEY root, const std::string& subkey, const std::string& name, DWORD& type,
                       std::string& data) {
  const OpenKey key(root, subkey, KEY_QUERY_VALUE);
  if (!key.get()) return false;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return false;
  }
  std::string bytes(size, '\0');
  DWORD read = size;
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(bytes.data()), &read) != ERROR_SUCCESS) {
    return false;
  }
  bytes.resize(std::min(read, size));
  data = std::move(bytes);
  return true;
}

bool WriteRegistryValue(HKEY root, const std::string& subkey, const std::string& name, DWORD type,
                        const std::string& data) {
  const CreatedKey key(root, subkey);
  if (!key.get()) return false;
  return RegSetValueExA(key.get(), name.c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool WriteRegistryString(HKEY root, const std::string& subkey, const std::string& name,
                         const std::string& text, DWORD type) {
  return WriteRegistryValue(root, subkey, name, type, std::string(text.c_str(), text.size() + 1));
}

bool DeleteRegistryValue(HKEY root, const std::string& subkey, const std::string& name) {
  const OpenKey key(root, subkey, KEY_SET_VALUE);
  if (!key.get()) return false;
  return RegDeleteValueA(key.get(), name.c_str()) == ERROR_SUCCESS;
}

}  // namespace cv
