#pragma once
// Shortcut files (".lnk") written through the shell's own link object, and
// telling the shell that a file it may show has changed.

#include <windows.h>

#include <string>

namespace cv {

struct ShellLinkFields {
  std::string Target;
  std::string Arguments;
  std::string WorkingFolder;
  std::string Description;
  std::string IconFile;
  int IconIndex = 0;
  WORD Hotkey = 0;               // virtual key in the low byte, modifiers in the high byte
  int ShowCommand = SW_SHOWNORMAL;
};

// Creates or overwrites `linkFile`; false when the shell's link object is not
// available or refuses a field or the file.
bool SaveShellLink(const std::string& linkFile, const ShellLinkFields& fields);

// The shell redraws what it shows of the file, before this call returns.
void NotifyShellItemChanged(const std::string& path);

}  // namespace cv
