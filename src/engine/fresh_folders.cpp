#include "engine/fresh_folders.h"

#include "platform/case_map.h"

namespace cv {

namespace {

std::string_view WithoutTrailingBackslash(std::string_view path) {
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return path;
}

// A folder path that names its folder one way only, as far as text can tell.
bool PlainFolder(std::string_view folder) {
  if (folder.find('~') != std::string_view::npos) return false;
  if (folder.find('/') != std::string_view::npos) return false;
  for (std::size_t at = folder.find("\\."); at != std::string_view::npos;
       at = folder.find("\\.", at + 1)) {
    const std::size_t next = at + 2;
    if (next == folder.size() || folder[next] == '\\' || folder[next] == '.') return false;
  }
  return true;
}

// The name's key: trailing dots and spaces mean nothing to the file system.
std::string NameKey(std::string_view name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
  return CaseMapUpper(name);
}

}  // namespace

void FreshFolders::AddCreated(std::string_view folder) {
  folder = WithoutTrailingBackslash(folder);
  if (folder.empty() || !PlainFolder(folder)) return;
  folders_.insert(CaseMapUpper(folder));
}

void FreshFolders::AddTarget(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  names_.insert(NameKey(slash == std::string_view::npos ? path : path.substr(slash + 1)));
}

bool FreshFolders::KnownMissing(std::string_view path) const {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string_view::npos) return false;
  const std::string_view name = path.substr(slash + 1);
  if (name.empty() || name.find('~') != std::string_view::npos ||
      name.find('/') != std::string_view::npos || name.find(':') != std::string_view::npos) {
    return false;
  }
  const std::string key = NameKey(name);
  if (key.empty() || names_.count(key) != 0) return false;
  const std::string_view folder = path.substr(0, slash);
  return PlainFolder(folder) && folders_.count(CaseMapUpper(folder)) != 0;
}

}  // namespace cv
