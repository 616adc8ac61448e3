#pragma once
// The installation thread as others see it: while the copy step runs on its
// worker, scripts and plug-ins may suspend and resume that thread from any
// thread, the worker itself included. Suspensions count as the system counts
// them: each suspend needs one resume. Outside the copy step there is no
// installation thread to act on, and both do nothing.

#include <windows.h>

namespace cv {

// False when no installation thread runs or the system refused.
bool SuspendInstallThread();
bool ResumeInstallThread();

// Used by the installation run: publishes the worker while it runs (null
// when it has ended; the caller closes its handle only after that).
void SetInstallThread(HANDLE thread);

}  // namespace cv
