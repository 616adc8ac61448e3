#include "install/registry_key_parent.h"

namespace cv {

std::string RegistryParentKey(std::string_view path) {
  char quote = 0;
  std::size_t last = std::string_view::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '\\') {
      last = i;
    }
  }
  return std::string(last == std::string_view::npos ? path : path.substr(0, last));
}

}  // namespace cv
