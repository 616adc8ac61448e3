#include "engine/win/not_built_operations.h"

#include "platform/ini_cache.h"
#include "platform/win/message_box.h"

namespace cv {

bool ReportNotBuilt(const char* what) {
  ShowError(std::string(what) + " is not available in this build.");
  return false;
}

void NotBuiltOperations::PreparePluginStartupRecord() {}
bool NotBuiltOperations::LoadResumeState() { return ReportNotBuilt("Resuming an installation"); }

bool NotBuiltOperations::LoadRepairSettings(const std::string&) {
  return ReportNotBuilt("Repairing an application");
}

bool NotBuiltOperations::LoadPlugins(int) { return ReportNotBuilt("Loading plug-ins"); }
void NotBuiltOperations::UnloadPlugins() {}
void NotBuiltOperations::ShowStatusText(const std::string&, int) {}
void NotBuiltOperations::HideStatusText() {}

void NotBuiltOperations::SaveStateForResume() {}
bool NotBuiltOperations::RunProgramsBeforeDialogs() {
  return ReportNotBuilt("Running programs before the dialogs");
}
bool NotBuiltOperations::RunInstallation() { return ReportNotBuilt("The installation run"); }
bool NotBuiltOperations::RunUninstallation() { return ReportNotBuilt("The uninstallation run"); }
bool NotBuiltOperations::PrepareUninstallFromLog(const std::string&) {
  return ReportNotBuilt("Uninstalling from the install log");
}
bool NotBuiltOperations::RegisterResume() { return ReportNotBuilt("Registering the resume"); }
// Nothing is recorded while the installation run is not built.
void NotBuiltOperations::Rollback() {}
void NotBuiltOperations::FlushIniCache() { cv::FlushIniCache(); }

}  // namespace cv
