#pragma once
// One shortcut item of the shortcut step: the link file made (or removed)
// through the shell's link object, an existing link kept for rollback, and
// the shell told about the change.

#include <cstdint>
#include <functional>
#include <string>

#include "database/installation_items.h"
#include "install/install_actions.h"

namespace cv {

// A shortcut item with its texts resolved.
struct ShortcutValues {
  std::string Name;  // the link file without ".lnk"
  std::string CmdLine;
  std::string Arg;
  std::string WorkDir;
  std::string IconFile;
  std::string Description;
  std::int32_t Icon = 0;
  std::int32_t Hotkey = 0;
  TcvShowCmd ShowCmd = TcvShowCmd::scNormal;
  TcvFlags Flags;
  TcvInstallAction Action = TcvInstallAction::add;
};

ShortcutValues ResolveShortcut(const TcvShortcut& item,
                               const std::function<std::string(const std::string&)>& resolve);

// The show command a link starts its program with.
int LinkShowCommand(TcvShowCmd showCmd);

// False when the link could not be made; the box "Error creating shortcut
// ..." has then been shown, and the step goes on with the next item. An
// existing link with dont_overwrite is left alone (true).
bool InstallShortcut(TInstallActions& list, const ShortcutValues& shortcut);

}  // namespace cv
