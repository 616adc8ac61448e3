#pragma once
// The shell's special folders, with the fallbacks the engine uses on systems
// that lack some of them.

#include <string>

namespace cv {

// One row of the shell folder table.
struct ShellFolderRow {
  const char* Name;
  int FolderId;  // CSIDL
  bool HasFallbackRow;
  unsigned char FallbackRow;
  const char* FallbackSubfolder;  // of the Windows folder; may be empty
};

inline constexpr int kShellFolderCount = 17;

// Row `index` (0 to 16) of the table: Desktop, Fonts, NetHood, Personal,
// ProgramsMenu, Recent, SendTo, StartMenu, StartupMenu, Templates,
// CommonStartMenu, CommonProgramsMenu, CommonStartupMenu, CommonDesktop,
// AppData, CommonAppData, LocalAppData.
const ShellFolderRow& ShellFolder(int index);

// The file-system path of a shell special folder; empty when the shell has
// none.
std::string GetSpecialFolder(int folderId);

// The row's folder; when the shell has none, the fallback row's, and when
// still empty, the Windows folder + "\" + the row's fallback subfolder.
// Empty for an index outside the table.
std::string ShellFolderPath(int index);

}  // namespace cv
