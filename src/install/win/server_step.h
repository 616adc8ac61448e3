#pragma once
// The COM-server step: every file the list records with reg_server is
// registered, in list order.

#include "install/install_actions.h"

namespace cv {

// False, after the box "Cannot register ...", at the first file that cannot
// be registered; a plug-in that answers the item's EV_BEFOREPROCESSITEM with
// non-zero skips that file.
bool RegisterServers(const TInstallActions& list);

}  // namespace cv
