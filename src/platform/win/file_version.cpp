#include "platform/win/file_version.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "platform/name_value.h"
#include "platform/version_halves.h"
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

namespace {

// -1, 0 or 1 as the existing file is older, equal or newer; nothing when the
// file is missing.
std::optional<int> CompareExisting(const std::string& version, const std::string& fileName,
                                   const FILETIME& date) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  DWORD ms = 0;
  DWORD ls = 0;
  if (!version.empty() && GetFileVersion(fileName, ms, ls)) {
    return CompareVersionHalves({static_cast<std::int32_t>(ms), static_cast<std::int32_t>(ls)},
                                ParseVersionHalves(version));
  }
  return CompareFileTime(&data.ftLastWriteTime, &date);
}

}  // namespace

bool ExistingFileIsNewer(const std::string& version, const std::string& fileName,
                         const FILETIME& date) {
  const std::optional<int> order = CompareExisting(version, fileName, date);
  return order && *order > 0;
}

bool ExistingFileIsSame(const std::string& version, const std::string& fileName,
                        const FILETIME& date) {
  const std::optional<int> order = CompareExisting(version, fileName, date);
  return order && *order == 0;
}

}  // namespace cv
