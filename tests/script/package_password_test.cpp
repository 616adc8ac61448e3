// Password hashes, the package database key and the password check.

#include "script/package_password.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace cv {
namespace {

TEST(PackagePassword, PasswordHashIsUpperCaseHexInDigestOrder) {
  EXPECT_EQ(PasswordHash("abc"),
            "976CD6254C337969E5913B158392A2921AF16FCA51F5601D486E0A9DE01156E7");
  EXPECT_EQ(PasswordHash(""), "BE417BB4DD5CFB76C7126F4F8EEB1553A449039307B1A3CD451DBFDC0FBBE330");
}

TEST(PackagePassword, PasswordHashTakesEveryByte) {
  EXPECT_NE(PasswordHash(std::string("a\0b", 3)), PasswordHash("a"));
}

TEST(PackagePassword, DatabaseKeyIsTheDigestOfPrefixAndDecimalLength) {
  const std::string text = "Qe7>Ws.4Tk1234567";
  EXPECT_EQ(PackageDatabaseKey(1234567), HavalDigest::Of(text.data(), text.size()));
  const std::string zero = "Qe7>Ws.4Tk0";
  EXPECT_EQ(PackageDatabaseKey(0), HavalDigest::Of(zero.data(), zero.size()));
  const std::string large = "Qe7>Ws.4Tk5000000000";
  EXPECT_EQ(PackageDatabaseKey(5000000000ULL), HavalDigest::Of(large.data(), large.size()));
  EXPECT_NE(PackageDatabaseKey(1), PackageDatabaseKey(2));
}

TEST(PackagePassword, PasswordKeyIsTheDigestOfThePassword) {
  EXPECT_EQ(PasswordKey("abc"), HavalDigest::Of("abc", 3));
}

TEST(PackagePassword, EmptyCheckHashAcceptsEveryPassword) {
  EXPECT_TRUE(CheckPassword("", ""));
  EXPECT_TRUE(CheckPassword("", "anything"));
  EXPECT_TRUE(CheckPassword("", std::string(1000, 'x')));
}

TEST(PackagePassword, CorrectPasswordPasses) {
  const std::string check = PasswordHash("qzxSecret1qzx");
  EXPECT_TRUE(CheckPassword(check, "Secret1"));
}

TEST(PackagePassword, WrongPasswordsFail) {
  const std::string check = PasswordHash("qzxSecret1qzx");
  EXPECT_FALSE(CheckPassword(check, "secret1"));
  EXPECT_FALSE(CheckPassword(check, "SECRET1"));
  EXPECT_FALSE(CheckPassword(check, ""));
  EXPECT_FALSE(CheckPassword(check, "Secret1 "));
  // The markers are part of the check text, not a hash of the bare password.
  EXPECT_FALSE(CheckPassword(PasswordHash("Secret1"), "Secret1"));
}

TEST(PackagePassword, CheckHashComparesCaseSensitively) {
  std::string check = PasswordHash("qzxpwqzx");
  ASSERT_TRUE(CheckPassword(check, "pw"));
  const std::string upper = check;
  for (char& c : check) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  ASSERT_NE(check, upper);
  EXPECT_FALSE(CheckPassword(check, "pw"));
}

TEST(PackagePassword, EmptyPasswordWithACheckHash) {
  EXPECT_TRUE(CheckPassword(PasswordHash("qzxqzx"), ""));
  EXPECT_FALSE(CheckPassword(PasswordHash("qzxqzx"), "x"));
}

TEST(PackagePassword, CheckValueIsTheHashOfTheMarkedPassword) {
  EXPECT_EQ(PasswordCheckValue("Secret1"), PasswordHash("qzxSecret1qzx"));
  EXPECT_EQ(PasswordCheckValue(""), PasswordHash("qzxqzx"));
  EXPECT_NE(PasswordCheckValue("a"), PasswordCheckValue("A"));
  // What the builder stores is what the engine accepts, and only that.
  const std::string stored = PasswordCheckValue("pass word");
  EXPECT_EQ(stored.size(), 64u);
  EXPECT_TRUE(CheckPassword(stored, "pass word"));
  EXPECT_FALSE(CheckPassword(stored, "password"));
}

}  // namespace
}  // namespace cv
