#include "platform/win/system_folders.h"

#include <windows.h>

#include "platform/locale_text.h"
#include "platform/system_info.h"

namespace cv {

namespace {

std::string WithBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

// Asks a Windows call that fills a buffer and answers the length it needs.
template <typename Query>
std::string QueryText(Query query) {
  std::string buffer(MAX_PATH, '\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    const UINT length = query(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.assign(length + 1, '\0');
  }
  return {};
}

}  // namespace

std::string WindowsFolder() {
  return QueryText([](char* b, UINT n) { return GetWindowsDirectoryA(b, n); });
}

std::string SystemFolder() {
  return QueryText([](char* b, UINT n) { return GetSystemDirectoryA(b, n); });
}

std::string SystemDllPath(const std::string& name) { return WithBackslash(SystemFolder()) + name; }

std::string TempRoot() {
  const std::string temp = WithBackslash(
      QueryText([](char* b, UINT n) { return static_cast<UINT>(GetTempPathA(n, b)); }));
  const std::string current = WithBackslash(
      QueryText([](char* b, UINT n) { return static_cast<UINT>(GetCurrentDirectoryA(n, b)); }));
  if (SameTextLocale(temp, current)) {
    return SystemInfo().IsNT() ? std::string("C:\\Temp\\") : WindowsFolder() + "\\Temp\\";
  }
  return temp;
}

std::string ModuleFileName() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length < MAX_PATH ? length : MAX_PATH);
}

}  // namespace cv
