#include "platform/unique_name.h"

#include <windows.h>

namespace cv {

std::string MakeUniqueName(const std::string& folder, const std::string& prefix,
                           const std::string& suffix, bool shortName) {
  const PathExists exists = [](const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  return MakeUniqueName(folder, prefix, suffix, shortName, CurrentLocalTime, exists);
}

}  // namespace cv
