#include "engine/win/partial_files.h"

#include <windows.h>

#include <string>
#include <vector>

#include "platform/case_map.h"
#include "platform/date_time.h"
#include "platform/paths.h"
#include "platform/unique_name.h"
#include "platform/win/file_system.h"

namespace cv {

namespace {

// Whether a creation failed because the name is taken; any other failure
// ends the search for a name, and using the name then fails.
bool NameTaken() {
  const DWORD error = GetLastError();
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

}  // namespace

std::string ClaimPartialFile(const std::string& folderIn) {
  const std::string folder = IncludeBackslash(folderIn);
  const auto taken = [](const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return NameTaken();
    CloseHandle(file);
    return false;
  };
  return folder + MakeUniqueName(folder, "cvp", ".tmp", false, CurrentLocalTime, taken);
}

std::string PartialFiles::Claim(const std::string& targetFolder) {
  const std::string parent = IncludeBackslash(targetFolder);
  if (folder_.empty() || !SameTextNoCase(parent, parent_)) {
    Release();
    bool made = false;
    const auto taken = [&made](const std::string& path) {
      if (CreateDirectoryA(path.c_str(), nullptr)) {
        made = true;
        return false;
      }
      return NameTaken();
    };
    const std::string name = MakeUniqueName(parent, "cvp", ".tmp", false, CurrentLocalTime, taken);
    if (!made) return ClaimPartialFile(parent);
    parent_ = parent;
    folder_ = parent + name + "\\";
  }
  // Nobody else writes in the private folder: a new number is a free name,
  // and nothing needs to be asked of the file system.
  return folder_ + std::to_string(++count_) + ".tmp";
}

void RemoveAbandonedPartialFiles(const std::string& folderIn) {
  const std::string folder = IncludeBackslash(folderIn);
  ForEachEntry(folder + "cvp*.tmp", [&](const FoundEntry& found) {
    if (!found.IsFolder()) return true;
    const std::string privateFolder = folder + found.Name + "\\";
    // Only numbered partial files: "1.tmp", "2.tmp", ...
    bool onlyPartials = true;
    std::vector<std::string> partials;
    ForEachEntry(privateFolder + "*", [&](const FoundEntry& inner) {
      const std::size_t dot = inner.Name.find('.');
      onlyPartials = !inner.IsFolder() && dot != std::string::npos && dot > 0 &&
                     inner.Name.substr(dot) == ".tmp" && inner.Name.find_first_not_of("0123456789") == dot;
      partials.push_back(privateFolder + inner.Name);
      return onlyPartials;
    });
    if (!onlyPartials) return true;
    for (const std::string& partial : partials) DeleteFileForced(partial);
    RemoveDirectoryA(ExcludeBackslash(privateFolder).c_str());
    return true;
  });
}

void PartialFiles::Release() {
  if (!folder_.empty()) RemoveDirectoryA(ExcludeBackslash(folder_).c_str());
  folder_.clear();
  parent_.clear();
}

}  // namespace cv
