#include "engine/win/engine_operations.h"

#include <windows.h>

#include "database/model_hooks.h"
#include "database/variable_access.h"
#include "database/xml_tag.h"
#include "engine/package_database.h"
#include "engine/package_header.h"
#include "engine/run_selection.h"
#include "engine/run_state.h"
#include "engine/win/engine_install_host.h"
#include "engine/win/partial_files.h"
#include "engine/win/package_files.h"
#include "engine/win/plugin_commands.h"
#include "engine/win/predefined_variables.h"
#include "engine/win/presetup.h"
#include "engine/win/programs_before_dialogs.h"
#include "engine/win/resume_registration.h"
#include "install/win/action_list.h"
#include "install/win/run_journal.h"
#include "install/win/uninstall_registration.h"
#include "platform/paths.h"
#include "platform/win/file_access.h"
#include "platform/ini_cache.h"
#include "platform/format_text.h"
#include "platform/file_io.h"
#include "platform/win/file_system.h"
#include "platform/win/registry_path.h"
#include "plugins/database_events.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"
#include "platform/win/message_box.h"
#include "plugins/win/plugin_host.h"
#include "script/evaluate_expression.h"
#include "script/references.h"

namespace cv {

EngineOperations::EngineOperations(ArgumentList args)
    : EngineOperations(args, ParseStartupSwitches(args)) {}

EngineOperations::EngineOperations(ArgumentList args, StartupSwitches switches)
    : args_(std::move(args)),
      switches_(std::move(switches)),
      database_(TcvMainDatabase::New()),
      silent_(TcvSilentSettings::New()) {
  SetMainDatabase(database_.get());
  InstallEvaluatorHooks();
  InstallDatabaseEventHandlers(*database_);
  InstallPluginHost(*this, *database_);
}

EngineOperations::~EngineOperations() {
  UnloadAll();
  RemovePluginCommands();
  if (MainDatabase() == database_.get()) SetMainDatabase(nullptr);
}

std::string EngineOperations::GetVar(const std::string& name, const std::string& fallback) {
  return cv::GetVar(database_.get(), name, fallback);
}
bool EngineOperations::GetVarBool(const std::string& name, bool fallback) {
  return cv::GetVarBool(database_.get(), name, fallback);
}
int EngineOperations::GetVarInt(const std::string& name, int fallback) {
  return cv::GetVarInt(database_.get(), name, fallback);
}
void EngineOperations::SetVar(const std::string& name, const std::string& value) {
  cv::SetVar(database_.get(), name, value);
}
void EngineOperations::SetVarBool(const std::string& name, bool value) {
  cv::SetVarBool(database_.get(), name, value);
}
void EngineOperations::SetVarInt(const std::string& name, int value) {
  cv::SetVarInt(database_.get(), name, value);
}
std::string EngineOperations::ExpandReferences(const std::string& text) {
  return ExpandText(database_.get(), 0, text);
}

void EngineOperations::EnableConditionEvaluation() { SetConditionEvaluation(true); }

void EngineOperations::SetTempFolders(const std::string& fonts, const std::string& assemblies,
                                      const std::string& backups) {
  database_->TempFontsPath = fonts;
  database_->TempGACPath = assemblies;
  database_->TempBackupPath = backups;
}

bool EngineOperations::LoadSilentSettings(const std::string& file) {
  // Without a file the settings stay empty: a normal, interactive run.
  if (!FileExists(file)) return true;
  silent_->LoadFromFile(file, kSilentSettingsRootName);
  return true;
}

bool EngineOperations::LoadRepairSettings(const std::string& file) {
  // The stored settings replace those the setup file may have brought.
  silent_->Clear();
  silent_->CreateLists();
  if (!silent_->LoadFromFile(file, kSilentSettingsRootName)) {
    ShowError("Cannot repair an application.");
    return false;
  }
  cv::ImportVariables(*database_, *silent_, switches_);
  ApplyRepairSettings(*database_, *silent_);
  return true;
}

bool EngineOperations::ImportVariables() {
  cv::ImportVariables(*database_, *silent_, switches_);
  return true;
}

bool EngineOperations::SetPredefinedVariables() {
  cv::SetPredefinedVariables(*database_, args_, switches_);
  return true;
}

TcvPackage* EngineOperations::Package(int index) const {
  if (!database_->Packages || index < 0 || index >= database_->Packages->Count()) return nullptr;
  return database_->Packages->Package(index);
}

bool EngineOperations::AddMainPackage(const std::string& setupFile) {
  auto package = TcvPackage::New(database_->Packages.get());
  package->FullFileName = setupFile;
  package->Needed = true;
  package->Main = true;
  database_->Packages->Add(std::move(package));
  return true;
}

bool EngineOperations::ReadPackageHeader(int package) {
  TcvPackage* found = Package(package);
  return found && cv::ReadPackageHeader(*found, *this);
}

bool EngineOperations::PreparePackages() { return cv::PreparePackages(*database_); }

bool EngineOperations::LoadPackageDatabase(int package) {
  TcvPackage* found = Package(package);
  return found && cv::LoadPackageDatabase(*found);
}

bool EngineOperations::LoadLanguages() {
  const TcvPackage* main = Package(0);
  if (!main) return false;
  const std::string file = main->TempPath + "languages";
  // A package without language tables still installs, with the fixed texts.
  if (!FileExists(file)) return true;
  database_->Languages->LoadFromFile(file, "languages");
  return true;
}

void EngineOperations::ResetVariables() { database_->Variables->Reset(); }

bool EngineOperations::LoadMainDatabase() {
  const TcvPackage* main = Package(0);
  if (!main) return false;
  TXMLTag root;
  ParseDatabaseFile(main->TempPath + "maindb", kProjectRootName, root);
  // Merged, so that the main package, the languages and the folders of this
  // run stay as they are.
  database_->Merge(root);
  return true;
}

int EngineOperations::PackageCount() {
  return database_->Packages ? database_->Packages->Count() : 0;
}

bool EngineOperations::MarkComponentsToInstall(std::string& missingComponent) {
  return cv::MarkComponentsToInstall(*database_, Run().SetupFileName, missingComponent);
}

bool EngineOperations::AssignComponentPackages(std::string& missingPackage) {
  return cv::AssignComponentPackages(*database_, missingPackage);
}

bool EngineOperations::LocateOtherPackage(int package) {
  TcvPackage* found = Package(package);
  if (!found) return false;
  // Relative names resolve against the current folder, the setup's own.
  const std::string name = PackageFileName(found->FileName);
  char full[MAX_PATH * 2] = {};
  const DWORD length = GetFullPathNameA(name.c_str(), sizeof full, full, nullptr);
  found->FullFileName = length > 0 && length < sizeof full ? std::string(full) : name;
  return true;
}

void EngineOperations::TakeOverPackageComponents() { cv::TakeOverPackageComponents(*database_); }
void EngineOperations::SetFileDestinations() { cv::SetFileDestinations(*database_); }

bool EngineOperations::SelectInstallTypeAndFeatures() {
  cv::SelectInstallTypeAndFeatures(*database_, *silent_);
  return true;
}
void EngineOperations::RestoreActiveInstallType() { cv::RestoreActiveInstallType(*database_); }
void EngineOperations::ReactivateInstallType() { cv::ReactivateInstallType(*database_); }
void EngineOperations::SelectSilentFeatures() { cv::SelectSilentFeatures(*database_, *silent_); }

bool EngineOperations::FailedLaunchCondition(std::string& message) {
  return cv::FailedLaunchCondition(*database_, message);
}

void EngineOperations::PreparePluginStartupRecord() { cv::PreparePluginStartupRecord(); }

bool EngineOperations::LoadPlugins(int package) {
  TcvPackage* found = Package(package);
  return found && cv::LoadPlugins(*found);
}

void EngineOperations::UnloadPlugins() { UnloadAll(); }

void EngineOperations::ShowStatusText(const std::string& text, int delayMs) {
  SendMessageByName(std::string(kShowStatusTextMessage), NewParamsBlock({text, delayMs}), 0, true,
                    false);
}

void EngineOperations::HideStatusText() {
  SendMessageByName(std::string(kHideStatusTextMessage), 0, 0, false, false);
}

std::vector<LanguageEntry> EngineOperations::InstallLanguages() {
  std::vector<LanguageEntry> entries;
  const TcvLngTables& tables = *database_->Languages;
  for (int i = 0; i < tables.Count(); ++i) {
    const TcvLngTable* table = tables.Table(i);
    if (table && table->PluginID.empty()) entries.push_back({table->LngID, table->InstallName});
  }
  return entries;
}

bool EngineOperations::ActivateLanguage(const std::string& lngId) {
  const TcvLngTables& tables = *database_->Languages;
  for (int i = 0; i < tables.Count(); ++i) {
    const TcvLngTable* table = tables.Table(i);
    if (table && SameTextNoCase(table->LngID, lngId)) return true;
  }
  return false;
}

int EngineOperations::LanguageCharset(const std::string& lngId) {
  return cv::LanguageCharset(lngId);
}

bool EngineOperations::HasAdminRights() { return cv::HasAdminRights(); }

std::int32_t EngineOperations::SendEvent(EngineEvent event, const std::vector<MessageValue>& in) {
  const std::int32_t block = NewParamsBlock(std::span<const MessageParamValue>(in));
  return SendMessageById(0, static_cast<std::int32_t>(event), block, true, false, 0);
}

std::int32_t EngineOperations::DispatchCrossThread(const CrossThreadRequest& request) {
  return RunCrossThreadRequest(request);
}

InstallState EngineOperations::CurrentInstallState() {
  switch (database_->InstallState) {
    case TcvInstallState::isUnknown: return InstallState::Unknown;
    case TcvInstallState::isRunAppBeforeDialogs: return InstallState::RunAppBeforeDialogs;
    default: return InstallState::Other;
  }
}
void EngineOperations::ClearInstallState() { database_->InstallState = TcvInstallState::isUnknown; }
void EngineOperations::ClearInstallStateData() { database_->InstallStateData.clear(); }
bool EngineOperations::RebootOnFinish() { return database_->RebootOnFinish; }
void EngineOperations::SetRebootOnFinish(bool value) { database_->RebootOnFinish = value; }

void EngineOperations::FreeDatabase() { database_->Reset(); }

bool EngineOperations::RunProgramsBeforeDialogs() {
  return cv::RunProgramsBeforeDialogs(*database_, Run().ResumePending);
}

bool EngineOperations::RunInstallation() {
  // A setup of this product that died in its run left changes nobody rolled
  // back: they go before this run makes its own.
  const std::string appId = cv::GetVar(database_.get(), "AppID", "");
  RecoverInterruptedRun(appId, RemoveAbandonedPartialFiles);
  // A resumed run starts with the actions from before the restart.
  if (CurrentRunJournal().Begin(appId, Run().WorkFolder)) CurrentRunJournal().Record(ActionList());
  EngineInstallHost host(*this, *database_);
  return InstallRun(host);
}

bool EngineOperations::RunUninstallation() {
  EngineUninstallHost host(*database_);
  return RunUninstall(host);
}

void EngineOperations::Rollback() { RollbackAll(ActionList()); }
void EngineOperations::EndRunJournal() { CurrentRunJournal().End(); }

bool EngineOperations::LoadResumeState() {
  return cv::LoadResumeState(Run().WorkFolder, *database_, ActionList());
}

void EngineOperations::SaveStateForResume() {
  // A state that could not be written cannot be resumed: the run must not
  // count on it (the main window then refuses the shutdown).
  RunState& run = Run();
  run.ResumePending = SaveResumeState(run.WorkFolder, *database_, ActionList());
}

bool EngineOperations::RegisterResume() {
  const RunState& run = Run();
  // A run that cannot go on after the restart is rolled back: the deletes
  // and moves for the next start are queued only once it can, or one of
  // them would take a user's file that the rollback has kept.
  if (run.ResumePending && !RegisterResumeAtLogon(run.WorkFolder, run.SetupFileName)) return false;
  ScheduleReplacements(ActionList());
  return true;
}

std::string EngineOperations::UninstallerLog() {
  if (args_.size() < 2 || args_[1].empty() || args_[1][0] == '/' || args_[1][0] == '-') return {};
  const std::string self = args_[0];
  std::string tail;
  // A setup file ends with its package; the uninstaller is the engine alone.
  if (!ReadFileRange(self, -65536, 65536, tail) || tail.find(kPackageEndMarker) != std::string::npos) {
    return {};
  }
  return FileExists(args_[1]) ? LongFullPath(args_[1]) : std::string();
}

bool EngineOperations::PrepareUninstallFromLog(const std::string& log) {
  cv::SetVar(database_.get(), "LogFile", log);
  // The installation wrote who it was into the log's [Strings].
  for (const char* name : {"AppID", "AdminRights"}) {
    const std::string value = IniReadValue(log, "Strings", name, "");
    if (!value.empty()) cv::SetVar(database_.get(), name, value);
  }
  if (cv::GetVar(database_.get(), "AppID", "").empty()) {
    ShowError(FormatText("Cannot read the install log \"%s\".", {log}));
    return false;
  }
  const std::string settings = ChangeExtension(log, ".sss");
  if (FileExists(settings)) silent_->LoadFromFile(settings, kSilentSettingsRootName);
  cv::ImportVariables(*database_, *silent_, switches_);
  // The product's folders and its entry follow from its identity.
  cv::SetPredefinedVariables(*database_, args_, switches_);
  // The name the user knows the product by, for the uninstaller's boxes:
  // the one its entry in "Add or remove programs" shows.
  if (cv::GetVar(database_.get(), "AppName", "").empty()) {
    for (const char* root : {"HKLM", "HKCU"}) {
      const std::string shown = RegReadString(UninstallKeyFor(root, *database_), "DisplayName", "");
      if (!shown.empty()) {
        cv::SetVar(database_.get(), "AppName", shown);
        break;
      }
    }
  }
  return true;
}

}  // namespace cv
