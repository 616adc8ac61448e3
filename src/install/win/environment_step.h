#pragma once
// The environment variables a project sets: the user's or the machine's,
// whole values or folders added to a path list, each recorded for rollback
// and for the uninstaller, and the change announced once at the end.

#include <functional>
#include <string>

#include "database/main_database.h"
#include "install/install_actions.h"
#include "install/win/step_services.h"

namespace cv {

struct EnvironmentStepServices {
  // A text resolved with the variables of `context` (the main database or
  // the package whose variable it is).
  std::function<std::string(TXMLObject* context, const std::string& text)> Resolve;
  ErrorBoxRoutine ShowErrorBox;
  // Tells the running programs that the environment changed.
  std::function<void()> AnnounceChange;
};

// Every environment variable whose condition holds, the database's first,
// then each package's in package order. A variable that cannot be set shows
// "Error setting environment variable "%s"." and the others go on; the step
// itself never fails. When something changed: on the NT family the change
// is announced, on the 9x family the variable Reboot is set.
bool SetEnvironmentItems(TcvMainDatabase& database, TInstallActions& list,
                         const EnvironmentStepServices& services);

// The "Environment" settings change sent to every top-level window, which
// has 5000 ms to answer; hung windows are skipped.
void BroadcastEnvironmentChange();

}  // namespace cv
