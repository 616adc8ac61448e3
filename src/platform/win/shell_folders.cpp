#include "platform/win/shell_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/win/system_folders.h"

namespace cv {

namespace {

constexpr ShellFolderRow kRows[kShellFolderCount] = {
    {"Desktop", 0x10, false, 0, ""},
    {"Fonts", 0x14, false, 0, ""},
    {"NetHood", 0x13, false, 0, ""},
    {"Personal", 0x05, false, 0, ""},
    {"ProgramsMenu", 0x02, false, 0, ""},
    {"Recent", 0x08, false, 0, ""},
    {"SendTo", 0x09, false, 0, ""},
    {"StartMenu", 0x0B, false, 0, ""},
    {"StartupMenu", 0x07, false, 0, ""},
    {"Templates", 0x15, false, 0, ""},
    {"CommonStartMenu", 0x16, true, 7, ""},
    {"CommonProgramsMenu", 0x17, true, 4, ""},
    {"CommonStartupMenu", 0x18, true, 8, ""},
    {"CommonDesktop", 0x19, true, 0, ""},
    {"AppData", 0x1A, false, 0, "Application Data"},
    {"CommonAppData", 0x23, true, 14, ""},
    {"LocalAppData", 0x1C, true, 14, ""},
};

}  // namespace

const ShellFolderRow& ShellFolder(int index) { return kRows[index]; }

std::string GetSpecialFolder(int folderId) {
  LPITEMIDLIST item = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, &item)) || !item) return {};
  char path[MAX_PATH + 1] = {};
  const bool ok = SHGetPathFromIDListA(item, path) != FALSE;
  CoTaskMemFree(item);
  return ok ? std::string(path) : std::string();
}

std::string ShellFolderPath(int index) {
  if (index < 0 || index >= kShellFolderCount) return {};
  // The fallback rows all point at rows without fallbacks, so this ends.
  const ShellFolderRow& row = kRows[index];
  std::string path = GetSpecialFolder(row.FolderId);
  if (path.empty() && row.HasFallbackRow) path = ShellFolderPath(row.FallbackRow);
  if (path.empty()) path = WindowsFolder() + "\\" + row.FallbackSubfolder;
  return path;
}

}  // namespace cv
