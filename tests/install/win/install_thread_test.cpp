// The installation thread is suspended and resumed with the system's
// counter, from another thread or from itself.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "install/win/install_thread.h"

namespace cv {
namespace {

std::atomic<bool> selfSuspend{false};
std::atomic<bool> finished{false};

DWORD WINAPI Worker(LPVOID) {
  if (selfSuspend.load()) SuspendInstallThread();
  finished.store(true);
  return 0;
}

// The system's suspend count of a thread, read by suspending it once more.
DWORD SuspendCount(HANDLE thread) {
  const DWORD previous = SuspendThread(thread);
  ResumeThread(thread);
  return previous;
}

TEST(InstallThread, WithoutAThreadNothingIsDone) {
  EXPECT_FALSE(SuspendInstallThread());
  EXPECT_FALSE(ResumeInstallThread());
}

TEST(InstallThread, SuspensionsCountAndEachNeedsAResume) {
  finished.store(false);
  selfSuspend.store(false);
  HANDLE thread = CreateThread(nullptr, 0, Worker, nullptr, CREATE_SUSPENDED, nullptr);
  ASSERT_NE(thread, nullptr);
  SetInstallThread(thread);
  ASSERT_EQ(SuspendCount(thread), 1u);  // created suspended
  EXPECT_TRUE(SuspendInstallThread());
  EXPECT_TRUE(SuspendInstallThread());
  EXPECT_EQ(SuspendCount(thread), 3u);
  EXPECT_TRUE(ResumeInstallThread());
  EXPECT_TRUE(ResumeInstallThread());
  EXPECT_EQ(SuspendCount(thread), 1u);
  EXPECT_FALSE(finished.load());
  EXPECT_TRUE(ResumeInstallThread());
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(finished.load());
  SetInstallThread(nullptr);
  CloseHandle(thread);
  EXPECT_FALSE(ResumeInstallThread());
}

TEST(InstallThread, TheThreadSuspendsItselfAndAnotherResumesIt) {
  finished.store(false);
  selfSuspend.store(true);
  HANDLE thread = CreateThread(nullptr, 0, Worker, nullptr, CREATE_SUSPENDED, nullptr);
  ASSERT_NE(thread, nullptr);
  SetInstallThread(thread);
  ResumeThread(thread);
  // Until the worker has suspended itself; it cannot end before that.
  while (SuspendCount(thread) == 0) {
    ASSERT_EQ(WaitForSingleObject(thread, 1), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the worker ended without suspending";
  }
  EXPECT_FALSE(finished.load());
  EXPECT_TRUE(ResumeInstallThread()) << "the suspended worker holds no lock";
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(finished.load());
  SetInstallThread(nullptr);
  CloseHandle(thread);
}

}  // namespace
}  // namespace cv
