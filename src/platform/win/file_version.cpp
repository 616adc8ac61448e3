#include "platform/win/file_version.h"

#include <cstdio>
#include <vector>

#include "platform/name_value.h"

namespace cv {

bool GetFileVersion(const std::string& fileNameIn, DWORD& versionMS, DWORD& versionLS) {
  versionMS = 0;
  versionLS = 0;
  const std::string fileName = Dequote(fileNameIn);
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &handle);
  if (size == 0) return false;
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(fileName.c_str(), 0, size, block.data())) return false;
  void* fixed = nullptr;
  UINT fixedSize = 0;
  if (!VerQueryValueA(block.data(), "\\", &fixed, &fixedSize) || !fixed ||
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
