#pragma once
// The machine-wide use counts of shared files (SharedDLLs): each product
// that installs or keeps a shared file counts it once; the uninstaller of
// the last one takes the file away.

#include <string>

#include "install/install_actions.h"

namespace cv {

// Raises the count of a shared file under SharedDLLs once per install log.
// `existed` tells whether the file was there before the installation
// handled it (a file there without a count then counts 2). The change is
// recorded in `list` for rollback, and the file logged under [SharedFiles].
bool CountSharedFile(TInstallActions& list, const std::string& path, bool existed);

}  // namespace cv
