#include "engine/win/main_window.h"

#include <gtest/gtest.h>

#include <thread>

#include "engine/run_state.h"
#include "platform/win/programs.h"
#include "platform/win/screen.h"
#include "recording_operations.h"

namespace cv {
namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cv::Run() = RunState{};
    StopWaitingForPrograms() = false;
    ASSERT_TRUE(window_.Create(GetModuleHandleA(nullptr), nullptr, ops_));
  }
  void TearDown() override {
    window_.Destroy();
    cv::Run() = RunState{};
    StopWaitingForPrograms() = false;
  }

  test::RecordingOperations ops_;
  MainWindow window_;
};

TEST_F(MainWindowTest, IsAHiddenTopLevelWindowOfItsOwnClass) {
  HWND handle = window_.Handle();
  char className[64] = {};
  GetClassNameA(handle, className, sizeof className);
  EXPECT_STREQ(className, "CorvMainWindow");
  EXPECT_FALSE(IsWindowVisible(handle));
  EXPECT_EQ(GetParent(handle), nullptr);
  EXPECT_EQ(GetWindowTextLengthA(handle), 0);
  WNDCLASSEXA info = {};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "CorvMainWindow", &info));
  EXPECT_EQ(info.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
}

TEST_F(MainWindowTest, RequestFromAnotherThreadIsDispatchedOnTheWindowsThread) {
  const DWORD mainThread = GetCurrentThreadId();
  DWORD dispatchThread = 0;
  CrossThreadRequest received = {};
  ops_.OnCrossThread = [&](const CrossThreadRequest& request) {
    dispatchThread = GetCurrentThreadId();
    received = request;
    return 4711;
  };
  LRESULT answer = 0;
  bool done = false;
  std::thread worker([&] {
    auto* request = new CrossThreadRequest{7, 3, 12, 13, 1, 0};
    answer =
        SendMessageA(window_.Handle(), kCrossThreadMessage, reinterpret_cast<WPARAM>(request), 0);
    done = true;
  });
  // The window's thread keeps its messages flowing, as the engine does while
  // a worker runs.
  for (int i = 0; i < 5000 && !done; ++i) PumpMessages();
  worker.join();
  EXPECT_EQ(answer, 4711);
  EXPECT_EQ(dispatchThread, mainThread);
  EXPECT_EQ(received.SenderId, 7);
  EXPECT_EQ(received.MessageId, 3);
  EXPECT_EQ(received.InBlock, 12);
  EXPECT_EQ(received.OutBlock, 13);
  EXPECT_EQ(received.ProcessAll, 1);
  EXPECT_EQ(received.FreeInBlock, 0);
}

TEST_F(MainWindowTest, ShutdownIsRefusedWhileNothingIsInstalling) {
  EXPECT_EQ(SendMessageA(window_.Handle(), WM_QUERYENDSESSION, 0, 0), 0);
  EXPECT_FALSE(ops_.Called("SaveStateForResume"));
  EXPECT_FALSE(cv::Run().SystemShuttingDown);
  EXPECT_FALSE(StopWaitingForPrograms());
}

TEST_F(MainWindowTest, ShutdownIsRefusedInAResumedRun) {
  cv::Run().ResumeMode = true;
  ops_.State = InstallState::Other;
  EXPECT_EQ(SendMessageA(window_.Handle(), WM_QUERYENDSESSION, 0, 0), 0);
  EXPECT_FALSE(ops_.Called("SaveStateForResume"));
}

TEST_F(MainWindowTest, ShutdownDuringAnInstallationSavesTheStateAndAgrees) {
  ops_.State = InstallState::Other;
  EXPECT_EQ(SendMessageA(window_.Handle(), WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_TRUE(ops_.Called("SaveStateForResume"));
  EXPECT_TRUE(cv::Run().ResumePending);
  EXPECT_TRUE(cv::Run().SystemShuttingDown);
  EXPECT_TRUE(StopWaitingForPrograms());
}

TEST_F(MainWindowTest, OtherMessagesGetTheDefaultAnswer) {
  const std::string title = "changed";
  SendMessageA(window_.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
  char text[32] = {};
  GetWindowTextA(window_.Handle(), text, sizeof text);
  EXPECT_STREQ(text, "changed");
}

}  // namespace
}  // namespace cv
