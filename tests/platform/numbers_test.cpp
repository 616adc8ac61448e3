#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

namespace cv {
namespace {

TEST(IntToBase, DigitsRunFromZeroToNineThenLetters) {
  EXPECT_EQ(IntToBase(255, 0, 16), "FF");
  EXPECT_EQ(IntToBase(35, 1, 36), "Z");
  EXPECT_EQ(IntToBase(31, 1, 32), "V");
  EXPECT_EQ(IntToBase(32, 1, 32), "10");
  EXPECT_EQ(IntToBase(1023, 0, 32), "VV");
  EXPECT_EQ(IntToBase(5, 0, 2), "101");
  EXPECT_EQ(IntToBase(1234567890, 0, 10), "1234567890");
}

TEST(IntToBase, ZeroIsOneDigitBeforePadding) {
  EXPECT_EQ(IntToBase(0, 0, 32), "0");
  EXPECT_EQ(IntToBase(0, 1, 10), "0");
  EXPECT_EQ(IntToBase(0, 3, 32), "000");
}

TEST(IntToBase, PadsToWidthButNeverCutsDigits) {
  EXPECT_EQ(IntToBase(31, 5, 32), "0000V");
  EXPECT_EQ(IntToBase(32768, 3, 32), "1000");
  EXPECT_EQ(IntToBase(255, 4, 2), "11111111");
}

TEST(PadLeft, FillsUpToTheWidthOnly) {
  EXPECT_EQ(PadLeft('0', "7", 3), "007");
  EXPECT_EQ(PadLeft(' ', "", 2), "  ");
  EXPECT_EQ(PadLeft('0', "123", 3), "123");
  EXPECT_EQ(PadLeft('*', "abcd", 2), "abcd");
  EXPECT_EQ(PadLeft('0', "x", 0), "x");
  EXPECT_EQ(PadLeft('0', "x", -4), "x");
}

TEST(HexToInt, ReadsHexadecimalDigitsOfEitherCase) {
  EXPECT_EQ(HexToInt("1F"), 31);
  EXPECT_EQ(HexToInt("1f"), 31);
  EXPECT_EQ(HexToInt("ff"), 255);
  EXPECT_EQ(HexToInt("0"), 0);
  EXPECT_EQ(HexToInt("A"), 10);
  EXPECT_EQ(HexToInt("00000000000000001F"), 31);  // leading zeros do not count
}

TEST(HexToInt, AcceptsItsOwnDollarSign) {
  EXPECT_EQ(HexToInt("$1F"), 31);
  EXPECT_EQ(HexToInt("-$1F"), -31);
  EXPECT_EQ(HexToInt("+$1F"), 31);
}

TEST(HexToInt, NoNumberGivesZero) {
  EXPECT_EQ(HexToInt("zz"), 0);
  EXPECT_EQ(HexToInt(""), 0);
  EXPECT_EQ(HexToInt("$"), 0);
  EXPECT_EQ(HexToInt("-"), 0);
  EXPECT_EQ(HexToInt("1G"), 0);
  EXPECT_EQ(HexToInt("0x1F"), 0);
  EXPECT_EQ(HexToInt(" 1F"), 0);
  EXPECT_EQ(HexToInt("1F "), 0);
  EXPECT_EQ(HexToInt(std::string("1\0", 2)), 0);
}

TEST(HexToInt, SignOnlyBeforeTheDollarSign) {
  // Without a "$" of its own the text is read after one, and "$-1F" is no
  // number.
  EXPECT_EQ(HexToInt("-1F"), 0);
  EXPECT_EQ(HexToInt("$-1F"), 0);
  EXPECT_EQ(HexToInt("-$-1F"), 0);
}

TEST(HexToInt, DollarSignOnlyInFront) {
  EXPECT_EQ(HexToInt("x$1F"), 0);
  EXPECT_EQ(HexToInt("1$F"), 0);
  EXPECT_EQ(HexToInt("1F$"), 0);
  EXPECT_EQ(HexToInt("$$1F"), 0);
  EXPECT_EQ(HexToInt("$1F$"), 0);
}

TEST(HexToInt, ThirtyTwoBitPatterns) {
  EXPECT_EQ(HexToInt("7FFFFFFF"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(HexToInt("80000000"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(HexToInt("FFFFFFFF"), -1);
  EXPECT_EQ(HexToInt("$FFFFFFFE"), -2);
  EXPECT_EQ(HexToInt("-$80000000"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(HexToInt("-$FFFFFFFF"), 1);
}

TEST(HexToInt, MoreThanThirtyTwoBitsIsNoNumber) {
  EXPECT_EQ(HexToInt("100000000"), 0);
  EXPECT_EQ(HexToInt("$FFFFFFFFF"), 0);
  EXPECT_EQ(HexToInt(std::string(100000, 'F')), 0);
  EXPECT_EQ(HexToInt(std::string(100000, '0') + "1"), 1);
}

TEST(IntToHex, UpperCaseDigitsWithAtLeastTheWidth) {
  EXPECT_EQ(IntToHex(255, 2), "FF");
  EXPECT_EQ(IntToHex(255, 0), "FF");
  EXPECT_EQ(IntToHex(255, 1), "FF");
  EXPECT_EQ(IntToHex(10, 4), "000A");
  EXPECT_EQ(IntToHex(0, 0), "0");
  EXPECT_EQ(IntToHex(0, 2), "00");
  EXPECT_EQ(IntToHex(0xABCDEF01u, 2), "ABCDEF01");
  EXPECT_EQ(IntToHex(0xFFFFFFFFu, 8), "FFFFFFFF");
}

TEST(IntToHex, NegativeIntegerGivesItsTwosComplement) {
  const std::int32_t minusOne = -1;
  const std::int32_t minusTwo = -2;
  EXPECT_EQ(IntToHex(minusOne, 0), "FFFFFFFF");
  EXPECT_EQ(IntToHex(minusTwo, 2), "FFFFFFFE");
}

TEST(IntToHex, ReadsBackWithHexToInt) {
  for (const std::int32_t value : {0, 1, 31, 4096, 0x7FFFFFFF, -1, -31, -0x7FFFFFFF - 1}) {
    EXPECT_EQ(HexToInt(IntToHex(static_cast<std::uint32_t>(value), 8)), value) << value;
  }
}

TEST(StrToFloatDef, ReadsDecimalNumbersWithAPoint) {
  EXPECT_EQ(StrToFloatDef("1.5", -1), 1.5);
  EXPECT_EQ(StrToFloatDef("-0.25", 0), -0.25);
  EXPECT_EQ(StrToFloatDef("+2", 0), 2.0);
  EXPECT_EQ(StrToFloatDef("42", 0), 42.0);
  EXPECT_EQ(StrToFloatDef(".5", 0), 0.5);
  EXPECT_EQ(StrToFloatDef("5.", 0), 5.0);
  EXPECT_EQ(StrToFloatDef("00012.5000", 0), 12.5);
  EXPECT_EQ(StrToFloatDef("0.1", 0), 0.1);
  EXPECT_EQ(StrToFloatDef("0", -1), 0.0);
  EXPECT_EQ(StrToFloatDef("123456789012345678901234567890", 0), 123456789012345678901234567890.0);
}

TEST(StrToFloatDef, ReadsExponents) {
  EXPECT_EQ(StrToFloatDef("1e3", 0), 1000.0);
  EXPECT_EQ(StrToFloatDef("1E-2", 0), 0.01);
  EXPECT_EQ(StrToFloatDef("2.5e+1", 0), 25.0);
  EXPECT_EQ(StrToFloatDef("-.5E1", 0), -5.0);
}

TEST(StrToFloatDef, SpacesAroundTheNumberAreAllowed) {
  EXPECT_EQ(StrToFloatDef("  3.25  ", 0), 3.25);
  EXPECT_EQ(StrToFloatDef(" -1", 0), -1.0);
}

TEST(StrToFloatDef, AnythingElseGivesTheDefault) {
  for (const char* text :
       {"",    "   ",  ".",    "-",   "+",        "e5",    ".e1",   "1e",  "1e+", "1e-",
        "abc", "1.5x", "x1.5", "1,5", "1 000",    "1.2.3", "--1",   "+-1", "- 1", "\t1",
        "1\n", "inf",  "-inf", "nan", "infinity", "0x10",  "1e5.5", "1d5"}) {
    EXPECT_EQ(StrToFloatDef(text, -7.5), -7.5) << '"' << text << '"';
  }
  EXPECT_EQ(StrToFloatDef(std::string("1\0", 2), -7.5), -7.5);
}

TEST(StrToFloatDef, TooLargeGivesTheDefault) {
  EXPECT_EQ(StrToFloatDef("1e400", -7.5), -7.5);
  EXPECT_EQ(StrToFloatDef("-1e400", -7.5), -7.5);
  EXPECT_EQ(StrToFloatDef("1e99999999999999999999", -7.5), -7.5);
  EXPECT_EQ(StrToFloatDef("1" + std::string(400, '0'), -7.5), -7.5);
  EXPECT_EQ(StrToFloatDef("0.001e312", -7.5), -7.5);
}

TEST(StrToFloatDef, TooSmallGivesSignedZero) {
  EXPECT_EQ(StrToFloatDef("1e-400", -7.5), 0.0);
  EXPECT_EQ(StrToFloatDef("1e-99999999999999999999", -7.5), 0.0);
  EXPECT_EQ(StrToFloatDef("0." + std::string(500, '0') + "1", -7.5), 0.0);
  EXPECT_EQ(StrToFloatDef("1000e-330", -7.5), 0.0);
  const double negative = StrToFloatDef("-1e-400", -7.5);
  EXPECT_EQ(negative, 0.0);
  EXPECT_TRUE(std::signbit(negative));
}

TEST(StrToFloatDef, ManyDigitsAreReadWhole) {
  // 10^-501 moved up by 600 powers of ten is 10^99.
  EXPECT_EQ(StrToFloatDef("0." + std::string(500, '0') + "1e600", -7.5), 1e99);
  EXPECT_EQ(StrToFloatDef(std::string(1000, '0') + "2.5", -7.5), 2.5);
}

}  // namespace
}  // namespace cv

namespace cv {
namespace {

// One reader of integer texts serves the signed form, the unsigned 32-bit
// pattern and, through them, StrToIntDef and HexToInt.
TEST(TryStrToInt, SignedAndUnsignedReadingsOfTheSameSyntax) {
  struct Case {
    const char* text;
    std::optional<std::int32_t> signedValue;
    std::optional<std::uint32_t> pattern;
  };
  const Case cases[] = {
      {"0", 0, 0u},
      {"  -17", -17, 0xFFFFFFEFu},
      {"+2147483647", 2147483647, 2147483647u},
      {"2147483648", std::nullopt, 2147483648u},
      {"4294967295", std::nullopt, 4294967295u},
      {"4294967296", std::nullopt, std::nullopt},
      {"-2147483648", std::numeric_limits<std::int32_t>::min(), 0x80000000u},
      {"-2147483649", std::nullopt, std::nullopt},
      {"$FFFFFFFF", -1, 0xFFFFFFFFu},
      {"-$1f", -31, 0xFFFFFFE1u},
      {"$100000000", std::nullopt, std::nullopt},
      {"0x10", std::nullopt, std::nullopt},
      {"12 ", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},
      {"$", std::nullopt, std::nullopt},
      {"1F", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TryStrToInt(c.text), c.signedValue) << c.text;
    EXPECT_EQ(TryStrToUInt32(c.text), c.pattern) << c.text;
    EXPECT_EQ(StrToIntDef(c.text, 99), c.signedValue.value_or(99)) << c.text;
  }
}

}  // namespace
}  // namespace cv

namespace cv {
namespace {

TEST(ShortestFixedText, PlainDecimalWithTheFewestDigitsThatReadBack) {
  const struct {
    double value;
    std::string text;
  } cases[] = {
      {0.0, "0"},
      {-0.0, "-0"},
      {1.0, "1"},
      {100000.0, "100000"},
      {1e21, "1000000000000000000000"},
      {0.1, "0.1"},
      {-2.5, "-2.5"},
      {123.456, "123.456"},
      {1e-7, "0.0000001"},
      {1.0 / 3.0, "0.3333333333333333"},
      {0.1 + 0.2, "0.30000000000000004"},
      {9007199254740993.0, "9007199254740992"},
      {1.7976931348623157e308, "17976931348623157" + std::string(292, '0')},
      {5e-324, "0." + std::string(323, '0') + "5"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShortestFixedText(c.value), c.text) << c.text;
  }
}

TEST(ShortestFixedText, EveryTextReadsBackToItsValue) {
  std::uint64_t bits = 0x3FF0000000000001ull;
  for (int i = 0; i < 2000; ++i) {
    bits = bits * 6364136223846793005ull + 1442695040888963407ull;
    double value;
    const std::uint64_t finite = bits & 0x7FEFFFFFFFFFFFFFull;  // never infinity or NaN
    std::memcpy(&value, &finite, sizeof value);
    const std::string text = ShortestFixedText(value);
    EXPECT_EQ(StrToFloatDef(text, -1), value) << text;
  }
}

TEST(ReadCheckedDecimal, NearestDoubleOrNothingOutOfRange) {
  EXPECT_EQ(ReadCheckedDecimal("2.5e1"), 25.0);
  EXPECT_EQ(ReadCheckedDecimal(".5"), 0.5);
  EXPECT_EQ(ReadCheckedDecimal("4.9406564584124654e-324"), 5e-324);  // subnormal is in range
  EXPECT_EQ(ReadCheckedDecimal("0e99999"), 0.0);
  EXPECT_EQ(ReadCheckedDecimal("1e400"), std::nullopt);
  EXPECT_EQ(ReadCheckedDecimal("1e-400"), std::nullopt);
}

}  // namespace
}  // namespace cv
