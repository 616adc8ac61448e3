#pragma once
// The presetup: extracting each package's first cabinet (pictures,
// languages, databases, plug-ins) into its folder before the wizard starts,
// with the splash and a progress window.

#include "database/main_database.h"

namespace cv {

// Extracts every package not yet prepared, after checking the free space of
// the work folder's drive. False when the space is short (reported here) or a
// package cannot be extracted (reported by the caller).
bool PreparePackages(TcvMainDatabase& database);

}  // namespace cv
