#pragma once
// A dotted file version as the two 32-bit halves a version resource holds.

#include <cstdint>
#include <string_view>

namespace cv {

// A dotted version as its two 32-bit halves (major << 16 | minor and
// release << 16 | build) taken as signed numbers.
struct VersionHalves {
  std::int32_t MS = 0;
  std::int32_t LS = 0;
};
VersionHalves ParseVersionHalves(std::string_view text);

// -1, 0 or 1 as `a` is older than, equal to or newer than `b`.
int CompareVersionHalves(const VersionHalves& a, const VersionHalves& b);

}  // namespace cv
