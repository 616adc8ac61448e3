#pragma once
// Numeric text conversions.

#include <cstdint>
#include <string>
#include <string_view>

namespace cv {

// Digits of a non-negative `value` in `base` (2 to 36; digits 0-9 then A-Z),
// left-padded with "0" to `width`. A value wider than `width` keeps all its
// digits; 0 gives "0" (padded).
std::string IntToBase(std::uint64_t value, int width, int base);

// `text` prefixed with copies of `ch` up to `width`; longer texts unchanged.
std::string PadLeft(char ch, std::string_view text, int width);

}  // namespace cv
