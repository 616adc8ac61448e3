#include "platform/name_value.h"

#include <gtest/gtest.h>

namespace cv {
namespace {

TEST(NameOf, PartBeforeTheFirstEqualsSign) {
  EXPECT_EQ(NameOf("InstallPath=C:\\App"), "InstallPath");
  EXPECT_EQ(NameOf("a=b=c"), "a");
  EXPECT_EQ(NameOf("=x"), "");
  EXPECT_EQ(NameOf("x="), "x");
}

TEST(NameOf, WholeTextWithoutEqualsSign) {
  EXPECT_EQ(NameOf("abc"), "abc");
  EXPECT_EQ(NameOf(""), "");
}

TEST(ValueOf, PartAfterTheFirstEqualsSign) {
  EXPECT_EQ(ValueOf("InstallPath=C:\\App"), "C:\\App");
  EXPECT_EQ(ValueOf("a=b=c"), "b=c");
  EXPECT_EQ(ValueOf("=x"), "x");
  EXPECT_EQ(ValueOf("x="), "");
  EXPECT_EQ(ValueOf("a= b "), " b ");
}

TEST(ValueOf, EmptyWithoutEqualsSign) {
  EXPECT_EQ(ValueOf("abc"), "");
  EXPECT_EQ(ValueOf(""), "");
}

TEST(TextBefore, PartBeforeTheFirstGivenCharacter) {
  EXPECT_EQ(TextBefore("key:value:more", ':'), "key");
  EXPECT_EQ(TextBefore(":x", ':'), "");
  EXPECT_EQ(TextBefore("a=b", '='), NameOf("a=b"));
}

TEST(TextBefore, WholeTextWithoutTheCharacter) {
  EXPECT_EQ(TextBefore("none", ':'), "none");
  EXPECT_EQ(TextBefore("", ':'), "");
}

TEST(Dequote, QuotedContentWithoutItsQuotes) {
  EXPECT_EQ(Dequote("\"a b\"", '"'), "a b");
  EXPECT_EQ(Dequote("'a b'", '\''), "a b");
  EXPECT_EQ(Dequote("\"\"", '"'), "");
}

TEST(Dequote, DoubledQuotesBecomeSingle) {
  EXPECT_EQ(Dequote("\"say \"\"hi\"\"\"", '"'), "say \"hi\"");
  EXPECT_EQ(Dequote("'it''s'", '\''), "it's");
  EXPECT_EQ(Dequote("\"\"\"\"", '"'), "\"");
  EXPECT_EQ(Dequote("\"a\"\"\"", '"'), "a\"");
}

TEST(Dequote, TextAfterTheClosingQuoteIsDropped) {
  EXPECT_EQ(Dequote("\"a\" tail", '"'), "a");
  EXPECT_EQ(Dequote("\"a\"\"b\" c\"", '"'), "a\"b");
}

TEST(Dequote, UnclosedQuoteRunsToTheEnd) {
  EXPECT_EQ(Dequote("\"unclosed", '"'), "unclosed");
  EXPECT_EQ(Dequote("\"ab\"\"", '"'), "ab\"");
  EXPECT_EQ(Dequote("\"", '"'), "");
}

TEST(Dequote, OtherTextsAreUnchanged) {
  EXPECT_EQ(Dequote("abc", '"'), "abc");
  EXPECT_EQ(Dequote("a\"b\"", '"'), "a\"b\"");
  EXPECT_EQ(Dequote(" \"a\"", '"'), " \"a\"");
  EXPECT_EQ(Dequote("'a'", '"'), "'a'");
  EXPECT_EQ(Dequote("", '"'), "");
}

TEST(Dequote, DoubleQuoteWhenLeftOut) { EXPECT_EQ(Dequote("\"x\"\"y\""), "x\"y"); }

}  // namespace
}  // namespace cv
