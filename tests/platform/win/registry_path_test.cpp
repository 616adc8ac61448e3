#include "platform/win/registry_path.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "test_window.h"

namespace cv {
namespace {

using namespace std::string_literals;

// Direct registry access, without the code under test, to set up and check
// what is stored.
bool RawKeyExists(HKEY root, const std::string& subkey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool RawRead(HKEY root, const std::string& subkey, const std::string& name, DWORD& type,
             std::string& data) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  bool ok = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
  if (ok) {
    data.assign(size, '\0');
    ok = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                          &size) == ERROR_SUCCESS;
    data.resize(size);
  }
  RegCloseKey(key);
  return ok;
}

bool RawWrite(HKEY root, const std::string& subkey, const std::string& name, DWORD type,
              const std::string& data) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool ok =
      RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                     static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

bool RawCreateKey(HKEY root, const std::string& subkey) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

std::vector<std::string> RawSubkeys(HKEY root, const std::string& subkey) {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  char name[1025];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, length);
  }
  RegCloseKey(key);
  return names;
}

void RawDeleteTree(HKEY root, const std::string& subkey) {
  for (const std::string& name : RawSubkeys(root, subkey))
    RawDeleteTree(root, subkey + "\\" + name);
  RegDeleteKeyA(root, subkey.c_str());
}

// Each test works in its own key, HKCU\Software\CorvaneTest\<run>_<test>,
// removed before and after the test.
class RegistryPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox_ = "Software\\CorvaneTest\\" + test::RunUniqueName("Registry") + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
    base_ = "HKCU\\" + sandbox_;
    RawDeleteTree(HKEY_CURRENT_USER, sandbox_);
  }
  void TearDown() override {
    RawDeleteTree(HKEY_CURRENT_USER, sandbox_);
    // Only when no other test run still has a key there.
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\CorvaneTest");
  }

  std::string Stored(const std::string& subkey, const std::string& name, DWORD expectedType) {
    DWORD type = 0;
    std::string data;
    EXPECT_TRUE(RawRead(HKEY_CURRENT_USER, subkey, name, type, data)) << subkey << " " << name;
    EXPECT_EQ(type, expectedType) << subkey << " " << name;
    return data;
  }

  std::string sandbox_;
  std::string base_;
};

TEST_F(RegistryPathTest, StringIsStoredWithItsTerminatorAndReadWithout) {
  ASSERT_TRUE(RegWriteString(base_ + "\\Key", "Name", "hello"));
  EXPECT_EQ(Stored(sandbox_ + "\\Key", "Name", REG_SZ), "hello\0"s);
  EXPECT_EQ(RegReadString(base_ + "\\Key", "Name", "default"), "hello");
  EXPECT_EQ(RegValueType(base_ + "\\Key", "Name"), static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(RegValueSize(base_ + "\\Key", "Name"), 6u);
  EXPECT_TRUE(RegValueExists(base_ + "\\Key", "Name"));
}

TEST_F(RegistryPathTest, EmptyStringKeepsItsTerminator) {
  ASSERT_TRUE(RegWriteString(base_, "Empty", ""));
  EXPECT_EQ(Stored(sandbox_, "Empty", REG_SZ), "\0"s);
  EXPECT_EQ(RegReadString(base_, "Empty", "default"), "");
}

TEST_F(RegistryPathTest, EmptyValueNameIsTheDefaultValue) {
  ASSERT_TRUE(RegWriteString(base_, "", "key default"));
  EXPECT_EQ(Stored(sandbox_, "", REG_SZ), "key default\0"s);
  EXPECT_EQ(RegReadString(base_, "", "x"), "key default");
}

TEST_F(RegistryPathTest, ExpandStringIsStoredUnchangedAndReadExpanded) {
  const std::string variable = test::RunUniqueName("CorvaneRegistryTest");
  ASSERT_TRUE(SetEnvironmentVariableA(variable.c_str(), "C:\\Acme Tools"));
  const std::string text = "%" + variable + "%\\bin";
  ASSERT_TRUE(RegWriteExpandString(base_, "Path", text));
  EXPECT_EQ(Stored(sandbox_, "Path", REG_EXPAND_SZ), text + '\0');
  EXPECT_EQ(RegReadString(base_, "Path", "default"), "C:\\Acme Tools\\bin");
  SetEnvironmentVariableA(variable.c_str(), nullptr);
  // An unknown reference stays as written.
  EXPECT_EQ(RegReadString(base_, "Path", "default"), text);
}

TEST_F(RegistryPathTest, BinaryIsWrittenFromHexadecimalTextAndReadAsIt) {
  ASSERT_TRUE(RegWriteBinaryHex(base_, "Bytes", "01 0A ff"));
  EXPECT_EQ(Stored(sandbox_, "Bytes", REG_BINARY), "\x01\x0A\xFF"s);
  EXPECT_EQ(RegReadString(base_, "Bytes", "default"), "010AFF");
  EXPECT_EQ(RegValueSize(base_, "Bytes"), 3u);
}

TEST_F(RegistryPathTest, EmptyBinaryReadsAsEmptyText) {
  ASSERT_TRUE(RegWriteBinaryHex(base_, "None", ""));
  EXPECT_EQ(Stored(sandbox_, "None", REG_BINARY), "");
  EXPECT_EQ(RegReadString(base_, "None", "default"), "");
}

TEST_F(RegistryPathTest, DwordWithAllBitsSetReadsAsUnsignedDecimal) {
  ASSERT_TRUE(RegWriteDword(base_, "Max", 0xFFFFFFFFu));
  EXPECT_EQ(Stored(sandbox_, "Max", REG_DWORD), "\xFF\xFF\xFF\xFF"s);
  EXPECT_EQ(RegReadString(base_, "Max", "default"), "4294967295");
  EXPECT_EQ(RegReadDword(base_, "Max", 7), 0xFFFFFFFFu);
}

TEST_F(RegistryPathTest, DwordIsStoredLittleEndian) {
  ASSERT_TRUE(RegWriteDword(base_, "Number", 0x01020304u));
  EXPECT_EQ(Stored(sandbox_, "Number", REG_DWORD), "\x04\x03\x02\x01"s);
  EXPECT_EQ(RegReadString(base_, "Number", "default"), "16909060");
  EXPECT_EQ(RegReadDword(base_, "Number", 7), 0x01020304u);
  EXPECT_EQ(RegValueSize(base_, "Number"), 4u);
}

TEST_F(RegistryPathTest, MultiStringIsStoredAsItemsEndedByTwoNuls) {
  ASSERT_TRUE(RegWriteMultiString(base_, "Lines", "a\r\nb"));
  EXPECT_EQ(Stored(sandbox_, "Lines", REG_MULTI_SZ), "a\0b\0\0"s);
  EXPECT_EQ(RegReadString(base_, "Lines", "default"), "a\r\nb");
  ASSERT_TRUE(RegWriteMultiString(base_, "Lf", "one\ntwo\rthree\r\n"));
  EXPECT_EQ(Stored(sandbox_, "Lf", REG_MULTI_SZ), "one\0two\0three\0\0"s);
  EXPECT_EQ(RegReadString(base_, "Lf", "default"), "one\r\ntwo\r\nthree");
}

TEST_F(RegistryPathTest, TypedWritesConvertByTypeAndRoundTrip) {
  struct Case {
    DWORD type;
    std::string text;
    std::string stored;
    std::string read;
  };
  const Case cases[] = {
      {REG_SZ, "plain", "plain\0"s, "plain"},
      {REG_EXPAND_SZ, "no references", "no references\0"s, "no references"},
      {REG_BINARY, "00 7f 80", "\0\x7F\x80"s, "007F80"},
      {REG_DWORD, "$10", "\x10\0\0\0"s, "16"},
      {REG_DWORD, "-1", "\xFF\xFF\xFF\xFF"s, "4294967295"},
      {REG_DWORD, "not a number", "\0\0\0\0"s, "0"},
      {REG_MULTI_SZ, "x\r\n\r\ny", "x\0\0y\0\0"s, "x\r\n\r\ny"},
  };
  int index = 0;
  for (const Case& c : cases) {
    const std::string name = "Value" + std::to_string(index++);
    ASSERT_TRUE(RegWriteTyped(base_, name, c.type, c.text)) << name;
    EXPECT_EQ(Stored(sandbox_, name, c.type), c.stored) << name;
    EXPECT_EQ(RegValueType(base_, name), c.type) << name;
    EXPECT_EQ(RegReadString(base_, name, "default"), c.read) << name;
    // What is read, written again by its type, is stored the same.
    ASSERT_TRUE(RegWriteTyped(base_, name + "Again", c.type, c.read)) << name;
    if (c.type != REG_DWORD || c.text != "not a number") {
      EXPECT_EQ(Stored(sandbox_, name + "Again", c.type), c.stored) << name;
    }
  }
}

TEST_F(RegistryPathTest, TypedWriteOfAnotherTypeWritesNothing) {
  for (const DWORD type : {0ul, 5ul, 6ul, 8ul, 11ul, 100ul}) {
    EXPECT_FALSE(RegWriteTyped(base_, "Other", type, "1")) << type;
  }
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, sandbox_));
}

TEST_F(RegistryPathTest, MissingValuesAnswerDefaultsAndZeros) {
  for (const std::string& path : {base_ + "\\Missing", base_}) {
    EXPECT_EQ(RegReadString(path, "Nothing", "the default"), "the default") << path;
    EXPECT_EQ(RegReadString(path, "Nothing", ""), "") << path;
    EXPECT_EQ(RegReadDword(path, "Nothing", 12345), 12345u) << path;
    EXPECT_EQ(RegValueType(path, "Nothing"), 0u) << path;
    EXPECT_EQ(RegValueSize(path, "Nothing"), 0u) << path;
    EXPECT_FALSE(RegValueExists(path, "Nothing")) << path;
    ASSERT_TRUE(RegWriteString(base_, "Other", "x"));
  }
  EXPECT_FALSE(RegKeyExists(base_ + "\\Missing"));
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, sandbox_ + "\\Missing"));
}

TEST_F(RegistryPathTest, ValuesOfOtherTypesReadAsTheDefault) {
  ASSERT_TRUE(
      RawWrite(HKEY_CURRENT_USER, sandbox_, "Quad", 11, "\x01\x02\x03\x04\x05\x06\x07\x08"s));
  ASSERT_TRUE(
      RawWrite(HKEY_CURRENT_USER, sandbox_, "BigEndian", REG_DWORD_BIG_ENDIAN, "\0\0\0\x01"s));
  EXPECT_EQ(RegReadString(base_, "Quad", "default"), "default");
  EXPECT_EQ(RegReadString(base_, "BigEndian", "default"), "default");
  EXPECT_EQ(RegValueType(base_, "Quad"), 11u);
  EXPECT_EQ(RegValueSize(base_, "Quad"), 8u);
  // A number is the first four bytes of whatever is stored.
  EXPECT_EQ(RegReadDword(base_, "Quad", 0), 0x04030201u);
  EXPECT_EQ(RegReadDword(base_, "BigEndian", 0), 0x01000000u);
}

TEST_F(RegistryPathTest, ShortNumbersAreZeroFilledButNoDwordText) {
  ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, sandbox_, "Short", REG_DWORD, "\x34\x12"s));
  ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, sandbox_, "Nothing", REG_BINARY, ""s));
  EXPECT_EQ(RegReadDword(base_, "Short", 7), 0x1234u);
  EXPECT_EQ(RegReadString(base_, "Short", "default"), "default");
  EXPECT_EQ(RegReadDword(base_, "Nothing", 7), 7u);
}

TEST_F(RegistryPathTest, StringStoredWithoutTerminatorKeepsAllItsCharacters) {
  ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, sandbox_, "Bare", REG_SZ, "abc"));
  EXPECT_EQ(RegReadString(base_, "Bare", "default"), "abc");
}

TEST_F(RegistryPathTest, WritesCreateTheKeyAndItsMissingParents) {
  ASSERT_FALSE(RegKeyExists(base_));
  ASSERT_TRUE(RegWriteDword(base_ + "\\a\\b\\c", "Deep", 1));
  EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, sandbox_ + "\\a\\b\\c"));
  EXPECT_TRUE(RegKeyExists(base_ + "\\a\\b"));
  EXPECT_TRUE(RegKeyExists(base_ + "\\a\\b\\c\\"));
}

TEST_F(RegistryPathTest, ShortAndLongRootNamesAddressTheSameKey) {
  ASSERT_TRUE(RegWriteString("hkey_current_user\\" + sandbox_ + "\\", "Shared", "one"));
  EXPECT_EQ(RegReadString("HKCU\\" + sandbox_, "Shared", "default"), "one");
  EXPECT_EQ(RegReadString("HKEY_CURRENT_USER\\" + sandbox_, "Shared", "default"), "one");
  EXPECT_EQ(Stored(sandbox_, "Shared", REG_SZ), "one\0"s);
}

TEST_F(RegistryPathTest, PathWithoutRootIsUnderTheCurrentUser) {
  ASSERT_TRUE(RegWriteString(sandbox_ + "\\NoRoot", "Where", "current user"));
  EXPECT_EQ(Stored(sandbox_ + "\\NoRoot", "Where", REG_SZ), "current user\0"s);
  EXPECT_EQ(RegReadString(sandbox_ + "\\NoRoot", "Where", "default"), "current user");
  const ResolvedRegistryKey resolved = ResolveRegistryPath("SOFTWARE\\Acme");
  EXPECT_EQ(resolved.root, HKEY_CURRENT_USER);
  EXPECT_EQ(resolved.subkey, "SOFTWARE\\Acme");
}

TEST_F(RegistryPathTest, RootNameAloneIsTheRootKey) {
  const ResolvedRegistryKey resolved = ResolveRegistryPath("HKLM");
  EXPECT_EQ(resolved.root, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(resolved.subkey, "");
  EXPECT_TRUE(RegKeyExists("HKLM"));
  EXPECT_TRUE(RegKeyExists("HKCU\\"));
}

TEST_F(RegistryPathTest, DeletingAValue) {
  ASSERT_TRUE(RegWriteString(base_, "Gone", "x"));
  ASSERT_TRUE(RegWriteString(base_, "Stays", "y"));
  EXPECT_TRUE(RegDeleteValuePath(base_, "Gone"));
  EXPECT_FALSE(RegValueExists(base_, "Gone"));
  EXPECT_TRUE(RegValueExists(base_, "Stays"));
  EXPECT_FALSE(RegDeleteValuePath(base_, "Gone"));
  EXPECT_FALSE(RegDeleteValuePath(base_ + "\\Missing", "Gone"));
}

TEST_F(RegistryPathTest, NonRecursiveDeleteOfAKeyWithSubkeysFailsAndChangesNothing) {
  ASSERT_TRUE(RegWriteString(base_ + "\\Tree", "Top", "t"));
  ASSERT_TRUE(RegWriteString(base_ + "\\Tree\\Child", "Inner", "i"));
  EXPECT_FALSE(RegDeleteKeyPath(base_ + "\\Tree", false));
  EXPECT_EQ(Stored(sandbox_ + "\\Tree", "Top", REG_SZ), "t\0"s);
  EXPECT_EQ(Stored(sandbox_ + "\\Tree\\Child", "Inner", REG_SZ), "i\0"s);
}

TEST_F(RegistryPathTest, NonRecursiveDeleteRemovesAKeyWithoutSubkeys) {
  ASSERT_TRUE(RegWriteString(base_ + "\\Leaf", "Value", "v"));
  ASSERT_TRUE(RegWriteString(base_ + "\\Sibling", "Value", "s"));
  EXPECT_TRUE(RegDeleteKeyPath(base_ + "\\Leaf", false));
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, sandbox_ + "\\Leaf"));
  EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, sandbox_ + "\\Sibling"));
  EXPECT_FALSE(RegDeleteKeyPath(base_ + "\\Leaf", false));
}

TEST_F(RegistryPathTest, RecursiveDeleteRemovesTheWholeTreeAndNothingBeside) {
  ASSERT_TRUE(RegWriteString(base_ + "\\Tree", "Top", "t"));
  ASSERT_TRUE(RegWriteString(base_ + "\\Tree\\A", "x", "1"));
  ASSERT_TRUE(RegWriteString(base_ + "\\Tree\\A\\Deep\\Deeper", "x", "2"));
  ASSERT_TRUE(RegWriteString(base_ + "\\Tree\\B", "x", "3"));
  ASSERT_TRUE(RegWriteString(base_ + "\\TreeSibling", "x", "4"));
  EXPECT_TRUE(RegDeleteKeyPath(base_ + "\\Tree\\", true));
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, sandbox_ + "\\Tree"));
  EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, sandbox_ + "\\TreeSibling"));
  EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, sandbox_));
  EXPECT_FALSE(RegDeleteKeyPath(base_ + "\\Tree", true));
}

TEST_F(RegistryPathTest, RootsAreNeverDeleted) {
  const RegistryRootRedirect redirect(sandbox_);
  ASSERT_TRUE(RegWriteString("HKLM\\Software\\Acme", "v", "x"));
  ASSERT_TRUE(RegWriteString("Acme", "v", "x"));
  for (const std::string path : {"HKLM", "HKLM\\", "hkey_local_machine", "HKCU", "", "\\"}) {
    EXPECT_FALSE(RegDeleteKeyPath(path, true)) << path;
    EXPECT_FALSE(RegDeleteKeyPath(path, false)) << path;
  }
  EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, sandbox_ + "\\HKLM\\Software\\Acme"));
  EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, sandbox_ + "\\HKCU\\Acme"));
}

TEST_F(RegistryPathTest, EnumeratesSubkeysInTheRegistrysOrder) {
  ASSERT_TRUE(RawCreateKey(HKEY_CURRENT_USER, sandbox_ + "\\Parent\\Zulu"));
  ASSERT_TRUE(RawCreateKey(HKEY_CURRENT_USER, sandbox_ + "\\Parent\\alpha"));
  ASSERT_TRUE(RawCreateKey(HKEY_CURRENT_USER, sandbox_ + "\\Parent\\Mike\\Nested"));
  const std::string longName(100, 'L');
  ASSERT_TRUE(RawCreateKey(HKEY_CURRENT_USER, sandbox_ + "\\Parent\\" + longName));
  ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, sandbox_ + "\\Parent", "NotAKey", REG_SZ, "v"s));
  std::vector<std::string> list = {"stale"};
  ASSERT_TRUE(RegEnumSubkeys(base_ + "\\Parent", list));
  EXPECT_EQ(list, RawSubkeys(HKEY_CURRENT_USER, sandbox_ + "\\Parent"));
  std::vector<std::string> sorted = list;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<std::string>{longName, "Mike", "Zulu", "alpha"}));
}

TEST_F(RegistryPathTest, EnumeratingAMissingOrEmptyKeyGivesAnEmptyList) {
  std::vector<std::string> list = {"stale"};
  EXPECT_FALSE(RegEnumSubkeys(base_ + "\\Missing", list));
  EXPECT_TRUE(list.empty());
  ASSERT_TRUE(RawCreateKey(HKEY_CURRENT_USER, sandbox_ + "\\Empty"));
  list = {"stale"};
  EXPECT_TRUE(RegEnumSubkeys(base_ + "\\Empty", list));
  EXPECT_TRUE(list.empty());
}

TEST_F(RegistryPathTest, UniqueValueNameSkipsNamesInUse) {
  ASSERT_TRUE(RegWriteString(base_, "Item5", "x"));
  ASSERT_TRUE(RegWriteString(base_, "Item7", "x"));
  std::vector<std::uint32_t> draws = {5, 7, 9, 11};
  std::size_t next = 0;
  const auto random = [&] { return draws[next++]; };
  EXPECT_EQ(RegUniqueValueName(base_, "Item", random), "Item9");
  EXPECT_EQ(next, 3u);
  // Numbers stay below 2147483647.
  draws = {2147483647u + 5u, 2147483647u};
  next = 0;
  EXPECT_EQ(RegUniqueValueName(base_, "Item", random), "Item0");
  EXPECT_EQ(next, 2u);
}

TEST_F(RegistryPathTest, UniqueValueNameIsPrefixAndDecimalNumberNotInUse) {
  ASSERT_TRUE(RegWriteString(base_, "Other", "x"));
  for (int i = 0; i < 20; ++i) {
    const std::string name = RegUniqueValueName(base_, "Slot");
    ASSERT_GT(name.size(), 4u);
    EXPECT_EQ(name.substr(0, 4), "Slot");
    const std::string digits = name.substr(4);
    EXPECT_LE(digits.size(), 10u) << name;
    EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << name;
    EXPECT_LT(std::stoull(digits), 2147483647ull) << name;
    EXPECT_FALSE(RegValueExists(base_, name)) << name;
    ASSERT_TRUE(RegWriteString(base_, name, "taken"));
  }
}

TEST_F(RegistryPathTest, RedirectPutsEveryRootIntoTheSandbox) {
  const std::string machineKey = "Software\\" + test::RunUniqueName("CorvaneRedirect");
  {
    const RegistryRootRedirect redirect(sandbox_);
    EXPECT_TRUE(RegWriteString("HKLM\\" + machineKey, "Where", "machine"));
    EXPECT_TRUE(RegWriteString("HKEY_CLASSES_ROOT\\.acme", "", "classes"));
    EXPECT_TRUE(RegWriteString("HKU\\.DEFAULT\\Acme", "Where", "users"));
    EXPECT_TRUE(RegWriteString("HKCU\\Software\\Acme", "Where", "user"));
    EXPECT_TRUE(RegWriteString("NoRoot\\Acme", "Where", "no root"));
    EXPECT_EQ(RegReadString("HKEY_LOCAL_MACHINE\\" + machineKey, "Where", "default"), "machine");
    std::vector<std::string> list;
    ASSERT_TRUE(RegEnumSubkeys("HKLM", list));
    EXPECT_EQ(list, std::vector<std::string>{"Software"});
    const ResolvedRegistryKey resolved = ResolveRegistryPath("HKLM\\Software");
    EXPECT_EQ(resolved.root, HKEY_CURRENT_USER);
    EXPECT_EQ(resolved.subkey, sandbox_ + "\\HKLM\\Software");
  }
  EXPECT_EQ(Stored(sandbox_ + "\\HKLM\\" + machineKey, "Where", REG_SZ), "machine\0"s);
  EXPECT_EQ(Stored(sandbox_ + "\\HKCR\\.acme", "", REG_SZ), "classes\0"s);
  EXPECT_EQ(Stored(sandbox_ + "\\HKU\\.DEFAULT\\Acme", "Where", REG_SZ), "users\0"s);
  EXPECT_EQ(Stored(sandbox_ + "\\HKCU\\Software\\Acme", "Where", REG_SZ), "user\0"s);
  EXPECT_EQ(Stored(sandbox_ + "\\HKCU\\NoRoot\\Acme", "Where", REG_SZ), "no root\0"s);
  EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, machineKey));
  // Afterwards the roots are the real ones again.
  EXPECT_FALSE(RegKeyExists("HKLM\\" + machineKey));
  const ResolvedRegistryKey resolved = ResolveRegistryPath("HKLM\\Software");
  EXPECT_EQ(resolved.root, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(resolved.subkey, "Software");
}

TEST_F(RegistryPathTest, RedirectDeletesAndEnumeratesInTheSandbox) {
  const RegistryRootRedirect redirect(sandbox_);
  ASSERT_TRUE(RegWriteString("HKLM\\Software\\Acme\\Sub", "v", "x"));
  EXPECT_FALSE(RegDeleteKeyPath("HKLM\\Software\\Acme", false));
  EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, sandbox_ + "\\HKLM\\Software\\Acme\\Sub"));
  EXPECT_TRUE(RegDeleteKeyPath("HKLM\\Software\\Acme", true));
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, sandbox_ + "\\HKLM\\Software\\Acme"));
  EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, sandbox_ + "\\HKLM\\Software"));
}

TEST_F(RegistryPathTest, NestedRedirectsRestoreTheOuterOne) {
  const std::string inner = sandbox_ + "\\Inner";
  const RegistryRootRedirect outer(sandbox_);
  {
    const RegistryRootRedirect nested(inner);
    EXPECT_EQ(ResolveRegistryPath("HKU\\x").subkey, inner + "\\HKU\\x");
  }
  EXPECT_EQ(ResolveRegistryPath("HKU\\x").subkey, sandbox_ + "\\HKU\\x");
  EXPECT_EQ(ResolveRegistryPath("HKU").subkey, sandbox_ + "\\HKU");
  EXPECT_EQ(ResolveRegistryPath("HKU").root, HKEY_CURRENT_USER);
}

}  // namespace
}  // namespace cv
