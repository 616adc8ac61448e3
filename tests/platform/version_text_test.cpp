#include "platform/version_text.h"

#include <gtest/gtest.h>

namespace cv {
namespace {

TEST(CompareVersions, PairsOfParts) {
  EXPECT_EQ(CompareVersions("1.2.3.4", "1.2.3"), 1);
  EXPECT_EQ(CompareVersions("1.10", "1.9"), 1);
  EXPECT_EQ(CompareVersions("1.2", "1.10"), -1);
  EXPECT_EQ(CompareVersions("2", "2.0.0.0"), 0);
  EXPECT_EQ(CompareVersions("2.0.0.0", "2"), 0);
  EXPECT_EQ(CompareVersions("", "0.0"), 0);
  EXPECT_EQ(CompareVersions("x.y", "0"), 0) << "non-numeric parts are 0";
  EXPECT_EQ(CompareVersions("1.0.0.0.9", "1.0.0.0"), 0) << "only four parts count";
  EXPECT_EQ(CompareVersions("1.65536", "2.0"), 0) << "the pairs are part1 * 65536 + part2";
  EXPECT_EQ(CompareVersions("1.2.3.4", "1.2.3.5"), -1);
  EXPECT_EQ(CompareVersions("40000.0", "30000.0"), 1) << "large parts compare as numbers";
}

}  // namespace
}  // namespace cv
