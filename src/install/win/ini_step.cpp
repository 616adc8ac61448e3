#include "install/win/ini_step.h"

#include "install/install_log.h"
#include "install/win/action_list.h"
#include "platform/case_map.h"
#include "platform/date_time.h"
#include "platform/format_text.h"
#include "platform/ini_cache.h"
#include "platform/paths.h"
#include "platform/win/file_system.h"

namespace cv {

namespace {

// A default no entry holds: the moment of the read.
std::string NowText() {
  const LocalTime now = CurrentLocalTime();
  return FormatDate(now) + " " + FormatTime(now);
}

}  // namespace

ItemResult InstallIniItem(TInstallActions& list, const TcvIni& item, const ResolveText& resolve,
                          const ErrorBoxRoutine& showErrorBox) {
  const std::string file = resolve(item.IniFile);
  const std::string section = resolve(item.Section);
  const std::string key = resolve(item.Param);
  if (item.Action == TcvInstallAction::remove) {
    IniDeleteKey(file, section, key);
    return ItemResult::Done;
  }
  const auto fail = [&] {
    showErrorBox("Error", FormatText("Error changing ini-file \"%s\".", {file}));
    FlushIniCache();
    return ItemResult::Failed;
  };
  const bool fileExisted = FileExists(file);
  const std::string absent = NowText();
  std::string oldValue = IniReadValue(file, section, key, absent);
  const bool keyExists = oldValue != absent;
  if (!keyExists) oldValue.clear();
  if (keyExists && item.Flags.Contains(TcvFlag::dont_overwrite)) return ItemResult::Skipped;

  TcvFlags flags = item.Flags;
  if (!fileExisted) {
    // The ini file creates its own folder; made here, it is recorded, so that
    // a rollback (and the uninstaller) takes it away again.
    const int before = list.Count();
    AddFolderChain(list, ExtractFolder(file), true);
    for (int i = before; i < list.Count(); ++i) {
      list.Action(i)->Log = !flags.Contains(TcvFlag::dont_log);
    }
    // The cache writes the file later, where a failure goes unseen: a
    // folder that cannot be made (a file of its name is in the way) fails
    // the item now.
    if (!FolderExists(ExcludeBackslash(ExtractFolder(file)))) return fail();
  }
  if (!FindFile(list, file)) {
    // A file the run creates is listed for the uninstaller; one that was
    // there stays after the uninstallation.
    const bool unlisted = fileExisted || flags.Contains(TcvFlag::dont_log);
    // Without a backup a rollback could not give the file back: no edit.
    if (!AddFile(list, file, unlisted ? TcvFlags{TcvFlag::dont_log} : TcvFlags{}, false)) {
      return fail();
    }
  }
  // The install log is written at the end of the run: it never lists itself.
  if (SameTextNoCase(file, LogFileName())) flags.Include(TcvFlag::dont_log);
  if (!IniWriteValue(file, section, key, resolve(item.Value))) return fail();
  auto& action = AddAction<TInstallIni>(list);
  action.Flags = flags;
  action.Log = !flags.Contains(TcvFlag::dont_log);
  action.IniFile = file;
  action.Section = section;
  action.Param = key;
  action.OldValue = oldValue;
  return ItemResult::Done;
}

}  // namespace cv
