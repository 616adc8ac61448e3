#include "install/win/worker_thread.h"

#include <windows.h>

#include <objbase.h>

#include "install/win/install_thread.h"

namespace cv {

namespace {

DWORD WINAPI WorkerThread(LPVOID parameter) {
  const auto& work = *static_cast<std::function<bool()>*>(parameter);
  const HRESULT com = CoInitialize(nullptr);
  bool ok = false;
  try {
    ok = work();
  } catch (...) {
    ok = false;
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return ok ? 1 : 0;
}

}  // namespace

bool RunOnWorkerThread(const std::function<bool()>& work, bool installThread) {
  // The thread's own copy, alive until the thread has ended below.
  std::function<bool()> routine = work;
  HANDLE thread = CreateThread(nullptr, 0, WorkerThread, &routine, 0, nullptr);
  if (!thread) return false;
  if (installThread) SetInstallThread(thread);
  DWORD code = STILL_ACTIVE;
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (!GetExitCodeThread(thread, &code)) {
      // The worker cannot be asked: wait for its end, then give up.
      WaitForSingleObject(thread, INFINITE);
      code = 0;
      break;
    }
    if (code != STILL_ACTIVE) break;
    MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT);
  }
  if (installThread) SetInstallThread(nullptr);
  CloseHandle(thread);
  return code == 1;
}

}  // namespace cv
