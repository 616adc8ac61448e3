#include "platform/xml_escape.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace cv {
namespace {

TEST(EscapeChars, AmpersandBecomesItsCode) {
  EXPECT_EQ(EscapeChars("a&b", ""), "a&#x26;b");
  EXPECT_EQ(EscapeChars("&&", ""), "&#x26;&#x26;");
  EXPECT_EQ(EscapeChars("&#x41;", ""), "&#x26;#x41;");
}

TEST(EscapeChars, ControlBytesBecomeTheirCodes) {
  EXPECT_EQ(EscapeChars(std::string_view("\0", 1), ""), "&#x00;");
  EXPECT_EQ(EscapeChars("\x01", ""), "&#x01;");
  EXPECT_EQ(EscapeChars("a\tb", ""), "a&#x09;b");
  EXPECT_EQ(EscapeChars("\r\n", ""), "&#x0D;&#x0A;");
  EXPECT_EQ(EscapeChars("\x1F", ""), "&#x1F;");
  EXPECT_EQ(EscapeChars(" ", ""), " ");  // 32 is no control byte
}

TEST(EscapeChars, Bytes127To191BecomeTheirCodesInUpperCase) {
  EXPECT_EQ(EscapeChars("\x7F", ""), "&#x7F;");
  EXPECT_EQ(EscapeChars("\x80", ""), "&#x80;");
  EXPECT_EQ(EscapeChars("\xA0\xAB", ""), "&#xA0;&#xAB;");
  EXPECT_EQ(EscapeChars("\xBF", ""), "&#xBF;");
}

TEST(EscapeChars, OtherBytesAreCopied) {
  EXPECT_EQ(EscapeChars("\xC0\xE9\xFF", ""), "\xC0\xE9\xFF");
  EXPECT_EQ(EscapeChars("<a href=\"x\">'~'</a>", ""), "<a href=\"x\">'~'</a>");
  EXPECT_EQ(EscapeChars("#x41;", ""), "#x41;");
  EXPECT_EQ(EscapeChars("", ""), "");
}

TEST(EscapeChars, BytesOfTheExtraSetBecomeTheirCodes) {
  EXPECT_EQ(EscapeChars("say \"hi\"", "\""), "say &#x22;hi&#x22;");
  EXPECT_EQ(EscapeChars("it's \"x\"", "'"), "it&#x27;s \"x\"");
  EXPECT_EQ(EscapeChars("abc", "b"), "a&#x62;c");
  EXPECT_EQ(EscapeChars("\xE9\xC9", "\xE9"), "&#xE9;\xC9");
  EXPECT_EQ(EscapeChars("&", "&"), "&#x26;");  // once, not twice
  EXPECT_EQ(EscapeChars("a b", std::string_view("\0 ", 2)), "a&#x20;b");
}

TEST(UnescapeChars, DecodesAnEscapedByte) {
  EXPECT_EQ(UnescapeChars("x&#x41;y"), "xAy");
  EXPECT_EQ(UnescapeChars("&#x26;"), "&");
  EXPECT_EQ(UnescapeChars("&#x41;&#x42;&#x43;"), "ABC");
  EXPECT_EQ(UnescapeChars("a&#xE9;z"), "a\xE9z");
}

TEST(UnescapeChars, DigitsOfEitherCase) {
  EXPECT_EQ(UnescapeChars("&#x4a;&#x4A;"), "JJ");
  EXPECT_EQ(UnescapeChars("a&#xbf;z"), "a\xBFz");
}

TEST(UnescapeChars, SixthByteIsNotChecked) {
  EXPECT_EQ(UnescapeChars("&#x41?"), "A");
  EXPECT_EQ(UnescapeChars("&#x41xy"), "Ay");
  EXPECT_EQ(UnescapeChars("&#x41;;"), "A;");
}

TEST(UnescapeChars, NeedsHashXAndThreeMoreBytes) {
  EXPECT_EQ(UnescapeChars("&#x41"), "&#x41");
  EXPECT_EQ(UnescapeChars("a&#x4"), "a&#x4");
  EXPECT_EQ(UnescapeChars("&amp;"), "&amp;");
  EXPECT_EQ(UnescapeChars("&#X41;"), "&#X41;");
  EXPECT_EQ(UnescapeChars("&x#41;"), "&x#41;");
  EXPECT_EQ(UnescapeChars("&#65;a"), "&#65;a");
  EXPECT_EQ(UnescapeChars("a&"), "a&");
  EXPECT_EQ(UnescapeChars("&&&&&&"), "&&&&&&");
}

TEST(UnescapeChars, PairThatIsNotHexadecimalGivesByteZero) {
  EXPECT_EQ(UnescapeChars("a&#xZZ;b"), std::string("a\0b", 3));
  EXPECT_EQ(UnescapeChars("a&#x4Z;b"), std::string("a\0b", 3));
  EXPECT_EQ(UnescapeChars("a&#x 4;b"), std::string("a\0b", 3));
  // At an end the zero byte is trimmed like any control byte.
  EXPECT_EQ(UnescapeChars("a&#xGG;"), "a");
}

TEST(UnescapeChars, ProducedByteIsNeverDecodedAgain) {
  // "&#x26;" gives "&", which would start "&#x41;" with what follows.
  EXPECT_EQ(UnescapeChars("&#x26;#x41;"), "&#x41;");
  EXPECT_EQ(UnescapeChars("&#x26;#x26;#x41;"), "&#x26;#x41;");
}

TEST(UnescapeChars, EarlierAmpersandReadsTheTextAsItStands) {
  // Scanning backwards, "&#x23;" becomes "#" first; the ampersand before it is
  // then followed by "#x41;" and is decoded itself.
  EXPECT_EQ(UnescapeChars("&&#x23;x41;"), "A");
  // Decoding at the end leaves too few bytes after the first ampersand.
  EXPECT_EQ(UnescapeChars("&#x4&#x41;"), "&#x4A");
}

TEST(UnescapeChars, TrimsBlanksAndControlBytesAtBothEnds) {
  EXPECT_EQ(UnescapeChars("  a b  "), "a b");
  EXPECT_EQ(UnescapeChars("\t\r\na\x01"), "a");
  EXPECT_EQ(UnescapeChars("&#x20;a&#x0D;&#x0A;"), "a");
  EXPECT_EQ(UnescapeChars("a&#x0A;b"), "a\nb");
  EXPECT_EQ(UnescapeChars("\x01 \x1F"), "");
  EXPECT_EQ(UnescapeChars(""), "");
}

TEST(UnescapeChars, BytesAbove127AreNotTrimmed) {
  EXPECT_EQ(UnescapeChars("\xA0z\xFF"), "\xA0z\xFF");
  EXPECT_EQ(UnescapeChars("\x80"), "\x80");
}

// Oracle for the round trip: `text` without leading and trailing bytes up to 32.
std::string TrimmedOfBlanksAndControls(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32) --last;
  return std::string(text.substr(first, last - first));
}

TEST(EscapeChars, OutputHoldsOnlyWellFormedEscapesAndSafeBytes) {
  std::mt19937 random(20240611u);
  for (int round = 0; round < 500; ++round) {
    std::string text;
    const std::size_t length = random() % 40;
    for (std::size_t i = 0; i < length; ++i) text += static_cast<char>(random() & 0xFF);
    const std::string escaped = EscapeChars(text, "\"");
    for (std::size_t i = 0; i < escaped.size(); ++i) {
      const auto b = static_cast<unsigned char>(escaped[i]);
      ASSERT_FALSE(b < 32 || (b >= 127 && b <= 191) || b == '"') << round << " at " << i;
      if (b == '&') {
        ASSERT_LE(i + 6, escaped.size()) << round;
        ASSERT_EQ(escaped.substr(i + 1, 2), "#x") << round;
        for (std::size_t d = i + 3; d < i + 5; ++d) {
          ASSERT_NE(std::string_view("0123456789ABCDEF").find(escaped[d]), std::string_view::npos)
              << round;
        }
        ASSERT_EQ(escaped[i + 5], ';') << round;
      }
    }
  }
}

TEST(UnescapeChars, UndoesEscapeCharsUpToTrimming) {
  // Bytes that matter to the two routines come up often: the escape syntax,
  // blanks and control bytes, both halves of the upper range.
  static constexpr std::string_view kInteresting = "&#x;0aF\" '<> \t\r\n\x01\x7F\x80\xBF\xC0\xFF";
  static constexpr std::string_view kExtraSets[] = {"",    "\"",  "'", "<>",
                                                    "#x;", "aF0", "&", "\xC0\xFF"};
  std::mt19937 random(0xC0FFEEu);
  for (int round = 0; round < 5000; ++round) {
    std::string text;
    const std::size_t length = random() % 48;
    for (std::size_t i = 0; i < length; ++i) {
      const std::uint32_t r = random();
      text += (r & 1) != 0 ? kInteresting[(r >> 1) % kInteresting.size()]
                           : static_cast<char>((r >> 8) & 0xFF);
    }
    std::string extra(kExtraSets[random() % std::size(kExtraSets)]);
    if (random() % 4 == 0) extra += static_cast<char>(random() & 0xFF);
    const std::string escaped = EscapeChars(text, extra);
    ASSERT_EQ(UnescapeChars(escaped), TrimmedOfBlanksAndControls(text))
        << "round " << round << ", escaped: " << escaped;
  }
}

}  // namespace
}  // namespace cv
