#pragma once
// Starting a program or document and waiting for it while the calling
// thread's windows stay responsive.

#include <windows.h>

#include <cstdint>
#include <string>

namespace cv {

// An existing ".exe", ".com", ".bat" or ".pif" file is started as a
// process (its name in double quotes, a space and `params`; `workDir`, when
// not empty, as its current folder); anything else, a missing file included,
// is opened by the shell (a ".lnk" shortcut starts its target with its
// arguments followed by `params`) with its default verb and `owner` as the window
// for any question the shell asks. `showCmd` (SW_...) is the program's
// window mode. Waits for the end in steps of 100 ms, handling the thread's
// queued messages after each, and answers the exit code; -1 when nothing was
// started; 0 when waiting stopped because StopWaitingForPrograms was set.
std::int32_t RunAndWait(HWND owner, const std::string& fileName, const std::string& params,
                        int showCmd, const std::string& workDir);

}  // namespace cv
