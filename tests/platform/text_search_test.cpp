#include "platform/text_search.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <string>

namespace cv {
namespace {

TEST(FindTextNoCase, FindsTheFirstOccurrenceAtOrAfterStart) {
  EXPECT_EQ(FindTextNoCase("BC", "abcabc", 1), 2u);
  EXPECT_EQ(FindTextNoCase("BC", "abcabc", 2), 2u);
  EXPECT_EQ(FindTextNoCase("BC", "abcabc", 3), 5u);
  EXPECT_EQ(FindTextNoCase("bc", "ABCABC", 5), 5u);
  EXPECT_EQ(FindTextNoCase("a", "aXa", 2), 3u);
  EXPECT_EQ(FindTextNoCase("x", "abc", 1), 0u);
}

TEST(FindTextNoCase, StartIsOneWhenLeftOut) { EXPECT_EQ(FindTextNoCase("C", "abc"), 3u); }

TEST(FindTextNoCase, StartBelowOneCountsAsOne) {
  EXPECT_EQ(FindTextNoCase("BC", "abcabc", 0), 2u);
  EXPECT_EQ(FindTextNoCase("BC", "abcabc", -5), 2u);
  EXPECT_EQ(FindTextNoCase("a", "abc", std::numeric_limits<std::ptrdiff_t>::min()), 1u);
}

TEST(FindTextNoCase, StartBeyondTheLastPossiblePlaceFindsNothing) {
  // "bc" can begin at 5 at the latest in a text of six characters.
  EXPECT_EQ(FindTextNoCase("BC", "abcabc", 6), 0u);
  EXPECT_EQ(FindTextNoCase("BC", "abcabc", 7), 0u);
  EXPECT_EQ(FindTextNoCase("a", "a", 2), 0u);
  EXPECT_EQ(FindTextNoCase("a", "a", std::numeric_limits<std::ptrdiff_t>::max()), 0u);
}

TEST(FindTextNoCase, EmptyTextsFindNothing) {
  EXPECT_EQ(FindTextNoCase("", "abc", 1), 0u);
  EXPECT_EQ(FindTextNoCase("a", "", 1), 0u);
  EXPECT_EQ(FindTextNoCase("", "", 1), 0u);
  EXPECT_EQ(FindTextNoCase("abcd", "abc", 1), 0u);
}

TEST(FindTextNoCase, UsesTheFixedCaseMapForTheUpperHalf) {
  EXPECT_EQ(FindTextNoCase("\xE9", "caf\xC9"), 4u);  // e acute, both cases
  EXPECT_EQ(FindTextNoCase("CAF\xC9", "un caf\xE9"), 4u);
  EXPECT_EQ(FindTextNoCase("\xFF", "\xDF"), 1u);
  // The map folds the whole range 0xE0-0xFF, division sign onto times sign.
  EXPECT_EQ(FindTextNoCase("\xF7", "\xD7"), 1u);
  // Bytes outside a-z and 0xE0-0xFF are compared as they are.
  EXPECT_EQ(FindTextNoCase("\x9A", "\x8A"), 0u);
  EXPECT_EQ(FindTextNoCase("{", "["), 0u);
  EXPECT_EQ(FindTextNoCase("`", "@"), 0u);
  EXPECT_EQ(FindTextNoCase("\xC9", "\xE9\xC9"), 1u);
}

TEST(ReplaceAll, ReplacesEveryOccurrence) {
  EXPECT_EQ(ReplaceAll("abcabc", "bc", "X"), "aXaX");
  EXPECT_EQ(ReplaceAll("a-b-c", "-", ""), "abc");
  EXPECT_EQ(ReplaceAll("%a%", "%a%", "value"), "value");
  EXPECT_EQ(ReplaceAll("abc", "x", "y"), "abc");
  EXPECT_EQ(ReplaceAll("", "a", "b"), "");
}

TEST(ReplaceAll, NeverSearchesInsertedText) {
  EXPECT_EQ(ReplaceAll("aa", "a", "aa"), "aaaa");
  EXPECT_EQ(ReplaceAll("ab", "b", "bb"), "abb");
  EXPECT_EQ(ReplaceAll("xy", "x", "yx"), "yxy");
}

TEST(ReplaceAll, ScanContinuesAfterTheReplacedOccurrence) {
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("aaaa", "aa", "b"), "bb");
}

TEST(ReplaceAll, EmptyOldTextChangesNothing) {
  EXPECT_EQ(ReplaceAll("abc", "", "X"), "abc");
  EXPECT_EQ(ReplaceAll("", "", "X"), "");
}

TEST(ReplaceAll, ComparesExactBytes) {
  EXPECT_EQ(ReplaceAll("aAa", "a", "x"), "xAx");
  EXPECT_EQ(ReplaceAll("caf\xE9 CAF\xC9", "caf\xE9", "tea"), "tea CAF\xC9");
}

TEST(ReplaceAll, LongTextStaysLinear) {
  const std::string text(1 << 20, 'a');
  const std::string out = ReplaceAll(text, "a", "aa");
  EXPECT_EQ(out.size(), std::size_t{2} << 20);
  EXPECT_EQ(out.find_first_not_of('a'), std::string::npos);
}

TEST(ReplaceAllNoCase, IgnoresCaseByTheCaseMap) {
  EXPECT_EQ(ReplaceAllNoCase("aAa", "a", "x"), "xxx");
  EXPECT_EQ(ReplaceAllNoCase("Hello HELLO hello", "hello", "bye"), "bye bye bye");
  EXPECT_EQ(ReplaceAllNoCase("Caf\xE9 CAF\xC9", "caf\xC9", "tea"), "tea tea");
  EXPECT_EQ(ReplaceAllNoCase("[x]", "{X}", "y"), "[x]");
}

TEST(ReplaceAllNoCase, KeepsTheOriginalBytesBetweenOccurrences) {
  EXPECT_EQ(ReplaceAllNoCase("One-TWO-three", "-two-", "+"), "One+three");
  EXPECT_EQ(ReplaceAllNoCase("AbC", "x", "y"), "AbC");
}

TEST(ReplaceAllNoCase, NeverSearchesInsertedText) {
  EXPECT_EQ(ReplaceAllNoCase("a", "A", "aa"), "aa");
  EXPECT_EQ(ReplaceAllNoCase("xAx", "a", "aA"), "xaAx");
  EXPECT_EQ(ReplaceAllNoCase("AAA", "aa", "a"), "aA");
}

TEST(ReplaceAllNoCase, EmptyOrLongerOldTextChangesNothing) {
  EXPECT_EQ(ReplaceAllNoCase("abc", "", "X"), "abc");
  EXPECT_EQ(ReplaceAllNoCase("abc", "abcd", "X"), "abc");
  EXPECT_EQ(ReplaceAllNoCase("", "a", "X"), "");
}

TEST(PosOfNth, OccurrencesMayOverlap) {
  EXPECT_EQ(PosOfNth("aa", "aaa", 1), 1u);
  EXPECT_EQ(PosOfNth("aa", "aaa", 2), 2u);
  EXPECT_EQ(PosOfNth("aa", "aaa", 3), 0u);
  EXPECT_EQ(PosOfNth("aa", "aaaa", 3), 3u);
}

TEST(PosOfNth, CountsSeparateOccurrences) {
  EXPECT_EQ(PosOfNth("b", "abab", 1), 2u);
  EXPECT_EQ(PosOfNth("b", "abab", 2), 4u);
  EXPECT_EQ(PosOfNth("b", "abab", 3), 0u);
  EXPECT_EQ(PosOfNth("\\", "C:\\a\\b\\c", 2), 5u);
}

TEST(PosOfNth, ComparesExactBytes) {
  EXPECT_EQ(PosOfNth("A", "aA", 1), 2u);
  EXPECT_EQ(PosOfNth("A", "aA", 2), 0u);
}

TEST(PosOfNth, NothingForEmptyPatternOrCountBelowOne) {
  EXPECT_EQ(PosOfNth("", "abc", 1), 0u);
  EXPECT_EQ(PosOfNth("a", "", 1), 0u);
  EXPECT_EQ(PosOfNth("a", "abc", 0), 0u);
  EXPECT_EQ(PosOfNth("a", "abc", -1), 0u);
  EXPECT_EQ(PosOfNth("a", "aaa", std::numeric_limits<int>::max()), 0u);
}

TEST(RemoveChar, RemovesEveryOccurrence) {
  EXPECT_EQ(RemoveChar("a,b,,c,", ','), "abc");
  EXPECT_EQ(RemoveChar("abc", 'x'), "abc");
  EXPECT_EQ(RemoveChar("", 'x'), "");
  EXPECT_EQ(RemoveChar("xxx", 'x'), "");
  EXPECT_EQ(RemoveChar(std::string("a\0b", 3), '\0'), "ab");
  EXPECT_EQ(RemoveChar("\xE9\xC9", '\xC9'), "\xE9");  // exact, no case folding
}

TEST(RemoveBlanks, RemovesSpacesOnly) {
  EXPECT_EQ(RemoveBlanks(" a b  c "), "abc");
  EXPECT_EQ(RemoveBlanks("a\tb\r\n"), "a\tb\r\n");
  EXPECT_EQ(RemoveBlanks("   "), "");
  EXPECT_EQ(RemoveBlanks("01 02 FF"), "0102FF");
}

}  // namespace
}  // namespace cv
