#include "platform/unique_name.h"

#include <windows.h>

#include "platform/win/file_system.h"

namespace cv {

std::string MakeUniqueName(const std::string& folder, const std::string& prefix,
                           const std::string& suffix, bool shortName) {
  return MakeUniqueName(folder, prefix, suffix, shortName, CurrentLocalTime, &FileOrFolderExists);
}

}  // namespace cv
