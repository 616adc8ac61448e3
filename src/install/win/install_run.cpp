#include "install/win/install_run.h"

#include <windows.h>

#include <objbase.h>

#include <functional>

#include "database/feature_sizes.h"
#include "database/variable_access.h"
#include "install/install_log.h"
#include "install/install_progress.h"
#include "install/win/action_list.h"
#include "install/win/component_program.h"
#include "install/win/file_copy.h"
#include "install/win/worker_thread.h"
#include "install/win/run_events.h"
#include "platform/format_text.h"
#include "platform/ini_cache.h"
#include "platform/paths.h"
#include "platform/win/file_system.h"
#include "platform/win/message_box.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"
#include "script/references.h"

namespace cv {

namespace {

bool ReportStepNotBuilt(const char* what) {
  ShowError(std::string(what) + " is not available in this build.");
  return false;
}

ItemResult AsItemResult(bool ok) { return ok ? ItemResult::Done : ItemResult::Failed; }
ItemResult AsItemResult(ItemResult result) { return result; }

std::int32_t Ordinal(auto value) { return static_cast<std::int32_t>(value); }

std::int32_t WhenStartCode(TcvWhenStart when) {
  switch (when) {
    case TcvWhenStart::before_install: return 0;
    case TcvWhenStart::after_install: return 1;
    case TcvWhenStart::before_uninstall: return 2;
    case TcvWhenStart::after_uninstall: return 3;
    case TcvWhenStart::before_dialogs: return 4;
  }
  return 1;
}

template <typename Visit>
void ForEachComponent(const TcvMainDatabase& database, Visit&& visit) {
  for (int i = 0; i < database.Components->Count(); ++i) visit(*database.Components->Component(i));
}

// Bytes of every file an external item's resolved source names.
std::int64_t ExternalSourceBytes(const std::string& pattern) {
  std::int64_t total = 0;
  ForEachEntry(pattern, [&](const FoundEntry& entry) {
    if (!entry.IsFolder()) total += static_cast<std::int64_t>(entry.Size);
    return true;
  });
  return total;
}

void ComputeProgress(InstallRunHost& host) {
  const TcvMainDatabase& database = host.Database();
  std::int64_t bytes = 0;
  for (int i = 0; i < database.Packages->Count(); ++i) {
    bytes += static_cast<std::int64_t>(database.Packages->Package(i)->DataSize);
  }
  std::int64_t items = 0;
  ForEachComponent(database, [&](const TcvComponent& component) {
    for (int i = 0; i < component.Files->Count(); ++i) {
      const auto* file = component.Files->ItemAs<TcvFile>(i);
      if (file->Flags.Contains(TcvFlag::external) && IsEnabled(*file)) {
        bytes += ExternalSourceBytes(host.Resolve(file->Src));
      }
    }
    items += component.Registry->Count() + component.IniFiles->Count() +
             component.Shortcuts->Count();
    for (int i = 0; i < component.RunApps->Count(); ++i) {
      const TcvWhenStart when = component.RunApps->ItemAs<TcvRunApp>(i)->WhenStart;
      if (when == TcvWhenStart::after_install || when == TcvWhenStart::before_install) ++items;
    }
  });
  StartProgress(bytes, items);
}

class Run {
 public:
  explicit Run(InstallRunHost& host) : host_(host), database_(host.Database()) {}

  bool Perform();

 private:
  bool Prepare();
  bool Steps();
  bool Cancelled() const { return host_.Cancelled(); }
  // EV_BEFOREPROCESSITEMS / EV_AFTERPROCESSITEMS around the work; a skipped
  // step succeeds.
  bool Step(InstallStep kind, const std::function<bool()>& work);
  // Each item of one kind in every component, in list order: its weight,
  // its status, EV_BEFOREPROCESSITEM (non-zero skips it), the work,
  // EV_AFTERPROCESSITEM.
  template <typename Item, typename List, typename Values, typename Work>
  bool Items(std::unique_ptr<List> TcvComponent::*list, int statusString, Values values,
             Work work);
  bool RunApps(TcvWhenStart when);
  bool SetupSourceAvailable();
  bool FilesStep();
  std::string Format(int n, const std::string& path) {
    return FormatText(host_.EngineString(n), {path});
  }

  InstallRunHost& host_;
  TcvMainDatabase& database_;
};

bool Run::Step(InstallStep kind, const std::function<bool()>& work) {
  if (Cancelled()) return false;
  if (SendRunEvent(EV_BEFOREPROCESSITEMS, {Ordinal(kind)}) != 0) return true;
  const bool ok = work();
  SendRunEvent(EV_AFTERPROCESSITEMS, {Ordinal(kind)});
  return ok && !Cancelled();
}

template <typename Item, typename List, typename Values, typename Work>
bool Run::Items(std::unique_ptr<List> TcvComponent::*list, int statusString, Values values,
                Work work) {
  const std::string status = host_.EngineString(statusString);
  for (int c = 0; c < database_.Components->Count(); ++c) {
    TcvComponent& component = *database_.Components->Component(c);
    List& items = *(component.*list);
    for (int i = 0; i < items.Count(); ++i) {
      if (Cancelled()) return false;
      Item& item = *items.template ItemAs<Item>(i);
      Progress().Position += Progress().ItemWeight;
      if (!IsEnabled(item)) {
        ShowStatus(status, "");
        continue;
      }
      const std::vector<MessageParamValue> before = values(item);
      ShowStatus(status, std::get<std::string>(before[1]));
      if (SendRunEvent(EV_BEFOREPROCESSITEM, before) != 0) continue;
      // A plug-in may have changed variables: the values are resolved again.
      const ItemResult result = AsItemResult(work(component, item));
      if (result == ItemResult::Skipped) continue;
      SendRunEvent(EV_AFTERPROCESSITEM, values(item));
      if (result == ItemResult::Failed) return false;
    }
    if (host_.ResumePending()) break;
  }
  return true;
}

bool Run::RunApps(TcvWhenStart when) {
  const bool uninstallTime =
      when == TcvWhenStart::before_uninstall || when == TcvWhenStart::after_uninstall;
  for (int c = 0; c < database_.Components->Count(); ++c) {
    TcvComponent& component = *database_.Components->Component(c);
    for (int i = 0; i < component.RunApps->Count(); ++i) {
      if (Cancelled()) return false;
      TcvRunApp& item = *component.RunApps->ItemAs<TcvRunApp>(i);
      if (!uninstallTime && AlreadyDoneBeforeResume(database_, component.ID(), i)) continue;
      if (item.WhenStart != when || !IsEnabled(item)) continue;
      const auto values = [&] {
        return std::vector<MessageParamValue>{
            Ordinal(InstallStep::RunApps), host_.Resolve(item.CmdLine), host_.Resolve(item.Arg),
            host_.Resolve(item.WorkDir),   Ordinal(item.ShowCmd),       host_.Resolve(item.Msg),
            WhenStartCode(item.WhenStart)};
      };
      if (SendRunEvent(EV_BEFOREPROCESSITEM, values()) != 0) continue;
      bool ok = true;
      if (uninstallTime) {
        LogRunApp(when == TcvWhenStart::before_uninstall,
                  {host_.Resolve(item.CmdLine), host_.Resolve(item.Arg), host_.Resolve(item.WorkDir),
                   item.ShowCmd, host_.Resolve(item.Msg), item.Flags});
      } else {
        Progress().Position += Progress().ItemWeight;
        ShowStatus("", host_.Resolve(item.Msg));
        ok = host_.RunProgram(component, item);
      }
      // Windows is going down during the wait: nothing more runs.
      if (host_.ResumePending()) return true;
      SendRunEvent(EV_AFTERPROCESSITEM, values());
      if (!ok) return false;
    }
    if (!uninstallTime) EndResumeInComponent(database_, component.ID());
    if (host_.ResumePending()) break;
  }
  return true;
}

bool Run::SetupSourceAvailable() {
  // Each answer is the user's: Retry looks again, Cancel ends the run. A
  // silent run has nobody to answer and would wait for ever: it ends.
  while (!FileExists(host_.SetupFileName())) {
    if (GetVarInt(&database_, "SilentMode", 0) != 0) return false;
    const int answer =
        host_.AskMessageBox(GetVar(&database_, "AppName", ""), Format(19, host_.SetupFileName()),
                            MB_RETRYCANCEL | MB_ICONEXCLAMATION);
    if (answer != IDRETRY) return false;
  }
  return true;
}

bool Run::FilesStep() {
  if (Cancelled()) return false;
  // A step a plug-in skipped counts as done: the uninstaller is still wanted.
  const bool entered = SendRunEvent(EV_BEFOREPROCESSITEMS, {Ordinal(InstallStep::Files)}) == 0;
  bool ok = !entered || (host_.RemoveComponentFiles() &&
                         RunOnWorkerThread([this] { return host_.CopyComponentFiles(); }, true));
  if (ok && LoggingActive()) ok = host_.CopyUninstallerFiles();
  if (entered) SendRunEvent(EV_AFTERPROCESSITEMS, {Ordinal(InstallStep::Files)});
  return ok && !Cancelled();
}

bool Run::Prepare() {
  host_.Cancelled() = false;
  if (!host_.PasswordAccepted()) {
    ShowErrorBox("Error", "Incorrect password has been specified!");
    return false;
  }
  const std::string installPath =
      IncludeBackslash(host_.Resolve(GetVar(&database_, "InstallPath", "%Windows%")));
  SetVar(&database_, "InstallPath", installPath);
  const std::string uninstallPath =
      IncludeBackslash(host_.Resolve(GetVar(&database_, "UninstallPath", "%InstallPath%")));
  SetVar(&database_, "UninstallPath", uninstallPath);

  // The install folder is usually made by the run itself: the space that
  // counts is that of the drive it will be on.
  if (!(RequiredSpace(database_) < DiskFreeKB(NearestExistingFolder(installPath)))) {
    ShowErrorBox("Error", host_.EngineString(4));
    return false;
  }

  const bool uninstall = GetVarBool(&database_, "Uninstall", false);
  std::string logFile = GetVar(&database_, "LogFile", "");
  if (logFile.empty()) {
    logFile = uninstallPath + "install.log";
    SetVar(&database_, "LogFile", logFile);
  }
  SetLogFileName(logFile);
  const bool resuming = host_.ResumeMode();
  if (!resuming) {
    if (uninstall) AddFolderChain(ActionList(), ExtractFolder(logFile), true);
    // A previous log is backed up so that a rollback gives it back; the log
    // never lists itself.
    if (!AddFile(ActionList(), logFile, TcvFlags{TcvFlag::dont_log}, false)) {
      ShowError(Format(11, logFile));
      return false;
    }
  }
  if (uninstall) SetLoggingEnabled(true);
  if (LoggingActive() && !resuming) {
    LogWriteSection("Strings", "AppID", GetVar(&database_, "AppID", ""));
    LogWriteSection("Strings", "AdminRights", GetVar(&database_, "AdminRights", ""));
    if (const TcvLngTable* table =
            database_.Languages->Find(GetVar(&database_, "LangID", ""), "")) {
      LogUninstallStrings(*table, [&](const std::string& text) { return host_.Resolve(text); });
    }
  }
  return true;
}

bool Run::Steps() {
  bool ok = true;
  // Programs before the installation.
  if (!host_.ResumeMode() || database_.InstallState == TcvInstallState::isRunAppBeforeInstall) {
    database_.InstallState = TcvInstallState::isUnknown;
    host_.ResumeMode() = false;
    ok = Step(InstallStep::RunApps, [&] { return RunApps(TcvWhenStart::before_install); });
    if (host_.ResumePending()) return ok;
    database_.InstallStateData.clear();
  }
  if (ok && !host_.ResumeMode()) {
    if (GetVarBool(&database_, "RemoveOldReferences", false) && FileExists(LogFileName())) {
      host_.ShowStatusText(host_.EngineString(16), 750);
      ok = host_.RemoveOldReferences();
      host_.HideStatusText();
    }
    // A cancelled source prompt ends the run as a failure: nothing is
    // installed, and the caller must not take it for a finished installation.
    if (ok) ok = SetupSourceAvailable();
    if (ok) ok = FilesStep();
    if (ok && GetVarBool(&database_, "Reboot", false)) {
      // The rest runs after the restart; a state that could not be saved
      // could not go on, so the run fails and rolls back instead.
      host_.SaveStateForResume(TcvInstallState::isRegServers, "");
      if (host_.ResumePending()) return true;
      ShowErrorBox("Error", "Cannot prepare for resuming.");
      return false;
    }
  }
  if (ok && (!host_.ResumeMode() || database_.InstallState == TcvInstallState::isRegServers)) {
    database_.InstallState = TcvInstallState::isUnknown;
    host_.ResumeMode() = false;
    ok = Step(InstallStep::Servers, [&] { return host_.RegisterServers(); });
  }
  if (!host_.ResumeMode()) {
    if (ok) {
      ok = Step(InstallStep::Registry, [&] {
        return Items<TcvReg>(
            &TcvComponent::Registry, 5,
            [&](TcvReg& item) {
              return std::vector<MessageParamValue>{
                  Ordinal(InstallStep::Registry), host_.Resolve(item.Key), host_.Resolve(item.Param),
                  host_.Resolve(item.Value), Ordinal(item.ParamType), Ordinal(item.Action)};
            },
            [&](TcvComponent& component, TcvReg& item) {
              return host_.InstallRegistryItem(component, item);
            });
      });
    }
    if (ok) {
      ok = Step(InstallStep::IniFiles, [&] {
        const bool done = Items<TcvIni>(
            &TcvComponent::IniFiles, 6,
            [&](TcvIni& item) {
              return std::vector<MessageParamValue>{
                  Ordinal(InstallStep::IniFiles), host_.Resolve(item.IniFile),
                  host_.Resolve(item.Section),    host_.Resolve(item.Param),
                  host_.Resolve(item.Value),      Ordinal(item.Action)};
            },
            [&](TcvComponent& component, TcvIni& item) {
              return host_.InstallIniItem(component, item);
            });
        FlushIniCache();
        return done;
      });
    }
    if (ok) ok = Step(InstallStep::Fonts, [&] { return host_.RegisterFonts(); });
    if (ok) {
      ok = Step(InstallStep::Shortcuts, [&] {
        return Items<TcvShortcut>(
            &TcvComponent::Shortcuts, 7,
            [&](TcvShortcut& item) {
              return std::vector<MessageParamValue>{
                  Ordinal(InstallStep::Shortcuts), host_.Resolve(item.Name),
                  host_.Resolve(item.CmdLine),     host_.Resolve(item.Arg),
                  host_.Resolve(item.WorkDir),     Ordinal(item.ShowCmd),
                  host_.Resolve(item.IconFile),    item.Icon,
                  item.Hotkey,                     host_.Resolve(item.Description),
                  Ordinal(item.Action)};
            },
            [&](TcvComponent& component, TcvShortcut& item) {
              return host_.InstallShortcut(component, item);
            });
      });
    }
    if (ok && !Cancelled()) ok = host_.SetEnvironmentVariables();
  }
  if (ok && (!host_.ResumeMode() ||
             database_.InstallState == TcvInstallState::isRunAppAfterInstall)) {
    database_.InstallState = TcvInstallState::isUnknown;
    host_.ResumeMode() = false;
    ok = Step(InstallStep::RunApps, [&] { return RunApps(TcvWhenStart::after_install); });
    if (host_.ResumePending()) return ok;
    database_.InstallStateData.clear();
  }
  if (ok && LoggingActive()) {
    ok = Step(InstallStep::RunApps, [&] { return RunApps(TcvWhenStart::before_uninstall); }) &&
         Step(InstallStep::RunApps, [&] { return RunApps(TcvWhenStart::after_uninstall); }) &&
         host_.RegisterUninstall() && host_.SaveSilentSettings();
    if (ok) WriteLogAll(ActionList());
  }
  return ok && !Cancelled();
}

bool Run::Perform() {
  if (!Prepare()) return false;
  ComputeProgress(host_);
  // Every way out from here shows the plug-ins 100 percent and writes the
  // cached ini files.
  struct Ending {
    ~Ending() {
      Progress().Position = Progress().Max;
      ShowStatus("", "");
      FlushIniCache();
    }
  } ending;
  return Steps();
}

bool AnyComponentFile(const TcvMainDatabase& database, TcvInstallAction action) {
  bool found = false;
  ForEachComponent(database, [&](const TcvComponent& component) {
    for (int i = 0; i < component.Files->Count(); ++i) {
      if (component.Files->ItemAs<TcvFile>(i)->Action == action) found = true;
    }
  });
  return found;
}

bool AnyFileActionWith(TcvFlag flag) {
  const TInstallActions& list = ActionList();
  for (int i = 0; i < list.Count(); ++i) {
    const auto* file = dynamic_cast<const TInstallFile*>(list.Action(i));
    if (file && file->Flags.Contains(flag)) return true;
  }
  return false;
}

}  // namespace

std::int64_t RequiredSpace(const TcvMainDatabase& database) {
  if (database.Features->Count() > 0) return TotalSize(*database.Features, true);
  std::int64_t total = 0;
  ForEachComponent(database, [&](const TcvComponent& component) { total += component.Size; });
  return total;
}

bool InstallRun(InstallRunHost& host) { return Run(host).Perform(); }

std::string InstallRunHost::EngineString(int n) {
  return ExpandReferences(&Database(), 0, "[Strings." + std::to_string(n) + "]", false, false,
                          true);
}

std::string InstallRunHost::Resolve(const std::string& text) {
  return ExpandReferences(&Database(), 0, text, true, true, false);
}

void InstallRunHost::SaveStateForResume(TcvInstallState state, const std::string& data) {
  Database().InstallState = state;
  Database().InstallStateData = data;
  ResumePending() = SaveResumeState(WorkFolder(), Database(), ActionList());
}

int InstallRunHost::AskMessageBox(const std::string& caption, const std::string& text,
                                  unsigned flags) {
  return ShowMessageBox(ActiveWindowOwner(), caption, text, flags);
}

bool InstallRunHost::RemoveOldReferences() { return ReportStepNotBuilt("Removing old references"); }

bool InstallRunHost::RemoveComponentFiles() {
  return !AnyComponentFile(Database(), TcvInstallAction::remove) ||
         ReportStepNotBuilt("Removing files");
}

bool InstallRunHost::CopyComponentFiles() {
  return !AnyComponentFile(Database(), TcvInstallAction::add) ||
         ReportStepNotBuilt("Copying files");
}

bool InstallRunHost::CopyUninstallerFiles() {
  const std::string folder = GetVar(&Database(), "UninstallPath", "");
  // The uninstaller is the bare engine; it is removed by its own run, so it
  // is not listed in the log, but a rollback takes it away.
  const auto copy = [](const std::string& source, const std::string& target, TcvFlags flags) {
    AddFolderChain(ActionList(), ExcludeBackslash(ExtractFolder(target)), true);
    // A file in use gets its new content at the next start.
    const TInstallFile* file = AddFile(ActionList(), target, flags, true);
    if (file && BufferedCopyFile(source, file->Pending ? file->TmpFileName : target)) return true;
    ShowError(FormatText("Cannot copy system file \"%s\".", {target}));
    return false;
  };
  if (!copy(WorkFolder() + "Resume.exe", folder + "Uninstall.exe", TcvFlags{TcvFlag::dont_log})) {
    return false;
  }
  if (Database().Packages->Count() > 0) {
    const std::string gacutil = Database().Packages->Package(0)->TempPath + "gacutil.exe";
    if (FileExists(gacutil) && !copy(gacutil, folder + "gacutil.exe", {})) return false;
  }
  return true;
}

bool InstallRunHost::RegisterServers() {
  return !AnyFileActionWith(TcvFlag::reg_server) ||
         ReportStepNotBuilt("Registering COM servers");
}

ItemResult InstallRunHost::InstallRegistryItem(TcvComponent&, TcvReg&) {
  return AsItemResult(ReportStepNotBuilt("Writing registry values"));
}

ItemResult InstallRunHost::InstallIniItem(TcvComponent&, TcvIni&) {
  return AsItemResult(ReportStepNotBuilt("Writing ini entries"));
}

bool InstallRunHost::RegisterFonts() {
  return !AnyFileActionWith(TcvFlag::reg_font) || ReportStepNotBuilt("Registering fonts");
}

bool InstallRunHost::InstallShortcut(TcvComponent&, TcvShortcut&) {
  return ReportStepNotBuilt("Creating shortcuts");
}

bool InstallRunHost::SetEnvironmentVariables() {
  const TcvVariables& variables = *Database().Variables;
  for (int i = 0; i < variables.Count(); ++i) {
    if (variables.Variable(i)->VarType == TcvVarType::vtEnvVar) {
      return ReportStepNotBuilt("Setting environment variables");
    }
  }
  return true;
}

bool InstallRunHost::RunProgram(TcvComponent&, TcvRunApp&) {
  return ReportStepNotBuilt("Running programs");
}

bool InstallRunHost::RegisterUninstall() {
  return ReportStepNotBuilt("The uninstall registration");
}

bool InstallRunHost::SaveSilentSettings() { return true; }

}  // namespace cv
