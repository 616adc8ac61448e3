// Sends from a worker thread delivered through a window of the dispatching
// thread: the handlers run on the window's thread and the worker gets their
// answer.

#include "plugins/win/window_delivery.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

#include "../messaging_test_support.h"
#include "platform/win/screen.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"

namespace cv {
namespace {

using test::ScopedDelivery;
using test::ScopedHandlers;

constexpr char kClassName[] = "CorvPluginsTestWindow";

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kCrossThreadMessage) return AnswerCrossThreadMessage(wParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

// A hidden window of the test's own, made on the test's (dispatching) thread.
class DeliveryWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    info.lpfnWndProc = TestWindowProc;
    info.hInstance = GetModuleHandleA(nullptr);
    info.lpszClassName = kClassName;
    RegisterClassExA(&info);  // already registered by an earlier test is fine
    window_ = CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    previous_ = InstallWindowDelivery(window_);
  }
  void TearDown() override {
    SetCrossThreadDelivery(std::move(previous_));
    if (window_) DestroyWindow(window_);
  }

  // Runs `work` on a worker while this thread keeps its messages flowing, as
  // the engine does while its installation thread runs.
  template <typename Work>
  void OnWorker(Work work) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
      work();
      done = true;
    });
    for (int i = 0; i < 10000 && !done; ++i) PumpMessages();
    worker.join();
  }

  HWND window_ = nullptr;
  CrossThreadDelivery previous_;
};

TEST_F(DeliveryWindowTest, WorkerSendRunsItsHandlersOnTheWindowsThread) {
  const DWORD windowThread = GetCurrentThreadId();
  DWORD scriptThread = 0;
  DWORD pluginThread = 0;
  MessageHandlers handlers;
  handlers.Scripts = [&](std::int32_t, const std::string&, TcvEventWhenHandle, bool) {
    scriptThread = GetCurrentThreadId();
    return 0;
  };
  handlers.Plugins = [&](std::int32_t sender, std::int32_t, const std::string& name,
                         std::int32_t in, std::int32_t out, bool) {
    pluginThread = GetCurrentThreadId();
    AddStr(out, name + " " + GetStr(in, 0) + " from " + std::to_string(sender));
    return 4711;
  };
  ScopedHandlers scoped(std::move(handlers));
  DWORD workerThread = 0;
  std::int32_t answer = 0;
  std::string answerText;
  std::int32_t in = 0;
  bool outSurvived = false;
  OnWorker([&] {
    workerThread = GetCurrentThreadId();
    const std::int32_t out = CreateBlock();
    in = NewParamsBlock({"C:\\Target\\file.txt"});
    answer = SendMessageById(2, EV_BEFOREPROCESSITEM, in, true, false, out);
    outSurvived = BlockExists(out);
    answerText = GetStr(out, 0);
    DestroyBlock(out);
  });
  EXPECT_EQ(answer, 4711);
  EXPECT_NE(workerThread, windowThread);
  EXPECT_EQ(scriptThread, windowThread);
  EXPECT_EQ(pluginThread, windowThread);
  EXPECT_TRUE(outSurvived);
  EXPECT_EQ(answerText, "EV_BEFOREPROCESSITEM C:\\Target\\file.txt from 2");
  EXPECT_FALSE(BlockExists(in));
}

TEST_F(DeliveryWindowTest, SendToPluginFromAWorkerRunsOnTheWindowsThread) {
  const DWORD windowThread = GetCurrentThreadId();
  DWORD pluginThread = 0;
  int plugin = 0;
  void* seen = nullptr;
  MessageHandlers handlers;
  handlers.Plugin = [&](void* p, std::int32_t, const std::string&, std::int32_t, std::int32_t) {
    pluginThread = GetCurrentThreadId();
    seen = p;
    return 3;
  };
  ScopedHandlers scoped(std::move(handlers));
  std::int32_t answer = 0;
  OnWorker([&] { answer = SendToPlugin(&plugin, EV_CALCFUNCTION, 0, false, 0); });
  EXPECT_EQ(answer, 3);
  EXPECT_EQ(pluginThread, windowThread);
  EXPECT_EQ(seen, &plugin);
}

TEST_F(DeliveryWindowTest, HandlerExceptionReachesTheWorker) {
  MessageHandlers handlers;
  handlers.Plugins = [](std::int32_t, std::int32_t, const std::string&, std::int32_t, std::int32_t,
                        bool) -> std::int32_t { throw std::runtime_error("plug-in failed"); };
  ScopedHandlers scoped(std::move(handlers));
  std::string caught;
  std::int32_t in = 0;
  OnWorker([&] {
    in = NewParamsBlock({"x"});
    try {
      SendMessageById(0, EV_START, in, true, false, 0);
    } catch (const std::runtime_error& error) {
      caught = error.what();
    }
  });
  EXPECT_EQ(caught, "plug-in failed");
  EXPECT_FALSE(BlockExists(in));
}

TEST_F(DeliveryWindowTest, DestroyedWindowTakesNothingAndTheWorkerGetsZero) {
  bool called = false;
  MessageHandlers handlers;
  handlers.Plugins = [&](std::int32_t, std::int32_t, const std::string&, std::int32_t, std::int32_t,
                         bool) {
    called = true;
    return 1;
  };
  ScopedHandlers scoped(std::move(handlers));
  DestroyWindow(window_);
  window_ = nullptr;
  std::int32_t answer = -1;
  std::int32_t in = 0;
  OnWorker([&] {
    in = NewParamsBlock({"x"});
    answer = SendMessageById(0, EV_START, in, true, false, 0);
  });
  EXPECT_EQ(answer, 0);
  EXPECT_FALSE(called);
  EXPECT_FALSE(BlockExists(in));
}

TEST_F(DeliveryWindowTest, InstallingNullRemovesTheDelivery) {
  bool called = false;
  MessageHandlers handlers;
  handlers.Plugins = [&](std::int32_t, std::int32_t, const std::string&, std::int32_t, std::int32_t,
                         bool) {
    called = true;
    return 1;
  };
  ScopedHandlers scoped(std::move(handlers));
  CrossThreadDelivery windowDelivery = InstallWindowDelivery(nullptr);
  EXPECT_TRUE(windowDelivery) << "the window's routine was installed";
  std::int32_t answer = -1;
  OnWorker([&] { answer = SendMessageById(0, EV_START, 0, false, false, 0); });
  EXPECT_EQ(answer, 0);
  EXPECT_FALSE(called);
}

TEST_F(DeliveryWindowTest, SendFromTheWindowsThreadRunsDirectly) {
  std::int32_t sent = 0;
  ScopedDelivery counting([&](CrossThreadRequest* request, std::int32_t& result) {
    ++sent;
    result = static_cast<std::int32_t>(
        SendMessageA(window_, kCrossThreadMessage, reinterpret_cast<WPARAM>(request), 0));
    return true;
  });
  MessageHandlers handlers;
  handlers.Plugins = [](std::int32_t, std::int32_t, const std::string&, std::int32_t, std::int32_t,
                        bool) { return 9; };
  ScopedHandlers scoped(std::move(handlers));
  EXPECT_EQ(SendMessageById(0, EV_START, 0, false, false, 0), 9);
  EXPECT_EQ(sent, 0);
  std::int32_t answer = 0;
  OnWorker([&] { answer = SendMessageById(0, EV_START, 0, false, false, 0); });
  EXPECT_EQ(answer, 9);
  EXPECT_EQ(sent, 1);
}

}  // namespace
}  // namespace cv
