#pragma once
// Trimming as the installer's texts are trimmed everywhere: blanks and
// control characters, that is every byte up to and including the space.

#include <string_view>

namespace cv {

inline bool IsTrimmedChar(char c) { return static_cast<unsigned char>(c) <= ' '; }

inline std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsTrimmedChar(text.front())) text.remove_prefix(1);
  return text;
}

inline std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && IsTrimmedChar(text.back())) text.remove_suffix(1);
  return text;
}

inline std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

}  // namespace cv
