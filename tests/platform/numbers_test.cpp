#include "platform/numbers.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace cv
