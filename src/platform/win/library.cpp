#include "platform/win/library.h"

namespace cv {

HMODULE LoadLibraryQuiet(const std::string& path, LoadMode mode) {
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  const DWORD flags = mode == LoadMode::AlteredSearchPath ? LOAD_WITH_ALTERED_SEARCH_PATH : 0;
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, flags);
  SetErrorMode(previous);
  return module;
}

}  // namespace cv
