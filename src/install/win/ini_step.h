#pragma once
// One ini item of a component: an entry written through the ini cache (the
// file backed up before its first edit, so that rollback gives it back as it
// was, or removes a file the run created), or an entry deleted.

#include "database/main_database.h"
#include "install/install_actions.h"
#include "install/win/install_run.h"
#include "install/win/step_services.h"

namespace cv {

// Add: an existing key with dont_overwrite is left alone (Skipped);
// otherwise the file gets its file action (once per run), the value is
// written and a TInstallIni notes the previous value. A failed write shows
// "Error changing ini-file "%s"." and fails. Remove: the key is deleted;
// nothing is recorded. The caller flushes the ini cache after the step.
ItemResult InstallIniItem(TInstallActions& list, const TcvIni& item, const ResolveText& resolve,
                          const ErrorBoxRoutine& showErrorBox);

}  // namespace cv
