#include "engine/win/main_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "engine/run_state.h"
#include "engine/win/engine_operations.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"
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
    answer = SendMessageById(7, 3, 12, false, true, 13);
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

TEST_F(MainWindowTest, StrayOrForgedRequestsAreIgnoredAndNotFreed) {
  bool called = false;
  ops_.OnCrossThread = [&](const CrossThreadRequest&) {
    called = true;
    return 4711;
  };
  // A record nobody of this program waits for, and values that are no
  // record at all.
  auto foreign = std::make_unique<CrossThreadRequest>(CrossThreadRequest{7, 3, 12, 13, 1, 0});
  for (WPARAM value : {reinterpret_cast<WPARAM>(foreign.get()), WPARAM{0x1234}, WPARAM{0}}) {
    EXPECT_EQ(SendMessageA(window_.Handle(), kCrossThreadMessage, value, 0), 0) << value;
  }
  EXPECT_FALSE(called);
  EXPECT_EQ(foreign->MessageId, 3) << "the record was left to its owner";
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

TEST_F(MainWindowTest, ShutdownIsRefusedWhenTheStateCannotBeSaved) {
  ops_.State = InstallState::Other;
  ops_.SaveFails = true;
  EXPECT_EQ(SendMessageA(window_.Handle(), WM_QUERYENDSESSION, 0, 0), 0);
  EXPECT_FALSE(cv::Run().ResumePending);
  EXPECT_FALSE(cv::Run().SystemShuttingDown);
  EXPECT_FALSE(StopWaitingForPrograms());
}

TEST_F(MainWindowTest, OtherMessagesGetTheDefaultAnswer) {
  const std::string title = "changed";
  SendMessageA(window_.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
  char text[32] = {};
  GetWindowTextA(window_.Handle(), text, sizeof text);
  EXPECT_STREQ(text, "changed");
}

// A message sent by a worker thread of the engine (the installation) reaches
// the plug-ins and scripts on the window's thread, and the worker gets their
// answer.
TEST(MainWindowMessages, WorkerSendsAreDispatchedOnTheWindowsThread) {
  cv::Run() = RunState{};
  EngineOperations operations({"setup.exe"});
  MainWindow window;
  ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr), nullptr, operations));
  const DWORD mainThread = GetCurrentThreadId();
  static std::atomic<DWORD> handlerThread{0};
  static std::atomic<int> calls{0};
  handlerThread = 0;
  calls = 0;
  MessageHandlers handlers;
  handlers.Plugins = [](std::int32_t, std::int32_t, const std::string& name, std::int32_t in,
                        std::int32_t out, bool) {
    handlerThread = GetCurrentThreadId();
    ++calls;
    AddStr(out, name + " " + GetStr(in, 0));
    return 42;
  };
  const MessageHandlers previous = SetMessageHandlers(handlers);

  std::atomic<bool> done{false};
  std::int32_t answer = 0;
  const std::int32_t out = CreateBlock();
  std::thread worker([&] {
    answer = SendMessageByName("EV_BEFOREPROCESSITEM", NewParamsBlock({"setup.exe"}), out, true,
                               false);
    done = true;
  });
  for (int i = 0; i < 5000 && !done; ++i) PumpMessages();
  worker.join();
  EXPECT_EQ(answer, 42);
  EXPECT_EQ(handlerThread.load(), mainThread);
  EXPECT_EQ(GetStr(out, 0), "EV_BEFOREPROCESSITEM setup.exe");

  // Without the window nothing can carry a worker's message: it is not
  // dispatched on the wrong thread.
  window.Destroy();
  std::thread late([&] { answer = SendMessageByName("EV_START", 0, 0, false, false); });
  late.join();
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(calls.load(), 1);
  SetMessageHandlers(previous);
  DestroyBlock(out);
}

// The main flow's events carry their values in a block of their own, which is
// gone after the dispatch.
TEST(MainWindowMessages, EventsOfTheMainFlowCarryTheirValues) {
  EngineOperations operations({"setup.exe"});
  static std::string seen;
  static std::int32_t seenBlock = 0;
  seen.clear();
  MessageHandlers handlers;
  handlers.Plugins = [](std::int32_t sender, std::int32_t id, const std::string& name,
                        std::int32_t in, std::int32_t, bool processAll) {
    seenBlock = in;
    seen = name + ":" + std::to_string(id) + ":" + std::to_string(sender) + ":" +
           std::to_string(processAll) + ":" + GetStr(in, 0) + "," + std::to_string(GetKind(in, 0));
    return 1;
  };
  const MessageHandlers previous = SetMessageHandlers(handlers);
  EXPECT_EQ(operations.SendEvent(EngineEvent::LanguageChanged, {std::string("DEU")}), 1);
  EXPECT_EQ(seen, "EV_LANGUAGECHANGED:6:0:0:DEU,0");
  EXPECT_FALSE(BlockExists(seenBlock));
  EXPECT_EQ(operations.SendEvent(EngineEvent::ShowDialogs, {true}), 1);
  EXPECT_EQ(seen, "EV_SHOWDIALOGS:5:0:0:1,2");
  EXPECT_EQ(operations.SendEvent(EngineEvent::BeforeProcessItems, {std::int32_t{6}}), 1);
  EXPECT_EQ(seen, "EV_BEFOREPROCESSITEMS:9:0:0:6,1");
  SetMessageHandlers(previous);
}

}  // namespace
}  // namespace cv
