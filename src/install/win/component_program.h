#pragma once
// One program entry of a component started and awaited, with the install
// state recording which entry runs, so that a logoff or shutdown during the
// wait can be resumed after it; and the skipping of what a resumed run
// already did.

#include <windows.h>

#include <string>

#include "database/main_database.h"

namespace cv {

// The texts of a program entry with variables resolved.
struct ResolvedProgram {
  std::string CmdLine;
  std::string Arg;
  std::string WorkDir;
};

// "<component ID>,<index>", the install-state data while a program runs.
std::string ProgramResumeData(const std::string& componentId, int index);

// Whether entry `index` of component `componentId` was already handled by
// the run whose state was saved. The entry that was running at the save
// counts as done; reaching it clears the state data, so that every later
// entry runs. Components before the saved one are skipped whole.
bool AlreadyDoneBeforeResume(TcvMainDatabase& database, const std::string& componentId, int index);

// Ends resuming inside a component whose saved index was beyond its entries,
// so that later components are not skipped as well.
void EndResumeInComponent(TcvMainDatabase& database, const std::string& componentId);

// The state recorded while a program of that moment runs.
TcvInstallState ProgramInstallState(TcvWhenStart when);

// Starts entry `index` of component `componentId` (with `dont_wait` through
// the shell, else waiting for its end). While it runs the database's install
// state names the entry; afterwards it is cleared unless `resumePending` was
// set meanwhile. False only when the entry has `check_exitcode` and the
// program ended with (or could not start and gives) a non-zero code.
bool RunComponentProgram(TcvMainDatabase& database, const bool& resumePending, HWND owner,
                         const std::string& componentId, int index, const TcvRunApp& item,
                         const ResolvedProgram& resolved);

}  // namespace cv
