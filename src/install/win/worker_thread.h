#pragma once
// The installation's and the uninstallation's worker: the work runs on a
// thread of its own (with COM of its own) while the calling thread, the one
// that owns the windows, keeps them alive and dispatches the messages the
// worker sends it, until the worker has ended.

#include <functional>

namespace cv {

// Answers what `work` answered; false when no thread could be started, or
// when the work threw (nothing may leave a thread routine). With
// `installThread` the worker is published for SuspendInstallThread and
// ResumeInstallThread while it runs.
bool RunOnWorkerThread(const std::function<bool()>& work, bool installThread);

}  // namespace cv
