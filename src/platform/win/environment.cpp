#include "platform/win/environment.h"

#include <windows.h>

#include <cstring>

#include "platform/autoexec_lines.h"
#include "platform/system_info.h"
#include "platform/unique_name.h"
#include "platform/win/registry_path.h"
#include "platform/win/registry_value.h"
#include "platform/win/file_system.h"

namespace cv {

namespace {

std::string EnvironmentPath(bool system) {
  return system ? std::string("HKLM\\") + kSystemEnvironmentKey
                : std::string("HKCU\\") + kUserEnvironmentKey;
}

// Through the registry facade's root table, so that a test's sandbox holds
// the variables it changes.
ResolvedRegistryKey EnvironmentLocation(bool system) {
  return ResolveRegistryPath(EnvironmentPath(system));
}

// The whole file, or false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  bool ok = true;
  char buffer[16384];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr)) {
      ok = false;
      break;
    }
    if (read == 0) break;
    bytes.append(buffer, read);
  }
  CloseHandle(file);
  return ok;
}

// Creates `path`, which must not exist yet, with exactly `bytes`. A file that
// could be created but not completely written is deleted again; a file of the
// same name that was there before is never touched.
bool WriteNewFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  if (!CloseHandle(file)) ok = false;
  if (!ok) DeleteFileA(path.c_str());
  return ok;
}


}  // namespace

std::string ProcessEnvVar(const std::string& name) {
  std::string value(256, '\0');
  for (;;) {
    const DWORD length =
        GetEnvironmentVariableA(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) return {};
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    // Too small: the answer is the size needed, terminating NUL included.
    value.assign(length, '\0');
  }
}

void EnvironmentList(std::vector<std::string>& list) {
  list.clear();
  char* block = GetEnvironmentStringsA();
  if (!block) return;
  for (const char* entry = block; *entry; entry += std::strlen(entry) + 1) list.emplace_back(entry);
  FreeEnvironmentStringsA(block);
}

std::string ExpandEnvironmentText(const std::string& text) {
  const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
  if (needed == 0) return {};
  // One spare character: some ANSI versions of Windows count one too few.
  std::string expanded(needed + 1, '\0');
  if (ExpandEnvironmentStringsA(text.c_str(), expanded.data(), needed + 1) == 0) return {};
  expanded.resize(std::strlen(expanded.c_str()));
  return expanded;
}

std::string GetEnvVar(const std::string& name, bool system, bool expand) {
  if (name.empty()) return {};
  if (!SystemInfo().IsNT()) return ProcessEnvVar(name);
  const ResolvedRegistryKey location = EnvironmentLocation(system);
  switch (RegistryValueType(location.root, location.subkey, name)) {
    case REG_EXPAND_SZ: {
      const std::string stored = ReadRegistryString(location.root, location.subkey, name);
      return expand ? ExpandEnvironmentText(stored) : stored;
    }
    case REG_SZ: return ReadRegistryString(location.root, location.subkey, name);
    default:
      // Any other type (a number, bytes, lines) in its textual form.
      return RegReadString(EnvironmentPath(system), name, "");
  }
}

bool SetEnvVar(const std::string& name, const std::string& value, bool system) {
  if (name.empty()) return false;
  if (!SystemInfo().IsNT()) return SetAutoexecVariable(name, value);
  const ResolvedRegistryKey location = EnvironmentLocation(system);
  if (value.empty()) return DeleteRegistryValue(location.root, location.subkey, name);
  // A value such as "%SystemRoot%\bin" must stay expandable, or Windows would
  // hand programs the reference instead of the folder.
  const DWORD type = RegistryValueType(location.root, location.subkey, name) == REG_EXPAND_SZ
                         ? REG_EXPAND_SZ
                         : REG_SZ;
  return WriteRegistryString(location.root, location.subkey, name, value, type);
}

bool RewriteAutoexec(const std::string& autoexecPath, const std::string& newPath,
                     const std::string& name, const std::string& value) {
  if (name.empty()) return false;
  const bool existed = FileOrFolderExists(autoexecPath);
  std::string old;
  if (existed && !ReadWholeFile(autoexecPath, old)) return false;
  const AutoexecEdit edit = SetAutoexecVariableLines(SplitTextFileLines(old), name, value);
  if (!WriteNewFile(newPath, JoinTextFileLines(edit.Lines))) return false;
  if (existed && !DeleteFileA(autoexecPath.c_str())) {
    DeleteFileA(newPath.c_str());
    return false;
  }
  return MoveFileA(newPath.c_str(), autoexecPath.c_str()) != 0;
}

bool SetAutoexecVariableIn(const std::string& folder, const std::string& name,
                           const std::string& value) {
  if (name.empty()) return false;
  const std::string newPath = folder + MakeUniqueName(folder, "", ".bat", true);
  return RewriteAutoexec(folder + "autoexec.bat", newPath, name, value);
}

bool SetAutoexecVariable(const std::string& name, const std::string& value) {
  return SetAutoexecVariableIn("c:\\", name, value);
}

}  // namespace cv
