#pragma once
// The programs that the main package's components run before the wizard's
// pages, each framed by EV_BEFOREPROCESSITEM and EV_AFTERPROCESSITEM.

#include "database/main_database.h"

namespace cv {

// Runs them in the order of the components and of their entries, skipping
// what a resumed run already did. Stops (answering true) when Windows
// announced shutdown or logoff during a program and the state was saved
// (`resumePending`); false when a program with `check_exitcode` failed.
bool RunProgramsBeforeDialogs(TcvMainDatabase& database, const bool& resumePending);

}  // namespace cv
