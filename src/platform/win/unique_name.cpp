#include "platform/unique_name.h"

#include <windows.h>

namespace cv {

std::string MakeUniqueName(const std::string& folder, const std::string& prefix,
                           const std::string& suffix, bool shortName) {
  const LocalClock clock = [] {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return LocalTime{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                     now.wMinute, now.wSecond, now.wMilliseconds};
  };
  const PathExists exists = [](const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  return MakeUniqueName(folder, prefix, suffix, shortName, clock, exists);
}

}  // namespace cv
