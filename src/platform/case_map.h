#pragma once
// The fixed case map used for case-insensitive search: a-z to A-Z and the
// upper half of the Windows-1251/1252 letters (0xE0-0xFF) to 0xC0-0xDF. It does
// not depend on the user's locale, so searches give the same answer everywhere.

#include <string>
#include <string_view>

namespace cv {

inline char CaseMapUpper(char c) {
  const auto b = static_cast<unsigned char>(c);
  if ((b >= 'a' && b <= 'z') || b >= 0xE0) return static_cast<char>(b - 0x20);
  return c;
}

inline std::string CaseMapUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = CaseMapUpper(c);
  return out;
}

}  // namespace cv
