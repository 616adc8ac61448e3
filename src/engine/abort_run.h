#pragma once
// Ending a run on request: plug-ins, scripts, the installation steps and the
// package lookup all abort the same way.

namespace cv {

// Sets the run's Cancelled flag and tells every event script and plug-in
// with EV_ABORTINSTALL (all of them, whatever they answer).
void AbortRun();

}  // namespace cv
