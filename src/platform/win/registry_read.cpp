#include "platform/registry_read.h"

#include "platform/win/registry_path.h"

namespace cv {

std::string RegistryReadText(const std::string& path, const std::string& name,
                             const std::string& defaultValue) {
  return RegReadString(path, name, defaultValue);
}

}  // namespace cv
