#include "engine/startup_switches.h"

#include <gtest/gtest.h>

namespace cv {
namespace {

TEST(StartupSwitches, ResumeInUpperCaseWithQuotes) {
  const auto switches = ParseStartupSwitches({"setup.exe", "/RESUME:\"C:\\a b\""});
  ASSERT_TRUE(switches.ResumeFolder.has_value());
  EXPECT_EQ(*switches.ResumeFolder, "C:\\a b\\");
}

}  // namespace
}  // namespace cv
