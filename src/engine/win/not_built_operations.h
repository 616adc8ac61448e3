#pragma once
// The main flow's operations while their subsystems are not built: every
// operation that would have to produce something reports "... is not
// available in this build." in an error box and fails. Queries answer what is
// true of a run without a project database (no variables, no plug-ins, no
// recorded changes, nothing to flush).

#include "engine/setup_operations.h"

namespace cv {

class NotBuiltOperations : public SetupOperations {
 public:
  std::string GetVar(const std::string& name, const std::string& fallback) override;
  bool GetVarBool(const std::string& name, bool fallback) override;
  int GetVarInt(const std::string& name, int fallback) override;
  void SetVar(const std::string& name, const std::string& value) override;
  void SetVarBool(const std::string& name, bool value) override;
  void SetVarInt(const std::string& name, int value) override;
  std::string ExpandReferences(const std::string& text) override;

  void PreparePluginStartupRecord() override;
  void EnableConditionEvaluation() override;
  void SetTempFolders(const std::string& fonts, const std::string& assemblies,
                      const std::string& backups) override;
  bool LoadResumeState() override;
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
  bool MarkComponentsToInstall(std::string& missingComponent) override;
  bool AssignComponentPackages(std::string& missingPackage) override;
  int PackageCount() override;
  bool LocateOtherPackage(int package) override;
  void TakeOverPackageComponents() override;
  void SetFileDestinations() override;

  std::vector<LanguageEntry> InstallLanguages() override;
  bool ActivateLanguage(const std::string& lngId) override;
  int LanguageCharset(const std::string& lngId) override;

  bool SelectInstallTypeAndFeatures() override;
  void RestoreActiveInstallType() override;
  void ReactivateInstallType() override;
  void SelectSilentFeatures() override;
  bool LoadRepairSettings(const std::string& file) override;

  bool HasAdminRights() override;
  bool FailedLaunchCondition(std::string& message) override;

  bool LoadPlugins(int package) override;
  void UnloadPlugins() override;
  std::int32_t SendEvent(EngineEvent event, const std::vector<MessageValue>& in) override;
  void ShowStatusText(const std::string& text, int delayMs) override;
  void HideStatusText() override;
  std::int32_t DispatchCrossThread(const CrossThreadRequest& request) override;

  InstallState CurrentInstallState() override;
  void ClearInstallState() override;
  void ClearInstallStateData() override;
  bool RebootOnFinish() override;
  void SetRebootOnFinish(bool value) override;
  void SaveStateForResume() override;
  bool RunProgramsBeforeDialogs() override;
  bool RunInstallation() override;
  bool RunUninstallation() override;
  bool RegisterResume() override;
  void Rollback() override;
  void FlushIniCache() override;
  void FreeDatabase() override;
};

// Shows "<what> is not available in this build." and answers false.
bool ReportNotBuilt(const char* what);

}  // namespace cv
