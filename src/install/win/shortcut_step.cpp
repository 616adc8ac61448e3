#include "install/win/shortcut_step.h"

#include <windows.h>

#include "install/win/action_list.h"
#include "platform/format_text.h"
#include "platform/paths.h"
#include "platform/win/file_system.h"
#include "platform/win/message_box.h"
#include "platform/win/shell_link.h"

namespace cv {

namespace {

ShellLinkFields LinkFields(const ShortcutValues& shortcut) {
  ShellLinkFields fields;
  fields.Target = StripOneQuotePair(shortcut.CmdLine);
  fields.Arguments = StripOneQuotePair(shortcut.Arg);
  fields.WorkingFolder = StripOneQuotePair(shortcut.WorkDir);
  fields.Description = StripOneQuotePair(shortcut.Description);
  fields.IconFile = StripOneQuotePair(shortcut.IconFile);
  fields.IconIndex = shortcut.Icon;
  fields.Hotkey = static_cast<WORD>(shortcut.Hotkey & 0xFFFF);
  fields.ShowCommand = LinkShowCommand(shortcut.ShowCmd);
  return fields;
}

bool Fail(const std::string& linkFile) {
  ShowErrorBox("Error", FormatText("Error creating shortcut \"%s\".", {linkFile}));
  return false;
}

}  // namespace

ShortcutValues ResolveShortcut(const TcvShortcut& item,
                               const std::function<std::string(const std::string&)>& resolve) {
  ShortcutValues values;
  values.Name = resolve(item.Name);
  values.CmdLine = resolve(item.CmdLine);
  values.Arg = resolve(item.Arg);
  values.WorkDir = resolve(item.WorkDir);
  values.IconFile = resolve(item.IconFile);
  values.Description = resolve(item.Description);
  values.Icon = item.Icon;
  values.Hotkey = item.Hotkey;
  values.ShowCmd = item.ShowCmd;
  values.Flags = item.Flags;
  values.Action = item.Action;
  return values;
}

int LinkShowCommand(TcvShowCmd showCmd) {
  switch (showCmd) {
    case TcvShowCmd::scMin: return SW_SHOWMINNOACTIVE;
    case TcvShowCmd::scMax: return SW_SHOWMAXIMIZED;
    default: return SW_SHOWNORMAL;
  }
}

bool InstallShortcut(TInstallActions& list, const ShortcutValues& shortcut) {
  const std::string linkFile = shortcut.Name + ".lnk";
  const bool dontLog = shortcut.Flags.Contains(TcvFlag::dont_log);
  if (FileExists(linkFile) && shortcut.Flags.Contains(TcvFlag::dont_overwrite)) return true;
  const bool adding = shortcut.Action == TcvInstallAction::add;
  if (adding) AddFolderChain(list, ExcludeBackslash(ExtractFolder(linkFile)), !dontLog);
  if (!FindFile(list, linkFile)) {
    // The link itself is never listed for removal: its shortcut entry is.
    TcvFlags flags = shortcut.Flags;
    flags.Include(TcvFlag::dont_log);
    // A link that could not be kept for a rollback is not replaced.
    if (!AddFile(list, linkFile, flags, true)) return Fail(linkFile);
  }
  if (!adding) {
    DeleteFileForced(linkFile);
    return true;
  }
  if (!SaveShellLink(linkFile, LinkFields(shortcut))) return Fail(linkFile);
  NotifyShellItemChanged(linkFile);
  const std::string iconFile = StripOneQuotePair(shortcut.IconFile);
  if (!iconFile.empty() && FileExists(iconFile)) NotifyShellItemChanged(iconFile);
  auto& recorded = AddAction<TInstallShortcut>(list);
  recorded.LinkFile = linkFile;
  recorded.Log = !dontLog;
  return true;
}

}  // namespace cv
