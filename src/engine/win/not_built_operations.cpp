#include "engine/win/not_built_operations.h"

#include <windows.h>

#include "platform/ini_cache.h"
#include "platform/win/message_box.h"

namespace cv {

bool ReportNotBuilt(const char* what) {
  ShowError(std::string(what) + " is not available in this build.");
  return false;
}

// No project database exists: no variable is set, so every read gives its
// fallback and there is nothing to write to.
std::string NotBuiltOperations::GetVar(const std::string&, const std::string& fallback) {
  return fallback;
}
bool NotBuiltOperations::GetVarBool(const std::string&, bool fallback) { return fallback; }
int NotBuiltOperations::GetVarInt(const std::string&, int fallback) { return fallback; }
void NotBuiltOperations::SetVar(const std::string&, const std::string&) {}
void NotBuiltOperations::SetVarBool(const std::string&, bool) {}
void NotBuiltOperations::SetVarInt(const std::string&, int) {}
std::string NotBuiltOperations::ExpandReferences(const std::string& text) { return text; }

void NotBuiltOperations::PreparePluginStartupRecord() {}
void NotBuiltOperations::EnableConditionEvaluation() {}
void NotBuiltOperations::SetTempFolders(const std::string&, const std::string&,
                                        const std::string&) {}
bool NotBuiltOperations::LoadResumeState() { return ReportNotBuilt("Resuming an installation"); }

bool NotBuiltOperations::LoadSilentSettings(const std::string& file) {
  // A missing file means empty silent settings, which needs no database.
  if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  return ReportNotBuilt("Loading silent settings");
}

bool NotBuiltOperations::ImportVariables() { return ReportNotBuilt("Importing variables"); }
bool NotBuiltOperations::SetPredefinedVariables() {
  return ReportNotBuilt("Setting the predefined variables");
}

bool NotBuiltOperations::AddMainPackage(const std::string&) {
  return ReportNotBuilt("The package list");
}
bool NotBuiltOperations::ReadPackageHeader(int) {
  return ReportNotBuilt("Reading a package header");
}
bool NotBuiltOperations::PreparePackages() { return ReportNotBuilt("Preparing packages"); }
bool NotBuiltOperations::LoadPackageDatabase(int) {
  return ReportNotBuilt("Loading a package database");
}
bool NotBuiltOperations::LoadLanguages() { return ReportNotBuilt("Loading language tables"); }
void NotBuiltOperations::ResetVariables() {}
bool NotBuiltOperations::LoadMainDatabase() { return ReportNotBuilt("Loading the main database"); }
bool NotBuiltOperations::MarkComponentsToInstall(std::string&) {
  return ReportNotBuilt("Selecting components");
}
bool NotBuiltOperations::AssignComponentPackages(std::string&) {
  return ReportNotBuilt("Assigning packages");
}
int NotBuiltOperations::PackageCount() { return 0; }
bool NotBuiltOperations::LocateOtherPackage(int) { return ReportNotBuilt("Package files"); }
void NotBuiltOperations::TakeOverPackageComponents() {}
void NotBuiltOperations::SetFileDestinations() {}

std::vector<LanguageEntry> NotBuiltOperations::InstallLanguages() { return {}; }
bool NotBuiltOperations::ActivateLanguage(const std::string&) { return false; }
int NotBuiltOperations::LanguageCharset(const std::string&) { return 0; }

bool NotBuiltOperations::SelectInstallTypeAndFeatures() {
  return ReportNotBuilt("Selecting install types and features");
}
void NotBuiltOperations::RestoreActiveInstallType() {}
void NotBuiltOperations::ReactivateInstallType() {}
void NotBuiltOperations::SelectSilentFeatures() {}
bool NotBuiltOperations::LoadRepairSettings(const std::string&) {
  return ReportNotBuilt("Repairing an application");
}

bool NotBuiltOperations::HasAdminRights() { return ReportNotBuilt("The administrator test"); }
bool NotBuiltOperations::FailedLaunchCondition(std::string&) { return false; }

// No plug-in and no event script is loaded, so no message has a receiver.
bool NotBuiltOperations::LoadPlugins(int) { return ReportNotBuilt("Loading plug-ins"); }
void NotBuiltOperations::UnloadPlugins() {}
std::int32_t NotBuiltOperations::SendEvent(EngineEvent, const std::vector<MessageValue>&) {
  return 0;
}
void NotBuiltOperations::ShowStatusText(const std::string&, int) {}
void NotBuiltOperations::HideStatusText() {}
std::int32_t NotBuiltOperations::DispatchCrossThread(const CrossThreadRequest&) { return 0; }

InstallState NotBuiltOperations::CurrentInstallState() { return InstallState::Unknown; }
void NotBuiltOperations::ClearInstallState() {}
void NotBuiltOperations::ClearInstallStateData() {}
bool NotBuiltOperations::RebootOnFinish() { return false; }
void NotBuiltOperations::SetRebootOnFinish(bool) {}
void NotBuiltOperations::SaveStateForResume() {}
bool NotBuiltOperations::RunProgramsBeforeDialogs() {
  return ReportNotBuilt("Running programs before the dialogs");
}
bool NotBuiltOperations::RunInstallation() { return ReportNotBuilt("The installation run"); }
bool NotBuiltOperations::RunUninstallation() { return ReportNotBuilt("The uninstallation run"); }
bool NotBuiltOperations::RegisterResume() { return ReportNotBuilt("Registering the resume"); }
// Nothing is recorded while the installation run is not built.
void NotBuiltOperations::Rollback() {}
void NotBuiltOperations::FlushIniCache() { cv::FlushIniCache(); }
void NotBuiltOperations::FreeDatabase() {}

}  // namespace cv
