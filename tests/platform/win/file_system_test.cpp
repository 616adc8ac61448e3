#include "platform/win/file_system.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "temp_folder.h"

namespace cv {
namespace {

using test::PathExists;
using test::TempFolder;
using test::WriteFileBytes;

TEST(DeleteTree, RemovesNestedFoldersReadOnlyFilesAndDotFiles) {
  TempFolder temp;
  const std::string root = temp.Path() + "tree\\";
  ASSERT_TRUE(ForceFolders(root + "a\\b\\c"));
  ASSERT_TRUE(WriteFileBytes(root + "top.txt", "1"));
  ASSERT_TRUE(WriteFileBytes(root + "a\\b\\locked.txt", "2"));
  ASSERT_TRUE(SetFileAttributesA((root + "a\\b\\locked.txt").c_str(),
                                 FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(WriteFileBytes(root + "a\\b\\c\\.hidden", "3"));
  EXPECT_TRUE(DeleteTree(root, true));
  EXPECT_FALSE(PathExists(root));
}

TEST(DeleteTree, KeepsTheFolderItselfWhenAsked) {
  TempFolder temp;
  const std::string root = temp.Path() + "keep";
  ASSERT_TRUE(ForceFolders(root + "\\sub"));
  ASSERT_TRUE(WriteFileBytes(root + "\\file", "x"));
  EXPECT_TRUE(DeleteTree(root, false));
  EXPECT_TRUE(FolderExists(root));
  EXPECT_TRUE(test::FolderEntries(root + "\\").empty());
}

TEST(DeleteTree, FileInUseFailsAndKeepsTheFolderWithWhatCouldNotGo) {
  TempFolder temp;
  const std::string root = temp.Path() + "busy\\";
  ASSERT_TRUE(ForceFolders(root));
  ASSERT_TRUE(WriteFileBytes(root + "open.bin", "x"));
  ASSERT_TRUE(WriteFileBytes(root + "other.bin", "y"));
  HANDLE open =
      CreateFileA((root + "open.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(open, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteTree(root, true));
  EXPECT_TRUE(PathExists(root + "open.bin"));
  EXPECT_FALSE(PathExists(root + "other.bin"));
  CloseHandle(open);
  EXPECT_TRUE(DeleteTree(root, true));
  EXPECT_FALSE(PathExists(root));
}

TEST(DeleteTree, MissingFolderHasNothingToFail) {
  TempFolder temp;
  EXPECT_TRUE(DeleteTree(temp.Path() + "never made", true));
}

TEST(ForceFolders, CreatesEveryMissingParent) {
  TempFolder temp;
  const std::string deep = temp.Path() + "one\\two words\\three\\";
  EXPECT_TRUE(ForceFolders(deep));
  EXPECT_TRUE(FolderExists(deep));
  EXPECT_TRUE(ForceFolders(deep));  // already there
  EXPECT_TRUE(ForceFolders("C:"));  // too short to create: left alone
}

TEST(ForceFolders, FailsWhereAFileBlocksThePath) {
  TempFolder temp;
  ASSERT_TRUE(WriteFileBytes(temp.Path() + "file", "x"));
  EXPECT_FALSE(ForceFolders(temp.Path() + "file\\sub"));
}

TEST(DiskFreeKB, MatchesWhatWindowsReportsForTheCaller) {
  TempFolder temp;
  ULARGE_INTEGER available = {}, total = {}, free = {};
  ASSERT_TRUE(GetDiskFreeSpaceExA(temp.Path().c_str(), &available, &total, &free));
  const auto expected = static_cast<std::int64_t>(available.QuadPart / 1024);
  const std::int64_t measured = DiskFreeKB(temp.Path());
  EXPECT_GT(measured, 0);
  // Other programs write meanwhile: allow a few megabytes of drift.
  EXPECT_NEAR(static_cast<double>(measured), static_cast<double>(expected), 8192.0);
}

TEST(DiskFreeKB, MissingPathHasNoSpace) {
  TempFolder temp;
  EXPECT_EQ(DiskFreeKB(temp.Path() + "absent\\"), 0);
}

}  // namespace
}  // namespace cv
