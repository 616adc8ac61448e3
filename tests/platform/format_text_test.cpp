#include "platform/format_text.h"

#include <gtest/gtest.h>

namespace cv {
namespace {

TEST(FormatText, FillsTextAndNumberPlaceholdersInOrder) {
  EXPECT_EQ(FormatText("%s=%s", {std::string("ENU"), std::string("English")}), "ENU=English");
  EXPECT_EQ(FormatText("%d files, %s", {42LL, std::string("done")}), "42 files, done");
  EXPECT_EQ(FormatText("exit %d", {-1LL}), "exit -1");
  EXPECT_EQ(FormatText("HKLM%s%s", {std::string("\\Software\\"), std::string("App")}),
            "HKLM\\Software\\App");
}

TEST(FormatText, DoublePercentGivesOnePercent) {
  EXPECT_EQ(FormatText("100%%", {}), "100%");
  // An escaped percent is no placeholder and takes no argument.
  EXPECT_EQ(FormatText("%%s %s", {std::string("a")}), "%s a");
}

TEST(FormatText, PlaceholderWithoutArgumentStays) {
  EXPECT_EQ(FormatText("Need %s and %s", {std::string("X")}), "Need X and %s");
  EXPECT_EQ(FormatText("%d%s", {}), "%d%s");
}

TEST(FormatText, UnknownLettersAndTrailingPercentAreCopied) {
  EXPECT_EQ(FormatText("50%", {}), "50%");
  EXPECT_EQ(FormatText("%x %s", {std::string("a")}), "%x a");
  EXPECT_EQ(FormatText("%.4d", {7LL}), "%.4d");
}

TEST(FormatText, ExtraArgumentsAreIgnored) {
  EXPECT_EQ(FormatText("only %s", {std::string("one"), std::string("two")}), "only one");
  EXPECT_EQ(FormatText("", {std::string("one")}), "");
}

}  // namespace
}  // namespace cv
