#pragma once
// Logging off, shutting down and restarting Windows.

#include <windows.h>

// windows.h defines ExitWindows as a macro for ExitWindowsEx; the engine
// has its own function of that name.
#ifdef ExitWindows
#undef ExitWindows
#endif

namespace cv {

// EWX_ flags; on the NT family the shutdown privilege is enabled first for
// shut down, restart and power off. Answers whether Windows accepted.
bool ExitWindows(UINT flags);

// Restart (forced: applications are made to close).
bool Reboot(bool force);

}  // namespace cv
