#include "platform/delimited_words.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace cv {
namespace {

TEST(DelimiterSet, HoldsExactlyTheBytesItWasBuiltFrom) {
  const DelimiterSet set(",;");
  EXPECT_TRUE(set.Contains(','));
  EXPECT_TRUE(set.Contains(';'));
  EXPECT_FALSE(set.Contains('a'));
  EXPECT_FALSE(set.Contains(' '));
  EXPECT_FALSE(set.Contains('\0'));
}

TEST(DelimiterSet, EmptySetHoldsNoByte) {
  const DelimiterSet set;
  const DelimiterSet fromEmpty("");
  const DelimiterSet fromNull(static_cast<const char*>(nullptr));
  for (int b = 0; b < 256; ++b) {
    EXPECT_FALSE(set.Contains(static_cast<char>(b))) << b;
    EXPECT_FALSE(fromEmpty.Contains(static_cast<char>(b))) << b;
    EXPECT_FALSE(fromNull.Contains(static_cast<char>(b))) << b;
  }
}

TEST(DelimiterSet, EveryByteValueCanBeAMember) {
  for (int b = 0; b < 256; ++b) {
    DelimiterSet set;
    set.Add(static_cast<char>(b));
    for (int other = 0; other < 256; ++other) {
      ASSERT_EQ(set.Contains(static_cast<char>(other)), other == b) << b << " " << other;
    }
  }
  const DelimiterSet withNul(std::string_view("\0\xFF", 2));
  EXPECT_TRUE(withNul.Contains('\0'));
  EXPECT_TRUE(withNul.Contains('\xFF'));
  EXPECT_FALSE(withNul.Contains('\x7F'));
}

TEST(DelimiterSet, BuildsFromStrings) {
  const std::string delimiters = ".";
  EXPECT_EQ(CountDelimitedWords("1.2.3", delimiters), 3);
  EXPECT_EQ(CountDelimitedWords("1.2.3", std::string_view(delimiters)), 3);
}

TEST(CountDelimitedWords, EmptyTextHasNoWords) {
  EXPECT_EQ(CountDelimitedWords("", ","), 0);
  EXPECT_EQ(CountDelimitedWords(",,,", ","), 0);
}

TEST(CountDelimitedWords, RunsOfDelimitersSeparateOnce) {
  EXPECT_EQ(CountDelimitedWords("a", ","), 1);
  EXPECT_EQ(CountDelimitedWords(",a,,b,", ","), 2);
  EXPECT_EQ(CountDelimitedWords("a b,c", " ,"), 3);
  EXPECT_EQ(CountDelimitedWords("a , b ,, c", " ,"), 3);
  EXPECT_EQ(CountDelimitedWords("5.0.2195", "."), 3);
}

TEST(CountDelimitedWords, WithoutDelimitersTheWholeTextIsOneWord) {
  EXPECT_EQ(CountDelimitedWords("a,b c", ""), 1);
}

TEST(DelimitedWordStart, PositionOfTheFirstCharacter) {
  EXPECT_EQ(DelimitedWordStart(1, ",a,,b,", ","), 2u);
  EXPECT_EQ(DelimitedWordStart(2, ",a,,b,", ","), 5u);
  EXPECT_EQ(DelimitedWordStart(1, "abc", ","), 1u);
  EXPECT_EQ(DelimitedWordStart(2, "one;two;;three", ";"), 5u);
  EXPECT_EQ(DelimitedWordStart(3, "one;two;;three", ";"), 10u);
}

TEST(DelimitedWordStart, ZeroWhenThereIsNoSuchWord) {
  EXPECT_EQ(DelimitedWordStart(3, ",a,,b,", ","), 0u);
  EXPECT_EQ(DelimitedWordStart(0, ",a,,b,", ","), 0u);
  EXPECT_EQ(DelimitedWordStart(-1, ",a,,b,", ","), 0u);
  EXPECT_EQ(DelimitedWordStart(1, "", ","), 0u);
  EXPECT_EQ(DelimitedWordStart(1, ",,", ","), 0u);
  EXPECT_EQ(DelimitedWordStart(std::numeric_limits<int>::max(), "a,b", ","), 0u);
}

TEST(GetDelimitedWord, EmptyWordsDoNotCount) {
  EXPECT_EQ(GetDelimitedWord(2, ",a,,b,", ","), "b");
  EXPECT_EQ(GetDelimitedWord(1, ",a,,b,", ","), "a");
  EXPECT_EQ(GetDelimitedWord(3, ",a,,b,", ","), "");
}

TEST(GetDelimitedWord, WholeWordsWithAnyDelimiterOfTheSet) {
  EXPECT_EQ(GetDelimitedWord(1, "abc", ","), "abc");
  EXPECT_EQ(GetDelimitedWord(2, "one;two;;three", ";"), "two");
  EXPECT_EQ(GetDelimitedWord(3, "one;two;;three", ";"), "three");
  EXPECT_EQ(GetDelimitedWord(3, "a b,c", " ,"), "c");
  EXPECT_EQ(GetDelimitedWord(2, "5.0.2195", "."), "0");
}

TEST(GetDelimitedWord, BytesOfTheUpperHalfAsDelimiters) {
  EXPECT_EQ(GetDelimitedWord(2, "x\xA0y\xA0z", "\xA0"), "y");
  EXPECT_EQ(GetDelimitedWord(2, "\xE9\xFF\xC9", "\xFF"), "\xC9");
  EXPECT_EQ(GetDelimitedWord(2, std::string_view("a\0b", 3), std::string_view("\0", 1)), "b");
}

TEST(GetDelimitedWord, EmptyWhenThereIsNoSuchWord) {
  EXPECT_EQ(GetDelimitedWord(0, "a,b", ","), "");
  EXPECT_EQ(GetDelimitedWord(-3, "a,b", ","), "");
  EXPECT_EQ(GetDelimitedWord(1, "", ","), "");
}

TEST(IsWordInList, IgnoresCaseWithoutTheCaseSensitiveFlag) {
  EXPECT_TRUE(IsWordInList("B", "a,b", ",", false));
  EXPECT_TRUE(IsWordInList("xp", "95,98,Me,NT,2000,XP", ",", false));
  EXPECT_TRUE(IsWordInList("ME", "95,98,Me,NT,2000,XP", ",", false));
}

TEST(IsWordInList, CaseSensitiveFlagComparesExactly) {
  EXPECT_FALSE(IsWordInList("B", "a,b", ",", true));
  EXPECT_TRUE(IsWordInList("b", "a,b", ",", true));
  EXPECT_TRUE(IsWordInList("Me", "95,98,Me", ",", true));
}

TEST(IsWordInList, OnlyWholeWordsCount) {
  EXPECT_FALSE(IsWordInList("ab", "a,b,abc", ",", false));
  EXPECT_FALSE(IsWordInList("a,b", "a,b", ",", false));
  EXPECT_FALSE(IsWordInList("b", "a, b", ",", false));  // the word is " b"
  EXPECT_TRUE(IsWordInList("b", "a, b", ", ", false));
  EXPECT_TRUE(IsWordInList("NT", ",,NT,,", ",", true));
  EXPECT_FALSE(IsWordInList("x", "", ",", false));
}

TEST(IsWordInList, EmptyWordIsInNoList) {
  EXPECT_FALSE(IsWordInList("", "a,,b", ",", false));
  EXPECT_FALSE(IsWordInList("", "", ",", true));
  EXPECT_FALSE(IsWordInList("", ",", ",", true));
}

}  // namespace
}  // namespace cv
