#include "platform/autoexec_lines.h"

#include "platform/case_map.h"
#include "platform/locale_text.h"
#include "platform/trim.h"

namespace cv {

namespace {

constexpr char kEndOfFile = '\x1A';

}  // namespace

std::vector<std::string> SplitTextFileLines(std::string_view text) {
  const auto end = text.find(kEndOfFile);
  if (end != std::string_view::npos) text = text.substr(0, end);
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinTextFileLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

bool IsSetLineFor(std::string_view line, std::string_view name) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.size() < 4 || CaseMapUpper(trimmed.substr(0, 4)) != "SET ") return false;
  const std::string_view rest = Trim(trimmed.substr(4));
  const auto equals = rest.find('=');
  // A SET without "=" only shows variables; it sets nothing.
  if (equals == std::string_view::npos) return false;
  return SameTextLocale(rest.substr(0, equals), name);
}

std::string SetLine(std::string_view name, std::string_view value) {
  std::string line = "SET ";
  line += name;
  line += '=';
  line += value;
  return line;
}

AutoexecEdit SetAutoexecVariableLines(const std::vector<std::string>& lines, std::string_view name,
                                      std::string_view value) {
  AutoexecEdit edit;
  for (const std::string& line : lines) {
    if (!IsSetLineFor(line, name)) {
      edit.Lines.push_back(line);
      continue;
    }
    edit.Found = true;
    if (!value.empty()) edit.Lines.push_back(SetLine(name, value));
  }
  if (!edit.Found && !value.empty()) edit.Lines.push_back(SetLine(name, value));
  return edit;
}

}  // namespace cv
