#include "platform/version_text.h"

#include <array>
#include <cstdint>

#include "platform/numbers.h"

namespace cv {

namespace {

std::array<std::int64_t, 4> VersionParts(std::string_view text) {
  std::array<std::int64_t, 4> parts{};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const auto dot = text.find('.');
    parts[i] = StrToIntDef(text.substr(0, dot), 0);
    if (dot == std::string_view::npos) break;
    text.remove_prefix(dot + 1);
  }
  return parts;
}

int Sign(std::int64_t value) { return value > 0 ? 1 : value < 0 ? -1 : 0; }

}  // namespace

int CompareVersions(std::string_view a, std::string_view b) {
  const auto x = VersionParts(a);
  const auto y = VersionParts(b);
  const std::int64_t high = (x[0] * 65536 + x[1]) - (y[0] * 65536 + y[1]);
  if (high != 0) return Sign(high);
  return Sign((x[2] * 65536 + x[3]) - (y[2] * 65536 + y[3]));
}

}  // namespace cv
