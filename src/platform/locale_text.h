#pragma once
// Case folding "by the locale": on Windows the system's locale-aware
// upper-casing and comparison of 8-bit (ANSI code page) texts. The native
// Linux build has no Windows locale and falls back to the fixed case map,
// which agrees with Windows for ASCII and for the Windows-1252 letters.

#include <string>
#include <string_view>

namespace cv {

std::string UpperCaseLocale(std::string_view text);
bool SameTextLocale(std::string_view a, std::string_view b);
// -1, 0 or 1: `a` before, equal to or after `b`, ignoring case.
int CompareTextLocale(std::string_view a, std::string_view b);

}  // namespace cv
