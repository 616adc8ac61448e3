#include "platform/paths.h"

namespace cv {

std::string IncludeBackslash(std::string_view path) {
  std::string out(path);
  if (out.size() >= 2 && out.front() == '"' && out.back() == '"')
    out = out.substr(1, out.size() - 2);
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

}  // namespace cv
