#include "platform/version_halves.h"

namespace cv {

VersionHalves ParseVersionHalves(std::string_view text) {
  std::uint32_t parts[4] = {0, 0, 0, 0};
  for (int i = 0; i < 4 && !text.empty(); ++i) {
    const std::size_t dot = text.find('.');
    const std::string_view part = text.substr(0, dot);
    std::uint32_t value = 0;
    bool numeric = !part.empty();
    for (char c : part) {
      if (c < '0' || c > '9') {
        numeric = false;
        break;
      }
      value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    parts[i] = numeric ? value : 0;
    if (dot == std::string_view::npos) break;
    text.remove_prefix(dot + 1);
  }
  // The halves wrap as the 32-bit records that hold them do.
  return {static_cast<std::int32_t>(parts[0] * 65536u + parts[1]),
          static_cast<std::int32_t>(parts[2] * 65536u + parts[3])};
}

int CompareVersionHalves(const VersionHalves& a, const VersionHalves& b) {
  if (a.MS != b.MS) return a.MS > b.MS ? 1 : -1;
  if (a.LS != b.LS) return a.LS > b.LS ? 1 : -1;
  return 0;
}

}  // namespace cv
