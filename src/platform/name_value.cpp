#include "platform/name_value.h"

namespace cv {

std::string TextBefore(std::string_view text, char ch) {
  return std::string(text.substr(0, text.find(ch)));
}

std::string NameOf(std::string_view text) { return TextBefore(text, '='); }

std::string ValueOf(std::string_view text) {
  const std::size_t at = text.find('=');
  return at == std::string_view::npos ? std::string() : std::string(text.substr(at + 1));
}

std::string Dequote(std::string_view text, char quote) {
  if (text.empty() || text.front() != quote) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] != quote) {
      out += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == quote) {
      out += quote;  // a doubled quote stands for one
      ++i;
    } else {
      break;  // the closing quote
    }
  }
  return out;
}

}  // namespace cv
