#include "platform/registry_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace cv {
namespace {

using namespace std::string_literals;

void ExpectSplit(const std::string& path, RegistryRoot root, const std::string& subkey) {
  const RegistryPathParts parts = SplitRegistryPath(path);
  EXPECT_EQ(parts.root, root) << path;
  EXPECT_EQ(parts.subkey, subkey) << path;
}

TEST(RegistryPathSplit, EveryShortAndLongRootName) {
  ExpectSplit("HKCR\\.txt", RegistryRoot::ClassesRoot, ".txt");
  ExpectSplit("HKCU\\Software\\Acme", RegistryRoot::CurrentUser, "Software\\Acme");
  ExpectSplit("HKLM\\SOFTWARE\\Acme", RegistryRoot::LocalMachine, "SOFTWARE\\Acme");
  ExpectSplit("HKU\\.DEFAULT", RegistryRoot::Users, ".DEFAULT");
  ExpectSplit("HKEY_CLASSES_ROOT\\.txt", RegistryRoot::ClassesRoot, ".txt");
  ExpectSplit("HKEY_CURRENT_USER\\Software", RegistryRoot::CurrentUser, "Software");
  ExpectSplit("HKEY_LOCAL_MACHINE\\Software", RegistryRoot::LocalMachine, "Software");
  ExpectSplit("HKEY_USERS\\.DEFAULT", RegistryRoot::Users, ".DEFAULT");
}

TEST(RegistryPathSplit, RootNamesIgnoreCase) {
  ExpectSplit("hkey_local_machine\\Software\\", RegistryRoot::LocalMachine, "Software");
  ExpectSplit("HKLM\\Software", RegistryRoot::LocalMachine, "Software");
  ExpectSplit("hKcR\\x", RegistryRoot::ClassesRoot, "x");
  ExpectSplit("hku", RegistryRoot::Users, "");
}

TEST(RegistryPathSplit, RootAloneIsTheRootItself) {
  ExpectSplit("HKLM", RegistryRoot::LocalMachine, "");
  ExpectSplit("HKLM\\", RegistryRoot::LocalMachine, "");
  ExpectSplit("HKEY_USERS", RegistryRoot::Users, "");
}

TEST(RegistryPathSplit, WithoutRootTheWholeTextIsASubkeyOfTheCurrentUser) {
  ExpectSplit("SOFTWARE\\Acme", RegistryRoot::CurrentUser, "SOFTWARE\\Acme");
  ExpectSplit("Acme", RegistryRoot::CurrentUser, "Acme");
  ExpectSplit("", RegistryRoot::CurrentUser, "");
  // Only whole first elements are root names.
  ExpectSplit("HKLMX\\Software", RegistryRoot::CurrentUser, "HKLMX\\Software");
  ExpectSplit("HKL\\Software", RegistryRoot::CurrentUser, "HKL\\Software");
  ExpectSplit("Software\\HKLM", RegistryRoot::CurrentUser, "Software\\HKLM");
}

TEST(RegistryPathSplit, OnlyOneTrailingBackslashIsRemoved) {
  ExpectSplit("HKCU\\Software\\Acme\\", RegistryRoot::CurrentUser, "Software\\Acme");
  ExpectSplit("HKCU\\Software\\Acme\\\\", RegistryRoot::CurrentUser, "Software\\Acme\\");
}

TEST(RegistryKeyNameSplit, SplitsAtTheLastBackslashOrColon) {
  RegistryKeyName key = SplitRegistryKeyName("HKLM\\Software\\Acme");
  EXPECT_EQ(key.parent, "HKLM\\Software\\");
  EXPECT_EQ(key.name, "Acme");
  key = SplitRegistryKeyName("HKLM\\Software\\Acme\\");
  EXPECT_EQ(key.parent, "HKLM\\Software\\");
  EXPECT_EQ(key.name, "Acme");
  key = SplitRegistryKeyName("HKCU\\Soft:ware");
  EXPECT_EQ(key.parent, "HKCU\\Soft:");
  EXPECT_EQ(key.name, "ware");
  key = SplitRegistryKeyName("Acme");
  EXPECT_EQ(key.parent, "");
  EXPECT_EQ(key.name, "Acme");
}

TEST(RegistryStringBytes, DropsOneTerminatingNul) {
  EXPECT_EQ(RegistryStringFromBytes("abc\0"s), "abc");
  EXPECT_EQ(RegistryStringFromBytes("abc"), "abc");
  EXPECT_EQ(RegistryStringFromBytes("\0"s), "");
  EXPECT_EQ(RegistryStringFromBytes(""), "");
  EXPECT_EQ(RegistryStringFromBytes("a\0\0"s), "a\0"s);
}

TEST(RegistryBinaryText, TwoUpperCaseDigitsPerByte) {
  EXPECT_EQ(RegistryBinaryToText("\x01\x0A\xFF"s), "010AFF");
  EXPECT_EQ(RegistryBinaryToText("\0\x7F\x80"s), "007F80");
  EXPECT_EQ(RegistryBinaryToText(""), "");
}

TEST(RegistryBinaryText, SpacesAreRemovedBeforePairing) {
  EXPECT_EQ(RegistryBinaryFromText("01 0A ff"), "\x01\x0A\xFF"s);
  EXPECT_EQ(RegistryBinaryFromText(" 0 1 0 a"), "\x01\x0A"s);
  EXPECT_EQ(RegistryBinaryFromText(""), "");
  EXPECT_EQ(RegistryBinaryFromText("   "), "");
}

TEST(RegistryBinaryText, PairsThatAreNotHexadecimalGiveZero) {
  EXPECT_EQ(RegistryBinaryFromText("01zz02"), "\x01\0\x02"s);
  EXPECT_EQ(RegistryBinaryFromText("1g"), "\0"s);
  EXPECT_EQ(RegistryBinaryFromText("g1"), "\0"s);
}

TEST(RegistryBinaryText, AnOddLastCharacterIsIgnored) {
  EXPECT_EQ(RegistryBinaryFromText("ABC"), "\xAB"s);
  EXPECT_EQ(RegistryBinaryFromText("A"), "");
}

TEST(RegistryBinaryText, EveryByteRoundTrips) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  const std::string text = RegistryBinaryToText(bytes);
  ASSERT_EQ(text.size(), 512u);
  EXPECT_EQ(text.substr(0, 6), "000102");
  EXPECT_EQ(text.substr(506), "FDFEFF");
  EXPECT_EQ(RegistryBinaryFromText(text), bytes);
}

TEST(RegistryDwordText, UnsignedDecimal) {
  EXPECT_EQ(RegistryDwordToText(0), "0");
  EXPECT_EQ(RegistryDwordToText(42), "42");
  EXPECT_EQ(RegistryDwordToText(0xFFFFFFFFu), "4294967295");
  EXPECT_EQ(RegistryDwordToText(0x80000000u), "2147483648");
}

TEST(RegistryDwordText, ReadsDecimalAndHexadecimalIntegers) {
  EXPECT_EQ(RegistryDwordFromText("0"), 0u);
  EXPECT_EQ(RegistryDwordFromText("123"), 123u);
  EXPECT_EQ(RegistryDwordFromText("+7"), 7u);
  EXPECT_EQ(RegistryDwordFromText("  12"), 12u);
  EXPECT_EQ(RegistryDwordFromText("$1F"), 31u);
  EXPECT_EQ(RegistryDwordFromText("$ff"), 255u);
  EXPECT_EQ(RegistryDwordFromText("0x10"), 16u);
  EXPECT_EQ(RegistryDwordFromText("0X10"), 16u);
  EXPECT_EQ(RegistryDwordFromText("-$1"), 0xFFFFFFFFu);
  EXPECT_EQ(RegistryDwordFromText("4294967295"), 0xFFFFFFFFu);
  EXPECT_EQ(RegistryDwordFromText("$FFFFFFFF"), 0xFFFFFFFFu);
}

TEST(RegistryDwordText, NegativeNumbersGiveTheirTwosComplement) {
  EXPECT_EQ(RegistryDwordFromText("-1"), 0xFFFFFFFFu);
  EXPECT_EQ(RegistryDwordFromText("-2147483648"), 0x80000000u);
  EXPECT_EQ(RegistryDwordFromText("-0"), 0u);
}

TEST(RegistryDwordText, InvalidTextGivesZero) {
  EXPECT_EQ(RegistryDwordFromText(""), 0u);
  EXPECT_EQ(RegistryDwordFromText("   "), 0u);
  EXPECT_EQ(RegistryDwordFromText("-"), 0u);
  EXPECT_EQ(RegistryDwordFromText("$"), 0u);
  EXPECT_EQ(RegistryDwordFromText("0x"), 0u);
  EXPECT_EQ(RegistryDwordFromText("12a"), 0u);
  EXPECT_EQ(RegistryDwordFromText("1F"), 0u);
  EXPECT_EQ(RegistryDwordFromText("12 "), 0u);
  EXPECT_EQ(RegistryDwordFromText("1.5"), 0u);
  EXPECT_EQ(RegistryDwordFromText("4294967296"), 0u);
  EXPECT_EQ(RegistryDwordFromText("$100000000"), 0u);
  EXPECT_EQ(RegistryDwordFromText("-2147483649"), 0u);
  EXPECT_EQ(RegistryDwordFromText("99999999999999999999999"), 0u);
}

TEST(RegistryDwordText, EveryTextRoundTrips) {
  for (const std::uint32_t value : {0u, 1u, 255u, 65536u, 2147483647u, 2147483648u, 0xFFFFFFFFu}) {
    EXPECT_EQ(RegistryDwordFromText(RegistryDwordToText(value)), value);
  }
}

TEST(RegistryMultiStringText, ReadJoinsItemsWithCrLf) {
  EXPECT_EQ(RegistryMultiStringToText("a\0b\0\0"s), "a\r\nb");
  EXPECT_EQ(RegistryMultiStringToText("one\0\0"s), "one");
  EXPECT_EQ(RegistryMultiStringToText("a\0\0b\0\0"s), "a\r\n\r\nb");
}

TEST(RegistryMultiStringText, ReadDropsTheLastTwoCharactersOrTheOnlyOne) {
  EXPECT_EQ(RegistryMultiStringToText("\0\0"s), "");
  EXPECT_EQ(RegistryMultiStringToText("\0"s), "");
  EXPECT_EQ(RegistryMultiStringToText(""), "");
  // Stored with one terminator only: the last character of the last item
  // goes with it, as the read takes the size at its word.
  EXPECT_EQ(RegistryMultiStringToText("ab\0"s), "a");
}

TEST(RegistryMultiStringText, WriteStoresItemsSeparatedByNulAndEndedByTwo) {
  EXPECT_EQ(RegistryMultiStringFromText("a\r\nb"), "a\0b\0\0"s);
  EXPECT_EQ(RegistryMultiStringFromText("a\nb"), "a\0b\0\0"s);
  EXPECT_EQ(RegistryMultiStringFromText("a\rb"), "a\0b\0\0"s);
  EXPECT_EQ(RegistryMultiStringFromText("one"), "one\0\0"s);
  EXPECT_EQ(RegistryMultiStringFromText(""), "\0\0"s);
}

TEST(RegistryMultiStringText, WriteKeepsEmptyLinesButNoFinalBreak) {
  EXPECT_EQ(RegistryMultiStringFromText("a\r\nb\r\n"), "a\0b\0\0"s);
  EXPECT_EQ(RegistryMultiStringFromText("a\r\n\r\nb"), "a\0\0b\0\0"s);
  EXPECT_EQ(RegistryMultiStringFromText("a\n\nb"), "a\0\0b\0\0"s);
  EXPECT_EQ(RegistryMultiStringFromText("a\n\rb"), "a\0\0b\0\0"s);
  EXPECT_EQ(RegistryMultiStringFromText("\r\na"), "\0a\0\0"s);
}

TEST(RegistryMultiStringText, LinesRoundTrip) {
  for (const std::string text : {"a\r\nb", "one", "x\r\n\r\ny\r\nz", "", "\r\nlead"}) {
    EXPECT_EQ(RegistryMultiStringToText(RegistryMultiStringFromText(text)), text);
  }
}

TEST(RegistryValueText, WellFormedValuesOfEveryTypeComeBackByteForByte) {
  const struct {
    std::uint32_t type;
    std::string bytes;
    std::string text;
  } cases[] = {
      {1, "C:\\Acme\0"s, "C:\\Acme"},
      {2, "%SystemRoot%\\bin\0"s, "%SystemRoot%\\bin"},  // not expanded
      {3, "\x00\xFF\x10"s, "00FF10"},
      {3, ""s, ""},
      {4, "\x2A\x01\x00\x80"s, "2147483946"},
      {7, "one\0two\0\0"s, "one\r\ntwo"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RegistryValueText(c.type, c.bytes), c.text) << c.type;
    EXPECT_EQ(RegistryValueBytes(c.type, c.text), c.bytes) << c.type;
  }
}

TEST(RegistryValueText, ValuesTheTextualFormsCannotCarry) {
  EXPECT_EQ(RegistryValueText(11, "\1\2\3\4\5\6\7\x08"s), std::nullopt);  // a 64-bit number
  EXPECT_EQ(RegistryValueText(0, ""s), std::nullopt);
  EXPECT_EQ(RegistryValueText(4, "\1\2"s), std::nullopt);
  EXPECT_EQ(RegistryValueBytes(11, "1"), std::nullopt);
  // Forms whose text gives other bytes back: the caller keeps the bytes.
  EXPECT_NE(RegistryValueBytes(1, *RegistryValueText(1, "no terminator"s)), "no terminator"s);
  EXPECT_NE(RegistryValueBytes(7, *RegistryValueText(7, "a\0"s)), "a\0"s);
}

}  // namespace
}  // namespace cv
