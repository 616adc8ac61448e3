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

// ASCII letters only, nothing else changed: names of XML elements and
// attributes, properties and registry types, which are ASCII.
inline char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
inline char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
inline std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerAscii(c);
  return out;
}
// Equal with ASCII letters folded.
inline bool SameAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

// Equal under the case map, without copying either text.
inline bool SameTextNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (CaseMapUpper(a[i]) != CaseMapUpper(b[i])) return false;
  }
  return true;
}

// Orders texts under the case map, for sorted lists that ignore case.
struct TextLessNoCase {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
      const auto x = static_cast<unsigned char>(CaseMapUpper(a[i]));
      const auto y = static_cast<unsigned char>(CaseMapUpper(b[i]));
      if (x != y) return x < y;
    }
    return a.size() < b.size();
  }
};

}  // namespace cv
