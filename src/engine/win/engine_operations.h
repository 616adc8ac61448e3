#pragma once
// The operations of the main flow as far as the engine has them: the project
// database with its variables, packages and languages, messages to plug-ins
// and event scripts, sends handed over from other threads, and the switch
// for condition evaluation. The rest still answers through
// NotBuiltOperations.

#include <memory>

#include "database/main_database.h"
#include "engine/startup_switches.h"
#include "engine/win/not_built_operations.h"
#include "platform/command_line.h"

namespace cv {

class EngineOperations : public NotBuiltOperations {
 public:
  // Creates the run's project database and makes it the process's one, with
  // the evaluator and the selection events connected.
  explicit EngineOperations(ArgumentList args);
  // With the switches already parsed from `args`.
  EngineOperations(ArgumentList args, StartupSwitches switches);
  ~EngineOperations() override;
  EngineOperations(const EngineOperations&) = delete;
  EngineOperations& operator=(const EngineOperations&) = delete;

  TcvMainDatabase& Database() { return *database_; }
  TcvSilentSettings& SilentSettings() { return *silent_; }

  std::string GetVar(const std::string& name, const std::string& fallback) override;
  bool GetVarBool(const std::string& name, bool fallback) override;
  int GetVarInt(const std::string& name, int fallback) override;
  void SetVar(const std::string& name, const std::string& value) override;
  void SetVarBool(const std::string& name, bool value) override;
  void SetVarInt(const std::string& name, int value) override;
  std::string ExpandReferences(const std::string& text) override;

  void EnableConditionEvaluation() override;
  void SetTempFolders(const std::string& fonts, const std::string& assemblies,
                      const std::string& backups) override;
  bool LoadSilentSettings(const std::string& file) override;
  bool ImportVariables() override;
  bool SetPredefinedVariables() override;

  bool AddMainPackage(const std::string& setupFile) override;
  bool ReadPackageHeader(int package) override;
  bool PreparePackages() override;
  bool LoadPackageDatabase(int package) override;
  bool LoadLanguages() override;
  void ResetVariables() override;
  bool LoadMainDatabase() override;
  int PackageCount() override;
  bool MarkComponentsToInstall(std::string& missingComponent) override;
  bool AssignComponentPackages(std::string& missingPackage) override;
  bool LocateOtherPackage(int package) override;
  void TakeOverPackageComponents() override;
  void SetFileDestinations() override;

  void PreparePluginStartupRecord() override;
  bool LoadPlugins(int package) override;
  void UnloadPlugins() override;
  void ShowStatusText(const std::string& text, int delayMs) override;
  void HideStatusText() override;

  std::vector<LanguageEntry> InstallLanguages() override;
  bool ActivateLanguage(const std::string& lngId) override;
  int LanguageCharset(const std::string& lngId) override;

  bool SelectInstallTypeAndFeatures() override;
  void RestoreActiveInstallType() override;
  void ReactivateInstallType() override;
  void SelectSilentFeatures() override;

  bool HasAdminRights() override;
  bool FailedLaunchCondition(std::string& message) override;

  // The values become the in-block, which is freed after the dispatch.
  std::int32_t SendEvent(EngineEvent event, const std::vector<MessageValue>& in) override;
  std::int32_t DispatchCrossThread(const CrossThreadRequest& request) override;

  InstallState CurrentInstallState() override;
  void ClearInstallState() override;
  void ClearInstallStateData() override;
  bool RebootOnFinish() override;
  void SetRebootOnFinish(bool value) override;
  void FreeDatabase() override;

  // The installation run over this database, and undoing what it recorded.
  bool RunProgramsBeforeDialogs() override;
  bool RunInstallation() override;
  bool RunUninstallation() override;
  bool LoadRepairSettings(const std::string& file) override;
  void Rollback() override;
  void EndRunJournal() override;

  // The database and the action list saved in, and loaded from, the work
  // folder of a run suspended for a restart.
  bool LoadResumeState() override;
  void SaveStateForResume() override;
  // Schedules the pending file operations and, for a suspended run, the
  // resume at the next logon.
  bool RegisterResume() override;

  std::string UninstallerLog() override;
  bool PrepareUninstallFromLog(const std::string& log) override;

 private:
  TcvPackage* Package(int index) const;

  ArgumentList args_;
  StartupSwitches switches_;
  std::unique_ptr<TcvMainDatabase> database_;
  std::unique_ptr<TcvSilentSettings> silent_;
};

}  // namespace cv
