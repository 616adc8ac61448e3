#include "platform/ini_cache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../database/scratch_folder.h"
#include "platform/locale_text.h"

namespace cv {
namespace {

class IniCacheTest : public ::testing::Test {
 protected:
  void SetUp() override { FlushIniCache(); }
  void TearDown() override { FlushIniCache(); }

  std::string Read(const std::string& name) { return test::ReadBytes(folder_.File(name)); }

  test::ScratchFolder folder_;
};

TEST_F(IniCacheTest, WrittenValueIsReadBackBeforeItReachesTheDisk) {
  const std::string file = folder_.File("app.ini");
  test::WriteBytes(file, "[Main]\r\nName=old\r\n");
  EXPECT_EQ(IniReadValue(file, "Main", "Name", "x"), "old");
  EXPECT_TRUE(IniWriteValue(file, "Main", "Name", "new"));
  EXPECT_EQ(IniReadValue(file, "main", "NAME", "x"), "new");
  EXPECT_EQ(Read("app.ini"), "[Main]\r\nName=old\r\n");
  FlushIniCache();
  // Every section is written back followed by one empty line.
  EXPECT_EQ(Read("app.ini"), "[Main]\r\nName=new\r\n\r\n");
}

TEST_F(IniCacheTest, AppendAddsASecondLineOfTheSameNameForThatWriteOnly) {
  const std::string file = folder_.File("log.ini");
  test::WriteBytes(file, "[Dirs]\r\nC:\\A=\r\n");
  EXPECT_TRUE(IniAppendValue(file, "Dirs", "C:\\A", ""));
  EXPECT_TRUE(IniAppendValue(file, "Files", "x", "1"));
  EXPECT_TRUE(IniWriteValue(file, "Files", "x", "2"));  // not appending: replaces
  FlushIniCache();
  EXPECT_EQ(Read("log.ini"), "[Dirs]\r\nC:\\A=\r\nC:\\A=\r\n\r\n[Files]\r\nx=2\r\n\r\n");
}

TEST_F(IniCacheTest, CachedFilesKeepQuotesAndSkipComments) {
  const std::string file = folder_.File("quotes.ini");
  test::WriteBytes(file, "[S]\r\n;Key=comment\r\nKey = \"quoted value\"\r\nnoequals\r\n");
  EXPECT_EQ(IniReadValue(file, "S", "Key", ""), "\"quoted value\"");
  std::vector<std::string> keys;
  IniReadSectionKeys(file, "S", keys);
  EXPECT_EQ(keys, std::vector<std::string>{"Key"});
  std::vector<std::string> entries;
  IniReadSection(file, "S", entries);
  EXPECT_EQ(entries, std::vector<std::string>{"Key=\"quoted value\""});
}

TEST_F(IniCacheTest, OnePathIsOneObjectWhateverItsCase) {
  const std::string file = folder_.File("Case.ini");
  EXPECT_TRUE(IniWriteValue(file, "S", "A", "1"));
  EXPECT_EQ(IniReadValue(UpperCaseLocale(file), "S", "A", ""), "1");
  EXPECT_EQ(TheIniCache().Count(), 1u);
}

TEST_F(IniCacheTest, DeletingAKeyAndDroppingOneFile) {
  const std::string first = folder_.File("first.ini");
  const std::string second = folder_.File("second.ini");
  test::WriteBytes(first, "[S]\r\nA=1\r\nB=2\r\n");
  IniDeleteKey(first, "S", "A");
  EXPECT_TRUE(IniWriteValue(second, "S", "C", "3"));
  DropIniCache(first);
  EXPECT_EQ(Read("first.ini"), "[S]\r\nB=2\r\n\r\n");
  EXPECT_FALSE(std::filesystem::exists(second));  // still only in the cache
  EXPECT_EQ(TheIniCache().Count(), 1u);
  FlushIniCache();
  EXPECT_EQ(Read("second.ini"), "[S]\r\nC=3\r\n\r\n");
  EXPECT_EQ(TheIniCache().Count(), 0u);
}

TEST_F(IniCacheTest, MissingFileReadsDefaultsAndCreatesNothing) {
  const std::string file = folder_.File("absent.ini");
  EXPECT_EQ(IniReadValue(file, "S", "K", "fallback"), "fallback");
  FlushIniCache();
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(IniCacheTest, FileThatCannotBeOpenedReportsTheWriteAsFailed) {
  // A folder where the file should be cannot be opened as a file.
  const std::string blocked = folder_.File("blocked.ini");
  std::filesystem::create_directory(blocked);
  EXPECT_FALSE(IniWriteValue(blocked, "S", "K", "v"));
  EXPECT_EQ(IniReadValue(blocked, "S", "K", "d"), "d");
}

}  // namespace
}  // namespace cv
