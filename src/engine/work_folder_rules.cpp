#include "engine/work_folder_rules.h"

#include "platform/case_map.h"
#include "platform/paths.h"

namespace cv {

namespace {

constexpr std::size_t kUniqueNameLength = 8;

bool IsBase32Digit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'V') || (c >= 'a' && c <= 'v');
}

// The file name of `path` when `path` stands directly in `folder`; empty
// otherwise.
std::string NameDirectlyIn(const std::string& path, const std::string& folder) {
  const std::string parent = IncludeBackslash(folder);
  if (folder.empty() || path.size() <= parent.size()) return {};
  if (!SameTextNoCase(std::string_view(path).substr(0, parent.size()), parent)) return {};
  const std::string name = path.substr(parent.size());
  return name.find_first_of("\\/") == std::string::npos ? name : std::string();
}

}  // namespace

bool IsUniqueNameOf(const std::string& name, const std::string& prefix, const std::string& suffix) {
  if (name.size() != kUniqueNameLength + suffix.size() || prefix.size() >= kUniqueNameLength) return false;
  if (!SameTextNoCase(std::string_view(name).substr(0, prefix.size()), prefix)) return false;
  if (!SameTextNoCase(std::string_view(name).substr(kUniqueNameLength), suffix)) return false;
  for (std::size_t i = prefix.size(); i < kUniqueNameLength; ++i) {
    if (!IsBase32Digit(name[i])) return false;
  }
  return true;
}

bool HasWorkFolderShape(const std::string& folder, const std::string& tempRoot) {
  return IsUniqueNameOf(NameDirectlyIn(ExcludeBackslash(folder), tempRoot), "", "");
}

bool HasResumeCopyShape(const std::string& program, const std::string& tempRoot) {
  return IsUniqueNameOf(NameDirectlyIn(program, tempRoot), "cv", ".exe");
}

}  // namespace cv
