#include "platform/wildcards.h"

#include <gtest/gtest.h>

namespace cv {
namespace {

TEST(HasWildcards, StarOrQuestionMarkAnywhere) {
  EXPECT_TRUE(HasWildcards("*.exe"));
  EXPECT_TRUE(HasWildcards("setup?.exe"));
  EXPECT_TRUE(HasWildcards("abc*"));
  EXPECT_FALSE(HasWildcards("setup.exe"));
  EXPECT_FALSE(HasWildcards(""));
}

TEST(FindWithJoker, PlainSegmentIsAnOrdinarySearch) {
  EXPECT_EQ(FindWithJoker("cd", "abcdcd"), 3u);
  EXPECT_EQ(FindWithJoker("abc", "abc"), 1u);
  EXPECT_EQ(FindWithJoker("x", "abc"), 0u);
  EXPECT_EQ(FindWithJoker("B", "abc"), 0u);  // case counts
}

TEST(FindWithJoker, QuestionMarkMatchesAnyOneCharacter) {
  EXPECT_EQ(FindWithJoker("c?", "abcd"), 3u);
  EXPECT_EQ(FindWithJoker("x?z", "axyzxqz"), 2u);
  EXPECT_EQ(FindWithJoker("b?d", "abcd"), 2u);
  EXPECT_EQ(FindWithJoker("??", "ab"), 1u);
  EXPECT_EQ(FindWithJoker("?b", "aab"), 2u);
  // The only place with "a" first would reach past the end of the text.
  EXPECT_EQ(FindWithJoker("a?", "ba"), 0u);
}

TEST(FindWithJoker, SegmentLongerThanTextIsNeverFound) {
  EXPECT_EQ(FindWithJoker("abcd", "abc"), 0u);
  EXPECT_EQ(FindWithJoker("????", "abc"), 0u);
  EXPECT_EQ(FindWithJoker("?", ""), 0u);
}

TEST(MatchesMask, IgnoreCaseDecidesForExtensions) {
  EXPECT_TRUE(MatchesMask("setup.exe", "*.EXE", true));
  EXPECT_FALSE(MatchesMask("setup.exe", "*.EXE", false));
  EXPECT_TRUE(MatchesMask("SETUP.EXE", "setup.*", true));
  EXPECT_FALSE(MatchesMask("SETUP.EXE", "setup.*", false));
}

TEST(MatchesMask, SingleWildcardsAgainstShortText) {
  EXPECT_TRUE(MatchesMask("abc", "a?c", false));
  EXPECT_TRUE(MatchesMask("abc", "?bc", false));
  EXPECT_TRUE(MatchesMask("abc", "a*", false));
  EXPECT_TRUE(MatchesMask("abc", "*c", false));
  EXPECT_TRUE(MatchesMask("abc", "a**c", false));
  EXPECT_TRUE(MatchesMask("abc", "a***c", false));
  EXPECT_FALSE(MatchesMask("abc", "ab", false));
  EXPECT_FALSE(MatchesMask("abc", "abcd", false));
  EXPECT_FALSE(MatchesMask("abc", "??", false));
  EXPECT_FALSE(MatchesMask("abc", "a?d", false));
  EXPECT_FALSE(MatchesMask("abc", "*x", false));
  EXPECT_FALSE(MatchesMask("abc", "*x*", false));
}

TEST(MatchesMask, LastSegmentIsComparedWithTheEndOfTheText) {
  // The tail "ab" is checked against the end even though the leading "a"
  // already consumed the first character.
  EXPECT_TRUE(MatchesMask("ab", "a*ab", false));
  EXPECT_TRUE(MatchesMask("setup.exe", "*.e?e", false));
  EXPECT_FALSE(MatchesMask("setup.exe", "*.e?x", false));
  EXPECT_TRUE(MatchesMask("abXc", "*b?c", false));
  EXPECT_TRUE(MatchesMask("abcde", "*b*d?", false));
  EXPECT_FALSE(MatchesMask("abcdx", "a*c*e", false));
}

TEST(MatchesMask, MiddleSegmentsAreSearchedOneAfterAnother) {
  EXPECT_TRUE(MatchesMask("xxabyyab", "xx*ab*ab", false));
  // The search for "Y" starts after the first "cd", not at the text cursor
  // before it.
  EXPECT_TRUE(MatchesMask("abXcdYcd", "ab*cd*Y*", false));
  EXPECT_TRUE(MatchesMask("abcabc", "*b?a*", false));
  EXPECT_TRUE(MatchesMask("a1b2c", "a*?2*", false));
  EXPECT_FALSE(MatchesMask("abYcdX", "ab*cd*Y*", false));
}

TEST(MatchesMask, StarAloneMatchesEverythingElseNeedsText) {
  EXPECT_TRUE(MatchesMask("abc", "*", false));
  EXPECT_TRUE(MatchesMask("", "*", false));
  EXPECT_TRUE(MatchesMask("", "**", false));
  EXPECT_TRUE(MatchesMask("", "", false));
  EXPECT_FALSE(MatchesMask("", "?", false));
  EXPECT_FALSE(MatchesMask("", "a*", false));
  EXPECT_FALSE(MatchesMask("abc", "", false));
}

TEST(MatchesMask, EqualTextsMatchEvenWhenTheyHoldWildcards) {
  EXPECT_TRUE(MatchesMask("a*c", "a*c", false));
  EXPECT_TRUE(MatchesMask("a**b", "a**b", false));
}

TEST(MatchesMask, MaskLeftAfterTheTextCountsOnlyWhenItEndsInStar) {
  EXPECT_TRUE(MatchesMask("abc", "abc*", false));
  EXPECT_FALSE(MatchesMask("abc", "abc?", false));
  // Left-over mask is judged by its last character alone; this is why the
  // start-up switches check for their colon themselves.
  EXPECT_TRUE(MatchesMask("resume", "resume:*", false));
  EXPECT_FALSE(MatchesMask("resume", "resume*:", false));
}

}  // namespace
}  // namespace cv
