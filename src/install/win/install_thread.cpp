#include "install/win/install_thread.h"

#include <mutex>

namespace cv {

namespace {

std::mutex threadLock;
HANDLE installThread = nullptr;

// A handle of our own, so that the thread may be suspended without holding
// the lock: a worker that suspends itself must not leave it taken, or the
// resume could never get through.
HANDLE OwnHandle() {
  std::lock_guard lock(threadLock);
  HANDLE copy = nullptr;
  if (!installThread || !DuplicateHandle(GetCurrentProcess(), installThread, GetCurrentProcess(),
                                         &copy, THREAD_SUSPEND_RESUME, FALSE, 0)) {
    return nullptr;
  }
  return copy;
}

}  // namespace

void SetInstallThread(HANDLE thread) {
  std::lock_guard lock(threadLock);
  installThread = thread;
}

bool SuspendInstallThread() {
  HANDLE thread = OwnHandle();
  if (!thread) return false;
  const bool ok = SuspendThread(thread) != static_cast<DWORD>(-1);
  CloseHandle(thread);
  return ok;
}

bool ResumeInstallThread() {
  HANDLE thread = OwnHandle();
  if (!thread) return false;
  const bool ok = ResumeThread(thread) != static_cast<DWORD>(-1);
  CloseHandle(thread);
  return ok;
}

}  // namespace cv
