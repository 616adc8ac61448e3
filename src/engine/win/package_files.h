#pragma once
// Package files as the engine reads them: finding a package (asking the
// wizard for another folder when it is missing), checking its size against
// its header, its header variables, the bare engine kept for resuming, and
// loading a package's own database after the presetup extracted it.

#include <string>

#include "database/packages.h"
#include "engine/setup_operations.h"

namespace cv {

// Finds `name` in `folder`, or in the folders the wizard names in answer to
// EV_GETPACKAGE; on success `folder` (with a trailing backslash) holds it.
// When the wizard gives up the run is aborted.
bool LocatePackageFile(const std::string& name, std::string& folder);

// Locates the package's file, checks its size, takes over the header fields
// and header variables, and for the main package writes the resume copy.
// Every failure has been reported to the user when this answers false.
bool ReadPackageHeader(TcvPackage& package, SetupOperations& operations);

// Merges the package's "packagedb" into it and adds the variables "Presetup"
// and "PackageFileName". Parse and load errors propagate.
bool LoadPackageDatabase(TcvPackage& package);

}  // namespace cv
