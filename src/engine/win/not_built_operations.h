#pragma once
// The main flow's operations whose subsystems are not built yet: every
// operation that would have to produce something reports "... is not
// available in this build." in an error box and fails. Queries answer what is
// true of a run that has not loaded or installed anything of that kind (no
// plug-ins, no recorded changes, nothing to resume).

#include "engine/setup_operations.h"

namespace cv {

class NotBuiltOperations : public SetupOperations {
 public:
  void PreparePluginStartupRecord() override;
  bool LoadResumeState() override;

  bool LoadRepairSettings(const std::string& file) override;

  bool LoadPlugins(int package) override;
  void UnloadPlugins() override;
  void ShowStatusText(const std::string& text, int delayMs) override;
  void HideStatusText() override;

  void SaveStateForResume() override;
  bool RunProgramsBeforeDialogs() override;
  bool RunInstallation() override;
  bool RunUninstallation() override;
  bool RegisterResume() override;
  void Rollback() override;
  void EndRunJournal() override {}
  void FlushIniCache() override;
  std::string UninstallerLog() override { return {}; }
  bool PrepareUninstallFromLog(const std::string& log) override;
};

// Shows "<what> is not available in this build." and answers false.
bool ReportNotBuilt(const char* what);

}  // namespace cv
