#pragma once
// Blanks as the XML reader and writer trim them: every byte up to 32 (space,
// TAB, line breaks and the other control bytes).

#include <string_view>

namespace cv {

inline bool IsXmlBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

inline std::string_view TrimXmlBlanksRight(std::string_view text) {
  while (!text.empty() && IsXmlBlank(text.back())) text.remove_suffix(1);
  return text;
}

inline std::string_view TrimXmlBlanks(std::string_view text) {
  text = TrimXmlBlanksRight(text);
  while (!text.empty() && IsXmlBlank(text.front())) text.remove_prefix(1);
  return text;
}

}  // namespace cv
