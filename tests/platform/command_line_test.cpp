#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace cv {
namespace {

TEST(NextParam, QuotedParameterKeepsItsBlankAndLosesItsQuotes) {
  const std::string line = "  \"a b\" c";
  std::string param;
  std::size_t cursor = NextParam(line, 0, param);
  EXPECT_EQ(param, "a b");
  EXPECT_EQ(cursor, 7u);  // just past the closing quote
  cursor = NextParam(line, cursor, param);
  EXPECT_EQ(param, "c");
  EXPECT_EQ(cursor, 9u);
  cursor = NextParam(line, cursor, param);
  EXPECT_EQ(param, "");
  EXPECT_EQ(cursor, 9u);
}

TEST(NextParam, ControlCharactersSeparateLikeBlanks) {
  EXPECT_EQ(SplitParams("a\tb\r\nc\x01"
                        "d"),
            (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(NextParam, BytesAboveAsciiBelongToTheParameter) {
  // Accented letters of the ANSI code page must not be taken for separators.
  EXPECT_EQ(SplitParams("\xE9t\xE9 \xFF"), (std::vector<std::string>{"\xE9t\xE9", "\xFF"}));
}

TEST(NextParam, QuotesInsideAParameterOnlyGroupBlanks) {
  EXPECT_EQ(GetParam("/var:\"App Name=My App\" x", 0), "/var:App Name=My App");
  EXPECT_EQ(GetParam("C:\\\"Program Files\"\\Corvane\\cv.exe", 0),
            "C:\\Program Files\\Corvane\\cv.exe");
  EXPECT_EQ(GetParam("a\"\"b", 0), "ab");
}

TEST(NextParam, EmptyQuotePairsBetweenParametersAreSkipped) {
  EXPECT_EQ(SplitParams("\"\" a \"\" b \"\""), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitParams("\"\"\"\"x"), (std::vector<std::string>{"x"}));
  EXPECT_EQ(CountParams("\"\" \"\""), 0);
}

TEST(NextParam, UnclosedQuoteRunsToTheEndOfTheLine) {
  EXPECT_EQ(SplitParams("a \"b  c"), (std::vector<std::string>{"a", "b  c"}));
}

TEST(NextParam, OverlongParameterIsCutAndTheNextOneStillFound) {
  const std::string longWord(300, 'x');
  EXPECT_EQ(SplitParams(longWord + " next"),
            (std::vector<std::string>{std::string(256, 'x'), "next"}));
  // A quoted parameter is cut the same way, blanks included.
  const std::string quoted = "\"" + std::string(150, 'a') + " " + std::string(150, 'b') + "\" z";
  EXPECT_EQ(SplitParams(quoted),
            (std::vector<std::string>{std::string(150, 'a') + " " + std::string(105, 'b'), "z"}));
}

TEST(CountParams, CountsWhatNextParamFinds) {
  EXPECT_EQ(CountParams(""), 0);
  EXPECT_EQ(CountParams(" \t "), 0);
  EXPECT_EQ(CountParams("setup.exe /s \"/var:A=b c\""), 3);
}

TEST(GetParam, CountsFromZeroAndIsEmptyPastTheEnd) {
  const std::string line = "setup.exe /s \"/var:A=b c\"";
  EXPECT_EQ(GetParam(line, 0), "setup.exe");
  EXPECT_EQ(GetParam(line, 1), "/s");
  EXPECT_EQ(GetParam(line, 2), "/var:A=b c");
  EXPECT_EQ(GetParam(line, 3), "");
  EXPECT_EQ(GetParam(line, 50), "");
  EXPECT_EQ(GetParam(line, -1), "");
  EXPECT_EQ(GetParam("", 0), "");
}

TEST(JoinParams, QuotesParamsWithSpacesFromTheFirstOneAsked) {
  EXPECT_EQ(JoinParams({"setup.exe"}, 1), "");
  EXPECT_EQ(JoinParams({"setup.exe", "/s", "/var:Dir=C:\\My App", "x"}, 1),
            "/s \"/var:Dir=C:\\My App\" x");
  EXPECT_EQ(JoinParams({"a b", "c"}, 0), "\"a b\" c");
  EXPECT_EQ(JoinParams({"a"}, 5), "");
}

TEST(SplitFirstParam, RestIsRejoinedWithSingleBlanksAndQuotesWhereNeeded) {
  std::string first;
  std::string rest;
  SplitFirstParam("\"C:\\My Setup\\setup.exe\"   /s\t\"a b\"  c", first, rest);
  EXPECT_EQ(first, "C:\\My Setup\\setup.exe");
  EXPECT_EQ(rest, "/s \"a b\" c");

  SplitFirstParam("setup.exe", first, rest);
  EXPECT_EQ(first, "setup.exe");
  EXPECT_EQ(rest, "");

  first = "stale";
  rest = "stale";
  SplitFirstParam("   ", first, rest);
  EXPECT_EQ(first, "");
  EXPECT_EQ(rest, "");
}

TEST(IsSwitch, NeedsSwitchCharacterAndSomethingAfterIt) {
  EXPECT_TRUE(IsSwitch("/s"));
  EXPECT_TRUE(IsSwitch("-s"));
  EXPECT_FALSE(IsSwitch("/"));
  EXPECT_FALSE(IsSwitch("-"));
  EXPECT_FALSE(IsSwitch(""));
  EXPECT_FALSE(IsSwitch("s/"));
  EXPECT_FALSE(IsSwitch("\\s"));
}

TEST(HasSwitch, WholeNameAfterSlashOrDashIgnoringCase) {
  EXPECT_TRUE(HasSwitch({"setup.exe", "x", "/S"}, "s"));
  EXPECT_TRUE(HasSwitch({"setup.exe", "-s"}, "S"));
  EXPECT_FALSE(HasSwitch({"setup.exe", "s"}, "s"));
  EXPECT_FALSE(HasSwitch({"setup.exe", "/silent"}, "s"));
  EXPECT_FALSE(HasSwitch({"setup.exe", "/s:1"}, "s"));
  EXPECT_FALSE(HasSwitch({"setup.exe", "/"}, ""));
  EXPECT_FALSE(HasSwitch({"setup.exe"}, "s"));
}

TEST(HasSwitch, TheProgramItselfIsNoArgument) { EXPECT_FALSE(HasSwitch({"/s"}, "s")); }

TEST(FindSwitch, FirstMatchingArgumentGivesItsNumber) {
  const ArgumentList args{"setup.exe", "plain", "/RESUME:C:\\a", "-resume:C:\\b"};
  int index = -1;
  ASSERT_TRUE(FindSwitch(args, "resume:*", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(FindSwitch(args, "plain", index));  // no switch character
  EXPECT_FALSE(FindSwitch(args, "exename:*", index));
}

TEST(FindSwitch, ArgumentWithoutSwitchCharacterNeverMatches) {
  int index = 0;
  EXPECT_FALSE(FindSwitch({"setup.exe", "resume:C:\\a"}, "resume:*", index));
  EXPECT_FALSE(FindSwitch({"/resume:C:\\a"}, "resume:*", index));
}

}  // namespace
}  // namespace cv
