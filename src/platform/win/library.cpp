#include "platform/win/library.h"

namespace cv {

HMODULE LoadLibraryQuiet(const std::string& path, LoadMode mode) {
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  const DWORD flags = mode == LoadMode::AlteredSearchPath ? LOAD_WITH_ALTERED_SEARCH_PATH : 0;
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, flags);
  SetErrorMode(previous);
  return module;
}

void RemoveCurrentFolderFromDllSearch() {
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return;
  using SetDllDirectoryRoutine = BOOL(WINAPI*)(LPCSTR);
  using SetSearchPathModeRoutine = BOOL(WINAPI*)(DWORD);
  if (const auto setDllDirectory = reinterpret_cast<SetDllDirectoryRoutine>(
          reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")))) {
    setDllDirectory("");
  }
  if (const auto setSearchPathMode = reinterpret_cast<SetSearchPathModeRoutine>(
          reinterpret_cast<void*>(GetProcAddress(kernel, "SetSearchPathMode")))) {
    constexpr DWORD kSafeSearchMode = 0x00000001;  // BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE
    constexpr DWORD kPermanent = 0x00008000;       // BASE_SEARCH_PATH_PERMANENT
    setSearchPathMode(kSafeSearchMode | kPermanent);
  }
}

}  // namespace cv
