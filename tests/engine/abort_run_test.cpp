#include "engine/abort_run.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/run_state.h"
#include "plugins/message_dispatch.h"

namespace cv {
namespace {

TEST(AbortRun, CancelsAndTellsEveryReceiver) {
  cv::Run() = RunState{};
  static std::string seen;
  seen.clear();
  MessageHandlers handlers;
  handlers.Scripts = [](std::int32_t, const std::string& name, TcvEventWhenHandle when,
                        bool processAll) {
    seen += name + (when == TcvEventWhenHandle::before_plugins ? "/before" : "/after") +
            (processAll ? "/all " : " ");
    return 1;  // would stop a normal dispatch
  };
  handlers.Plugins = [](std::int32_t, std::int32_t, const std::string& name, std::int32_t,
                        std::int32_t, bool) {
    seen += name + "/plugins ";
    return 1;
  };
  const MessageHandlers previous = SetMessageHandlers(handlers);
  AbortRun();
  SetMessageHandlers(previous);
  EXPECT_TRUE(cv::Run().Cancelled);
  EXPECT_EQ(seen,
            "EV_ABORTINSTALL/before/all EV_ABORTINSTALL/plugins EV_ABORTINSTALL/after/all ");
  cv::Run() = RunState{};
}

}  // namespace
}  // namespace cv
