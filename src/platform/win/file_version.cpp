#include "platform/win/file_version.h"

#include <cstdio>
#include <vector>

#include "platform/name_value.h"
#include "platform/win/library.h"
#include "platform/win/system_folders.h"

namespace cv {

namespace {

// version.dll is not among the libraries Windows always takes from the
// system folder: imported statically, a copy planted beside the setup file
// would be loaded before any of the engine's code runs. It is loaded on
// first use, by full path, and kept for the process's life.
struct VersionLibrary {
  decltype(&GetFileVersionInfoSizeA) InfoSize = nullptr;
  decltype(&GetFileVersionInfoA) Info = nullptr;
  decltype(&VerQueryValueA) Query = nullptr;

  VersionLibrary() {
    const HMODULE module = LoadLibraryQuiet(SystemDllPath("version.dll"), LoadMode::Plain);
    if (!module) return;
    InfoSize = reinterpret_cast<decltype(InfoSize)>(
        reinterpret_cast<void*>(GetProcAddress(module, "GetFileVersionInfoSizeA")));
    Info = reinterpret_cast<decltype(Info)>(
        reinterpret_cast<void*>(GetProcAddress(module, "GetFileVersionInfoA")));
    Query = reinterpret_cast<decltype(Query)>(
        reinterpret_cast<void*>(GetProcAddress(module, "VerQueryValueA")));
  }
  bool Usable() const { return InfoSize && Info && Query; }
};

const VersionLibrary& Version() {
  static const VersionLibrary library;
  return library;
}

}  // namespace

bool GetFileVersion(const std::string& fileNameIn, DWORD& versionMS, DWORD& versionLS) {
  versionMS = 0;
  versionLS = 0;
  const VersionLibrary& version = Version();
  if (!version.Usable()) return false;
  const std::string fileName = Dequote(fileNameIn);
  DWORD handle = 0;
  const DWORD size = version.InfoSize(fileName.c_str(), &handle);
  if (size == 0) return false;
  std::vector<char> block(size);
  if (!version.Info(fileName.c_str(), 0, size, block.data())) return false;
  void* fixed = nullptr;
  UINT fixedSize = 0;
  if (!version.Query(block.data(), "\\", &fixed, &fixedSize) || !fixed ||
      fixedSize < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
  versionMS = info->dwFileVersionMS;
  versionLS = info->dwFileVersionLS;
  return true;
}

bool GetFileVersionText(const std::string& fileName, std::string& text) {
  text.clear();
  DWORD versionMS = 0;
  DWORD versionLS = 0;
  if (!GetFileVersion(fileName, versionMS, versionLS)) return false;
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", static_cast<unsigned>(HIWORD(versionMS)),
                static_cast<unsigned>(LOWORD(versionMS)), static_cast<unsigned>(HIWORD(versionLS)),
                static_cast<unsigned>(LOWORD(versionLS)));
  text = buffer;
  return true;
}

}  // namespace cv
