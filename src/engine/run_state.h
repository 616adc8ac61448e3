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
  bool Cancelled = false;      // set only by AbortRun
  bool ResumePending = false;  // set only by SaveStateForResume
  bool RepairMode = false;
  bool UninstallMode = false;
  bool SystemShuttingDown = false;
  bool RebootAfterExit = false;

  // The process exit code; parts that end the run with a code of their own
  // set it, otherwise a failed run ends with -1.
  int ExitCode = 0;

  // LngID=display name, in the order the language tables come.
  std::vector<LanguageEntry> LanguageList;
};

// The one run of this process.
RunState& Run();

}  // namespace cv
