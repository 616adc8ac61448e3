#pragma once
// Dotted version texts ("1.2.3.4") compared as four numbers.

#include <string_view>

namespace cv {

// Each text gives its first four "."-separated parts (missing or non-numeric
// parts count as 0); part1 * 65536 + part2 is compared first, then
// part3 * 65536 + part4. 1 when `a` is the newer, -1 when `b` is, else 0.
// The pairs are computed in 64 bits, so large parts compare as numbers.
int CompareVersions(std::string_view a, std::string_view b);

}  // namespace cv
