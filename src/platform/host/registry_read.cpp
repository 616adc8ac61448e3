#include "platform/registry_read.h"

namespace cv {

std::string RegistryReadText(const std::string&, const std::string&,
                             const std::string& defaultValue) {
  return defaultValue;
}

}  // namespace cv
