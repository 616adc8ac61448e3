#pragma once
// State shared by the routines that start and wait for programs.

#include <atomic>

namespace cv {

// Set when Windows shuts down or the user logs off: waiting for a started
// program stops at once.
std::atomic<bool>& StopWaitingForPrograms();

}  // namespace cv
