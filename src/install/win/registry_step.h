#pragma once
// One registry item of a component: a value written (with its key chain and
// its previous value recorded for rollback), a value deleted, or a whole key
// tree deleted.

#include "database/main_database.h"
#include "install/install_actions.h"
#include "install/win/install_run.h"
#include "install/win/step_services.h"

namespace cv {

// Add: an existing value with dont_overwrite is left alone (Skipped);
// otherwise the missing keys are created (recorded unless dont_log), a
// TInstallReg notes the value as it was, and the value is written with the
// item's type. A failed write shows "Error changing registry data." and
// fails. Remove: the value, or with an empty Param the key and all its
// subkeys, is deleted; nothing is recorded.
ItemResult InstallRegistryItem(TInstallActions& list, const TcvReg& item,
                               const ResolveText& resolve, const ErrorBoxRoutine& showErrorBox);

}  // namespace cv
