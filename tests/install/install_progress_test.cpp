// Progress and the status the plug-ins are shown.

#include "install/install_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"

namespace cv {
namespace {

class ShowStatusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MessageHandlers handlers;
    handlers.Plugins = [this](std::int32_t, std::int32_t id, const std::string&, std::int32_t in,
                              std::int32_t, bool) {
      if (id == EV_INSTALLPROGRESS) {
        sent_.push_back(GetStr(in, 0) + "|" + GetStr(in, 1) + "|" + std::to_string(GetInt(in, 2)));
      }
      return 0;
    };
    previous_ = SetMessageHandlers(handlers);
  }
  void TearDown() override {
    SetMessageHandlers(previous_);
    Progress() = InstallProgress{};
  }

  std::vector<std::string> sent_;
  MessageHandlers previous_;
};

TEST_F(ShowStatusTest, UnchangedPercentTextAndDetailSendNothing) {
  StartProgress(999, 0);  // Max 1000
  ShowStatus("Copying", "a.dll");
  ShowStatus("Copying", "a.dll");
  Progress().Position = 4;  // 0.4 % is still 0
  ShowStatus("Copying", "a.dll");
  Progress().Position = 5;  // 0.5 % goes to the even 0
  ShowStatus("Copying", "a.dll");
  Progress().Position = 15;  // 1.5 % goes to the even 2
  ShowStatus("Copying", "a.dll");
  ShowStatus("Copying", "b.dll");
  ShowStatus("Skipping", "b.dll");
  EXPECT_EQ(sent_, (std::vector<std::string>{"Copying|a.dll|0", "Copying|a.dll|2",
                                             "Copying|b.dll|2", "Skipping|b.dll|2"}));
}

TEST(StartProgress, WithoutItemsTheMaximumIsTheBytesPlusOne) {
  StartProgress(12345, 0);
  EXPECT_EQ(Progress().ItemWeight, 0);
  EXPECT_EQ(Progress().Max, 12346);
  StartProgress(399, 40);  // weight 2 each
  EXPECT_EQ(Progress().Max, 400 + 80);
  EXPECT_EQ(Progress().Position, 0);
  Progress() = InstallProgress{};
}

}  // namespace
}  // namespace cv
