#pragma once
// The process-wide state of one engine run.

#include <string>
#include <vector>

#include "engine/setup_operations.h"

namespace cv {

struct RunState {
  std::string SetupFileName;
  std::string WorkFolder;  // always with trailing backslash
  std::string UnpackLibraryPath;

  bool ResumeMode = false;
  bool Cancelled = false;  // set only by AbortRun
  bool ResumePending = false;  // set only by SaveStateForResume
  bool RepairMode = false;
  bool UninstallMode = false;
  bool SystemShuttingDown = false;
  bool RebootAfterExit = false;

  // LngID=display name, in the order the language tables come.
  std::vector<LanguageEntry> LanguageList;
};

// The one run of this process.
RunState& Run();

}  // namespace cv
