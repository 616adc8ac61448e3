#include "platform/paths.h"

namespace cv {

std::string StripOneQuotePair(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = text.substr(1, text.size() - 2);
  }
  return std::string(text);
}

std::string IncludeBackslash(std::string_view path) {
  std::string out = StripOneQuotePair(path);
  if (!out.empty() && out.back() != '\\') out += '\\';
  return out;
}

std::string ExcludeBackslash(std::string_view path) {
  std::string out(path);
  if (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

namespace {

std::size_t FileNameStart(std::string_view path) {
  const auto at = path.find_last_of("\\:");
  return at == std::string_view::npos ? 0 : at + 1;
}

}  // namespace

std::string ExtractFolder(std::string_view path) {
  return std::string(path.substr(0, FileNameStart(path)));
}

std::string ExtractFileName(std::string_view path) {
  return std::string(path.substr(FileNameStart(path)));
}

std::string ChangeExtension(std::string_view path, std::string_view extension) {
  const std::size_t nameStart = FileNameStart(path);
  const auto dot = path.find_last_of('.');
  std::string out(path);
  if (dot != std::string_view::npos && dot >= nameStart) out.erase(dot);
  out += extension;
  return out;
}

std::string CollapseBackslashes(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  const std::size_t network = path.substr(0, 2) == "\\\\" ? 2 : 0;
  out.append(path.substr(0, network));
  for (std::size_t i = network; i < path.size(); ++i) {
    if (path[i] == '\\' && !out.empty() && out.back() == '\\') continue;
    out += path[i];
  }
  return out;
}

}  // namespace cv
