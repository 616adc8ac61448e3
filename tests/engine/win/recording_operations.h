#pragma once
// A stand-in for the subsystems the main flow drives: every operation
// succeeds unless told otherwise, and every call is recorded by name (with
// its argument where it has one) so a test can check the order of the flow.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/setup_operations.h"

namespace cv::test {

class RecordingOperations : public SetupOperations {
 public:
  std::vector<std::string> Calls;
  std::map<std::string, std::string> Variables;
  std::map<std::string, bool> Fail;  // operation name -> answer false
  std::map<int, std::string> EngineStrings;
  std::vector<LanguageEntry> Languages{{"ENU", "English"}};
  std::map<EngineEvent, std::int32_t> EventAnswers;
  std::function<void(EngineEvent)> OnEvent;
  std::string FailedCondition;  // message of a failing launch condition
  bool HasFailedCondition = false;
  bool AdminRights = true;
  InstallState State = InstallState::Unknown;
  bool SaveFails = false;  // the saved state cannot be written
  std::string UninstallerLogFile;  // started as the uninstaller with this log
  std::function<std::int32_t(const CrossThreadRequest&)> OnCrossThread;

  bool Succeeds(const std::string& operation) const {
    const auto it = Fail.find(operation);
    return it == Fail.end() || !it->second;
  }
  void Record(const std::string& call) { Calls.push_back(call); }
  // Calls whose name starts with `prefix`.
  std::vector<std::string> CallsStartingWith(const std::string& prefix) const;
  bool Called(const std::string& call) const;

  std::string GetVar(const std::string& name, const std::string& fallback) override;
  bool GetVarBool(const std::string& name, bool fallback) override;
  int GetVarInt(const std::string& name, int fallback) override;
  void SetVar(const std::string& name, const std::string& value) override;
  void SetVarBool(const std::string& name, bool value) override;
  void SetVarInt(const std::string& name, int value) override;
  std::string ExpandReferences(const std::string& text) override;

  void PreparePluginStartupRecord() override { Record("PreparePluginStartupRecord"); }
  void EnableConditionEvaluation() override { Record("EnableConditionEvaluation"); }
  void SetTempFolders(const std::string& fonts, const std::string& assemblies,
                      const std::string& backups) override;
  bool LoadResumeState() override { return Step("LoadResumeState"); }
  bool LoadSilentSettings(const std::string& file) override {
    return Step("LoadSilentSettings " + file, "LoadSilentSettings");
  }
  bool ImportVariables() override { return Step("ImportVariables"); }
  bool SetPredefinedVariables() override { return Step("SetPredefinedVariables"); }

  bool AddMainPackage(const std::string& setupFile) override {
    return Step("AddMainPackage " + setupFile, "AddMainPackage");
  }
  bool ReadPackageHeader(int package) override {
    return Step("ReadPackageHeader " + std::to_string(package), "ReadPackageHeader");
  }
  bool PreparePackages() override { return Step("PreparePackages"); }
  bool LoadPackageDatabase(int package) override {
    return Step("LoadPackageDatabase " + std::to_string(package), "LoadPackageDatabase");
  }
  bool LoadLanguages() override { return Step("LoadLanguages"); }
  void ResetVariables() override { Record("ResetVariables"); }
  bool LoadMainDatabase() override { return Step("LoadMainDatabase"); }
  std::string MissingComponent;
  bool MarkComponentsToInstall(std::string& missing) override;
  std::string MissingPackage;
  bool AssignComponentPackages(std::string& missing) override;
  int Packages = 1;
  int PackageCount() override { return Packages; }
  bool LocateOtherPackage(int package) override {
    return Step("LocateOtherPackage " + std::to_string(package), "LocateOtherPackage");
  }
  void TakeOverPackageComponents() override { Record("TakeOverPackageComponents"); }
  void SetFileDestinations() override { Record("SetFileDestinations"); }

  std::vector<LanguageEntry> InstallLanguages() override { return Languages; }
  bool ActivateLanguage(const std::string& lngId) override;
  int LanguageCharset(const std::string&) override { return 0; }

  bool SelectInstallTypeAndFeatures() override { return Step("SelectInstallTypeAndFeatures"); }
  void RestoreActiveInstallType() override { Record("RestoreActiveInstallType"); }
  void ReactivateInstallType() override { Record("ReactivateInstallType"); }
  void SelectSilentFeatures() override { Record("SelectSilentFeatures"); }
  bool LoadRepairSettings(const std::string& file) override {
    return Step("LoadRepairSettings " + file, "LoadRepairSettings");
  }

  bool HasAdminRights() override { return AdminRights; }
  bool FailedLaunchCondition(std::string& message) override {
    message = FailedCondition;
    return HasFailedCondition;
  }

  bool LoadPlugins(int package) override {
    return Step("LoadPlugins " + std::to_string(package), "LoadPlugins");
  }
  void UnloadPlugins() override { Record("UnloadPlugins"); }
  std::int32_t SendEvent(EngineEvent event, const std::vector<MessageValue>& in) override;
  void ShowStatusText(const std::string& text, int delayMs) override {
    Record("ShowStatusText " + text + " " + std::to_string(delayMs));
  }
  void HideStatusText() override { Record("HideStatusText"); }
  std::int32_t DispatchCrossThread(const CrossThreadRequest& request) override {
    return OnCrossThread ? OnCrossThread(request) : 0;
  }

  InstallState CurrentInstallState() override { return State; }
  void ClearInstallState() override {
    Record("ClearInstallState");
    State = InstallState::Unknown;
  }
  void ClearInstallStateData() override { Record("ClearInstallStateData"); }
  void SaveStateForResume() override;
  std::string UninstallerLog() override { return UninstallerLogFile; }
  bool PrepareUninstallFromLog(const std::string& log) override {
    Record("PrepareUninstallFromLog " + log);
    return Succeeds("PrepareUninstallFromLog");
  }
  bool RebootAtFinish = false;
  bool RebootOnFinish() override { return RebootAtFinish; }
  void SetRebootOnFinish(bool value) override { RebootAtFinish = value; }
  bool RunProgramsBeforeDialogs() override { return Step("RunProgramsBeforeDialogs"); }
  bool RunInstallation() override { return Step("RunInstallation"); }
  bool RunUninstallation() override { return Step("RunUninstallation"); }
  bool RegisterResume() override { return Step("RegisterResume"); }
  void Rollback() override { Record("Rollback"); }
  void EndRunJournal() override {}
  void FlushIniCache() override { Record("FlushIniCache"); }
  void FreeDatabase() override { Record("FreeDatabase"); }

 private:
  bool Step(const std::string& call, const std::string& name = {}) {
    Record(call);
    return Succeeds(name.empty() ? call : name);
  }
};

const char* EventName(EngineEvent event);

}  // namespace cv::test
