#include "platform/wildcards.h"

#include <gtest/gtest.h>

namespace cv {
namespace {

TEST(MatchesMask, IgnoreCaseDecidesForExtensions) {
  EXPECT_TRUE(MatchesMask("setup.exe", "*.EXE", true));
  EXPECT_FALSE(MatchesMask("setup.exe", "*.EXE", false));
}

}  // namespace
}  // namespace cv
