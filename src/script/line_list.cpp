#include "script/line_list.h"

namespace cv {

std::vector<std::string> SplitLineList(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  for (const char c : text) {
    if (c == '\r') {
      lines.push_back(std::move(line));
      line.clear();
    } else if (c != '\n') {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

std::string JoinLineList(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace cv
