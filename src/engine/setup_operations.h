#pragma once
// What the main flow asks of the other subsystems. RunSetup is written
// against this interface in the order the flow needs; each subsystem supplies
// its part as it is built, and the parts not built yet answer through
// NotBuiltOperations (engine/win/not_built_operations.h), which reports
// "not available in this build" and fails, so a run ends through the normal
// failure path instead of pretending to work.

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "plugins/cross_thread_request.h"

namespace cv {

// Messages the main flow sends (ids of the message store).
enum class EngineEvent : std::int32_t {
  Start = 3,
  Finish = 4,
  ShowDialogs = 5,
  LanguageChanged = 6,
  BeforeInstall = 7,
  AfterInstall = 8,
  BeforeProcessItems = 9,
  AfterProcessItems = 10,
  CheckLaunchConditions = 18,
  QueryReboot = 20,
  Rollback = 22,
};

// One value of a message's in-block.
using MessageValue = std::variant<std::string, std::int32_t, bool>;

// A language table that the language choice may offer: LngID and InstallName.
struct LanguageEntry {
  std::string Id;
  std::string Name;
};

// The state a resumed installation continues from.
enum class InstallState { Unknown, RunAppBeforeDialogs, Other };

class SetupOperations {
 public:
  virtual ~SetupOperations() = default;

  // --- Variables of the project database ---
  virtual std::string GetVar(const std::string& name, const std::string& fallback) = 0;
  virtual bool GetVarBool(const std::string& name, bool fallback) = 0;
  virtual int GetVarInt(const std::string& name, int fallback) = 0;
  virtual void SetVar(const std::string& name, const std::string& value) = 0;
  virtual void SetVarBool(const std::string& name, bool value) = 0;
  virtual void SetVarInt(const std::string& name, int value) = 0;
  // Text with %variable%, [language string] and #expression# references resolved.
  virtual std::string ExpandReferences(const std::string& text) = 0;

  // --- Start-up ---
  virtual void PreparePluginStartupRecord() = 0;
  // Until this is called every condition counts as true.
  virtual void EnableConditionEvaluation() = 0;
  // Fonts, assembly and backup folders of this run, kept with the database.
  virtual void SetTempFolders(const std::string& fonts, const std::string& assemblies,
                              const std::string& backups) = 0;
  // Loads the saved state of a suspended installation from the work folder.
  virtual bool LoadResumeState() = 0;
  // A missing file leaves the silent settings empty and succeeds.
  virtual bool LoadSilentSettings(const std::string& file) = 0;
  virtual bool ImportVariables() = 0;
  virtual bool SetPredefinedVariables() = 0;

  // --- Packages and databases ---
  // Appends the main package (index 0) for the setup file.
  virtual bool AddMainPackage(const std::string& setupFile) = 0;
  virtual bool ReadPackageHeader(int package) = 0;
  virtual bool PreparePackages() = 0;
  virtual bool LoadPackageDatabase(int package) = 0;
  virtual bool LoadLanguages() = 0;
  virtual void ResetVariables() = 0;
  virtual bool LoadMainDatabase() = 0;
  // Components of the selected features (or all), marked for installation;
  // on failure `missing` names the component or package that was not found.
  virtual bool MarkComponentsToInstall(std::string& missingComponent) = 0;
  // Keeps the needed packages and gives each component its package;
  // `missingPackage` names an unknown package.
  virtual bool AssignComponentPackages(std::string& missingPackage) = 0;
  virtual int PackageCount() = 0;
  virtual bool LocateOtherPackage(int package) = 0;
  virtual void TakeOverPackageComponents() = 0;
  virtual void SetFileDestinations() = 0;

  // --- Languages ---
  virtual std::vector<LanguageEntry> InstallLanguages() = 0;
  virtual bool ActivateLanguage(const std::string& lngId) = 0;
  virtual int LanguageCharset(const std::string& lngId) = 0;

  // --- Features and install types ---
  virtual bool SelectInstallTypeAndFeatures() = 0;
  virtual void RestoreActiveInstallType() = 0;
  virtual void ReactivateInstallType() = 0;
  virtual void SelectSilentFeatures() = 0;
  virtual bool LoadRepairSettings(const std::string& file) = 0;

  // --- Launch requirements ---
  virtual bool HasAdminRights() = 0;
  // Message of the first launch condition that does not hold; false when all hold.
  virtual bool FailedLaunchCondition(std::string& message) = 0;

  // --- Plug-ins and messages ---
  virtual bool LoadPlugins(int package) = 0;
  virtual void UnloadPlugins() = 0;
  virtual std::int32_t SendEvent(EngineEvent event, const std::vector<MessageValue>& in) = 0;
  virtual void ShowStatusText(const std::string& text, int delayMs) = 0;
  virtual void HideStatusText() = 0;
  // Runs a message send that another thread handed over, on this thread.
  virtual std::int32_t DispatchCrossThread(const CrossThreadRequest& request) = 0;

  // --- Installation ---
  virtual InstallState CurrentInstallState() = 0;
  // InstallState := unknown.
  virtual void ClearInstallState() = 0;
  virtual void ClearInstallStateData() = 0;
  // Whether Windows is restarted after a successful installation (kept with
  // the database, so that a resumed run still knows it).
  virtual bool RebootOnFinish() = 0;
  virtual void SetRebootOnFinish(bool value) = 0;
  // Stores the install state with the database for a resume after restart
  // and sets ResumePending.
  virtual void SaveStateForResume() = 0;
  virtual bool RunProgramsBeforeDialogs() = 0;
  virtual bool RunInstallation() = 0;
  virtual bool RunUninstallation() = 0;
  virtual bool RegisterResume() = 0;
  virtual void Rollback() = 0;
  // The run's changes are settled (kept, rolled back, or saved for a
  // resume): the journal that lets the next setup undo a run that died goes.
  virtual void EndRunJournal() = 0;
  virtual void FlushIniCache() = 0;
  virtual void FreeDatabase() = 0;

  // --- The uninstaller ---
  // The install log this program was started with as the product's
  // uninstaller: a bare engine (no package appended) whose first argument
  // names an existing file. Empty for a setup file.
  virtual std::string UninstallerLog() = 0;
  // Takes the installed product's identity and settings from its log and
  // from the silent settings beside it.
  virtual bool PrepareUninstallFromLog(const std::string& log) = 0;
};

}  // namespace cv
