// The main flow of one engine run, from the hidden main window to the end of
// the installation or uninstallation, and its clean-up block.

#include <windows.h>

#include <memory>

#include "engine/language_list.h"
#include "engine/launch_checks.h"
#include "engine/run_state.h"
#include "engine/win/engine.h"
#include "engine/win/main_window.h"
#include "engine/win/protected_files.h"
#include "engine/win/unpack_resource.h"
#include "engine/win/windows_languages.h"
#include "platform/case_map.h"
#include "platform/format_text.h"
#include "platform/paths.h"
#include "platform/system_info.h"
#include "platform/win/library.h"
#include "platform/win/message_box.h"
#include "platform/win/file_system.h"
#include "platform/win/registry_path.h"
#include "platform/win/system_error.h"
#include "platform/win/system_folders.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_store.h"

namespace cv {

namespace {

// The owner of the engine's error boxes is the window the wizard plug-in
// shows (0, the desktop, when none answers).
HWND ActiveWindowOfThePlugins() {
  const std::int32_t window = SendMessageByName(std::string(kGetActiveWindowMessage), 0, 0, false, false);
  // Window handles carry 32 significant bits on every Windows.
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(window));
}

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr int kRunAppStep = 6;

// The handles and flags of one RunSetup call. Everything it holds is
// released by CleanUp, or by the destructor when the run ended before the
// clean-up block was reached.
class SetupRun {
 public:
  SetupRun(SetupOperations& operations, const ArgumentList& args)
      : ops_(operations), args_(args), run_(Run()) {}
  SetupRun(const SetupRun&) = delete;
  SetupRun& operator=(const SetupRun&) = delete;
  ~SetupRun() { ReleaseHandles(); }

  // Steps 1-6; false ends the run without the clean-up block.
  bool Prepare();
  // Steps 7-37.
  bool Main();
  // Clean-up block E; answers the final result.
  bool CleanUp(bool result);

 private:
  bool PrepareMainPackage();
  bool ChooseLanguage();
  bool RunProgramsBeforeDialogs(bool& endRun);
  bool DecideRepairAndUninstall();
  bool PrepareComponentsAndPackages();
  bool InstallOrUninstall();
  bool UninstallFromLog(const std::string& log);
  void RestoreCurrentFolder();
  void ReleaseHandles();

  SetupOperations& ops_;
  const ArgumentList& args_;
  RunState& run_;

  MainWindow window_;
  HICON icon_ = nullptr;
  HANDLE mutex_ = nullptr;
  HMODULE sfc_ = nullptr;
  std::string savedCurrentFolder_;
  bool wizardStarted_ = false;
  // Decided at the start of the installation part; a run that ends before
  // has installed nothing to roll back.
  bool rollbackAllowed_ = false;
};

bool SetupRun::Prepare() {
  if (run_.SetupFileName.empty()) run_.SetupFileName = args_.empty() ? "" : args_[0];

  ops_.PreparePluginStartupRecord();
  SetMessageBoxStyle(MB_SETFOREGROUND);
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  icon_ = LoadIconA(instance, "MAINICON");
  ops_.EnableConditionEvaluation();

  if (!window_.Create(instance, icon_, ops_)) {
    ShowError("Can't create main window!");
    return false;
  }
  SetMessageBoxOwner(window_.Handle());
  SetActiveWindowQuery(ActiveWindowOfThePlugins);

  run_.UnpackLibraryPath = run_.WorkFolder + "unpack.dll";
  if (!run_.ResumeMode && !WriteUnpackLibrary(instance, run_.UnpackLibraryPath)) {
    ShowError("Can't extract UNPACK.DLL");
    return false;
  }

  run_.LanguageList.clear();
  char current[MAX_PATH + 1] = {};
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
  savedCurrentFolder_.assign(current, length <= MAX_PATH ? length : 0);
  const std::string setupFolder = ExtractFolder(run_.SetupFileName);
  if (!setupFolder.empty()) SetCurrentDirectoryA(setupFolder.c_str());

  const SystemInfoRecord& system = SystemInfo();
  if (system.Major > 4 || system.Kind == WindowsKind::WinMe) {
    // By full path: the current folder is the setup's own by now.
    sfc_ = LoadLibraryQuiet(SystemDllPath("sfc.dll"), LoadMode::Plain);
    if (sfc_) {
      SetProtectedFileCheck(reinterpret_cast<SfcIsFileProtectedFn>(
          reinterpret_cast<void*>(GetProcAddress(sfc_, "SfcIsFileProtected"))));
    }
  }
  return true;
}

bool SetupRun::PrepareMainPackage() {
  if (!ops_.AddMainPackage(run_.SetupFileName)) return false;
  if (!ops_.ReadPackageHeader(0)) return false;
  if (!ops_.PreparePackages()) {
    ShowError(
        "Cannot prepare main package.\rProbably corrupted package, incorrect TMP/TEMP variables "
        "or there is no execute permission for temporary folder.");
    return false;
  }
  if (!ops_.LoadPackageDatabase(0)) return false;
  if (!ops_.LoadLanguages()) return false;
  ops_.ResetVariables();
  if (!ops_.LoadMainDatabase()) return false;
  if (!ops_.ImportVariables()) return false;
  if (!ops_.SetPredefinedVariables()) return false;
  ops_.SetRebootOnFinish(ops_.GetVarBool("Reboot", false));
  return true;
}

bool SetupRun::ChooseLanguage() {
  for (const LanguageEntry& entry : ops_.InstallLanguages()) run_.LanguageList.push_back(entry);
  if (!ops_.GetVarBool("DontUseWindowsLanguageNames", false)) {
    ApplyWindowsLanguageNames(run_.LanguageList, InstalledWindowsLanguages());
  }
  if (!ops_.GetVar("LangID", "").empty()) return true;
  if (run_.LanguageList.empty()) {
    ShowError("This setup has no language to show its texts in.");
    return false;
  }
  std::size_t index = 0;
  if (ops_.GetVarBool("AutoSelectLanguage", true)) {
    index = AutoSelectedLanguage(run_.LanguageList, ops_.GetVar("UserLangID", "ENU"));
  }
  return SelectLanguage(ops_, run_.LanguageList[index].Id);
}

// Step 24: the programs that run before the wizard's pages. `endRun` is set
// when the run ends here with the returned result.
bool SetupRun::RunProgramsBeforeDialogs(bool& endRun) {
  ops_.ClearInstallState();
  run_.ResumeMode = false;
  bool ok = true;
  if (ops_.SendEvent(EngineEvent::BeforeProcessItems, {kRunAppStep}) == 0) {
    ok = ops_.RunProgramsBeforeDialogs();
    if (run_.ResumePending) {
      endRun = true;
      return ok;
    }
    ops_.SendEvent(EngineEvent::AfterProcessItems, {kRunAppStep});
  }
  ops_.ClearInstallStateData();
  if (!ok || run_.Cancelled) {
    endRun = true;
    return false;
  }
  return true;
}

bool SetupRun::DecideRepairAndUninstall() {
  const int mode = ops_.GetVarInt("InstallMode", 0);
  run_.RepairMode = mode == 2;
  run_.UninstallMode = mode == 1;
  if (!run_.RepairMode) return true;

  const std::string subkey = kUninstallKey + ops_.GetVar("AppID", "App");
  std::string file = RegReadString("HKLM\\" + subkey, "SilentSettings", "");
  if (file.empty()) file = RegReadString("HKCU\\" + subkey, "SilentSettings", "");
  // A folder of that name is no settings file either.
  if (file.empty() || !FileExists(file)) {
    ShowError("Cannot repair an application.");
    return false;
  }
  return ops_.LoadRepairSettings(file);
}

bool SetupRun::PrepareComponentsAndPackages() {
  std::string missing;
  if (!ops_.MarkComponentsToInstall(missing)) {
    if (!missing.empty()) {
      ShowErrorBox("Error", FormatText("Component ID=\"%s\" not found.", {missing}));
    }
    return false;
  }
  if (run_.UninstallMode) return true;

  if (!ops_.AssignComponentPackages(missing)) {
    if (!missing.empty()) {
      ShowErrorBox("Error", FormatText("Can't find package \"%s\" in main database.", {missing}));
    }
    return false;
  }
  for (int package = 1; package < ops_.PackageCount(); ++package) {
    if (!ops_.LocateOtherPackage(package) || !ops_.ReadPackageHeader(package)) return false;
  }
  if (!ops_.PreparePackages()) {
    ShowErrorBox("Error", "Cannot prepare packages.");
    return false;
  }
  for (int package = 1; package < ops_.PackageCount(); ++package) {
    if (!ops_.LoadPackageDatabase(package)) return false;
  }
  ops_.TakeOverPackageComponents();
  return true;
}

bool SetupRun::InstallOrUninstall() {
  for (int package = 1; package < ops_.PackageCount(); ++package) ops_.LoadPlugins(package);
  if (run_.Cancelled) return false;

  rollbackAllowed_ = !ops_.GetVarBool("DisableRollback", false);
  if (!run_.ResumeMode) {
    if (ops_.SendEvent(EngineEvent::BeforeInstall, {}) != 0 || run_.Cancelled) return false;
  }
  // A resumed installation got its destinations before its state was saved;
  // placing them again would put every file under the folder twice.
  if (!run_.UninstallMode && !run_.ResumeMode) ops_.SetFileDestinations();

  bool result = run_.UninstallMode ? ops_.RunUninstallation() : ops_.RunInstallation();

  if (!run_.ResumePending && result) {
    ops_.SendEvent(EngineEvent::AfterInstall, {});
    result = !run_.Cancelled;
    if (result) {
      result = ops_.SendEvent(EngineEvent::ShowDialogs, {true}) == 0 && !run_.Cancelled;
    }
  }
  if (result && !run_.SystemShuttingDown) {
    if (ops_.RebootOnFinish() && !run_.ResumeMode) ops_.SetVarBool("Reboot", true);
    if (ops_.GetVarBool("Reboot", false)) {
      ops_.SendEvent(EngineEvent::QueryReboot, {});
      result = !run_.Cancelled;
    }
  }
  return result;
}

bool SetupRun::UninstallFromLog(const std::string& log) {
  // The uninstaller is the bare engine: no package, no plug-ins and nothing
  // to roll back; what it removes and the texts it shows come from the log.
  run_.UninstallMode = true;
  if (!ops_.PrepareUninstallFromLog(log)) return false;
  // Started from "Add or remove programs" there is no wizard to ask the user
  // first and tell them the end: two boxes do, unless the run is silent.
  const bool asking = !ops_.GetVarBool("SilentMode", false);
  std::string product = ops_.GetVar("AppName", "");
  if (product.empty()) product = ops_.GetVar("AppID", "");
  if (asking && ShowMessageBox(nullptr, product,
                               FormatText("Do you want to remove %s and all of its parts?", {product}),
                               MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
    run_.Cancelled = true;
    return false;
  }
  const bool removed = ops_.RunUninstallation();
  if (removed && asking) {
    ShowMessageBox(nullptr, product, FormatText("%s was removed from your computer.", {product}),
                   MB_OK | MB_ICONINFORMATION);
  }
  return removed;
}

bool SetupRun::Main() {
  const bool installing = !run_.ResumeMode;
  if (installing) {
    const std::string log = ops_.UninstallerLog();
    if (!log.empty()) return UninstallFromLog(log);
  }
  if (!ops_.LoadSilentSettings(ChangeExtension(run_.SetupFileName, ".sss"))) return false;
  if (installing && !ops_.ImportVariables()) return false;
  if (!ops_.SetPredefinedVariables()) return false;
  if (installing && !PrepareMainPackage()) return false;
  ops_.SetVarBool("Reboot", false);

  const std::string mutexName = ops_.GetVar("AppID", "App") + " setup";
  mutex_ = CreateMutexA(nullptr, FALSE, mutexName.c_str());
  // Only an existing mutex means another copy runs; a name Windows refuses
  // (a backslash in AppID) is a fault of the package, reported as such.
  const DWORD mutexError = GetLastError();
  if (mutex_ && mutexError == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex_);
    mutex_ = nullptr;
  }

  if (!ChooseLanguage()) return false;
  if (!mutex_ && mutexError != ERROR_ALREADY_EXISTS) {
    ShowError(FormatText("Cannot create the mutex \"%s\" that keeps this setup from running twice: %s",
                         {mutexName, SystemErrorText(mutexError)}));
    return false;
  }
  if (!mutex_) {
    ShowWarning(FormatText(EngineString(ops_, 21), {ops_.GetVar("AppName", "")}));
    return false;
  }
  if (!ops_.LoadPlugins(0)) return false;
  if (run_.Cancelled) return false;

  if (installing) {
    if (!ops_.SelectInstallTypeAndFeatures()) return false;
    ops_.SelectSilentFeatures();
    if (!CheckLaunchRequirements(ops_)) return false;
  } else {
    ops_.RestoreActiveInstallType();
  }

  if (run_.Cancelled) return false;
  ops_.SendEvent(EngineEvent::Start, {});
  if (run_.Cancelled) return false;
  wizardStarted_ = true;

  if (!run_.ResumeMode || ops_.CurrentInstallState() == InstallState::RunAppBeforeDialogs) {
    bool endRun = false;
    const bool ok = RunProgramsBeforeDialogs(endRun);
    if (endRun) return ok;
  }

  if (!run_.ResumeMode) {
    if (ops_.SendEvent(EngineEvent::ShowDialogs, {false}) != 0 || run_.Cancelled) return false;
    if (!DecideRepairAndUninstall()) return false;
    if (!PrepareComponentsAndPackages()) return false;
  }
  return InstallOrUninstall();
}

bool SetupRun::CleanUp(bool result) {
  if (result) result = ops_.RegisterResume();
  if (!result) {
    ops_.SetVarBool("Reboot", false);
    run_.ResumePending = false;
    if (rollbackAllowed_) {
      ops_.ShowStatusText(EngineString(ops_, 18), 750);
      ops_.FlushIniCache();
      ops_.SendEvent(EngineEvent::Rollback, {});
      try {
        ops_.Rollback();
      } catch (...) {
        ops_.HideStatusText();
        throw;
      }
      ops_.HideStatusText();
    }
  }
  ops_.EndRunJournal();
  if (!run_.ResumePending && wizardStarted_) ops_.SendEvent(EngineEvent::Finish, {result});
  run_.RebootAfterExit = ops_.GetVarBool("Reboot", false);
  ops_.UnloadPlugins();
  RestoreCurrentFolder();
  if (mutex_) {
    CloseHandle(mutex_);
    mutex_ = nullptr;
  }
  if (sfc_) {
    SetProtectedFileCheck(nullptr);
    FreeLibrary(sfc_);
    sfc_ = nullptr;
  }
  ops_.FlushIniCache();
  run_.LanguageList.clear();
  ops_.FreeDatabase();
  ReleaseHandles();
  return result;
}

void SetupRun::RestoreCurrentFolder() {
  if (!savedCurrentFolder_.empty()) SetCurrentDirectoryA(savedCurrentFolder_.c_str());
  savedCurrentFolder_.clear();
}

void SetupRun::ReleaseHandles() {
  RestoreCurrentFolder();
  if (mutex_) CloseHandle(mutex_);
  mutex_ = nullptr;
  if (sfc_) {
    SetProtectedFileCheck(nullptr);
    FreeLibrary(sfc_);
  }
  sfc_ = nullptr;
  SetActiveWindowQuery(nullptr);
  SetMessageBoxOwner(nullptr);
  window_.Destroy();
  if (icon_) DestroyIcon(icon_);
  icon_ = nullptr;
}

}  // namespace

bool RunSetup(SetupOperations& operations, const ArgumentList& args) {
  SetupRun setup(operations, args);
  if (!setup.Prepare()) return false;
  bool result = false;
  try {
    result = setup.Main();
  } catch (...) {
    setup.CleanUp(false);
    throw;
  }
  return setup.CleanUp(result);
}

bool CheckLaunchRequirements(SetupOperations& operations) {
  const SystemInfoRecord& system = SystemInfo();
  if (!SupportedOsPasses(operations.GetVar("SupportedOS", ""), system)) {
    ShowWarning(EngineString(operations, 13));
    return false;
  }
  const std::string minOsVersion = operations.GetVar("MinOSVersion", "");
  if (!MinOsVersionPasses(minOsVersion, system)) {
    ShowWarning(FormatText(EngineString(operations, 14), {minOsVersion}));
    return false;
  }
  if (operations.GetVarBool("AdminRights", false) && !operations.HasAdminRights()) {
    ShowWarning(EngineString(operations, 10));
    return false;
  }
  std::string message;
  if (operations.FailedLaunchCondition(message)) {
    if (!message.empty()) ShowWarning(operations.ExpandReferences(message));
    return false;
  }
  return operations.SendEvent(EngineEvent::CheckLaunchConditions, {}) == 0;
}

bool SelectLanguage(SetupOperations& operations, const std::string& lngId) {
  if (!operations.ActivateLanguage(lngId)) return false;
  operations.SetVar("LangID", lngId);
  operations.SetVarInt("Charset", operations.LanguageCharset(lngId));
  SetApplicationName(operations.GetVar("AppName", "Application"));
  operations.SendEvent(EngineEvent::LanguageChanged, {lngId});
  operations.ReactivateInstallType();
  return true;
}

std::string EngineString(SetupOperations& operations, int n) {
  const std::string reference = "[Strings." + std::to_string(n) + "]";
  const std::string text = operations.ExpandReferences(reference);
  return CaseMapUpper(text) == CaseMapUpper(reference) ? std::string() : text;
}

}  // namespace cv
