#include "platform/win/shell_folders.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/paths.h"
#include "platform/win/system_folders.h"

namespace cv {
namespace {

std::string ShellPathOf(int folderId) {
  char path[MAX_PATH + 1] = {};
  return SHGetSpecialFolderPathA(nullptr, path, folderId, FALSE) ? std::string(path)
                                                                 : std::string();
}

TEST(ShellFolders, TableNamesEveryRowWithItsFolderAndFallback) {
  EXPECT_STREQ(ShellFolder(0).Name, "Desktop");
  EXPECT_EQ(ShellFolder(0).FolderId, 0x10);
  EXPECT_STREQ(ShellFolder(13).Name, "CommonDesktop");
  EXPECT_TRUE(ShellFolder(13).HasFallbackRow);
  EXPECT_EQ(ShellFolder(13).FallbackRow, 0);
  EXPECT_STREQ(ShellFolder(14).FallbackSubfolder, "Application Data");
  EXPECT_EQ(ShellFolder(15).FallbackRow, 14);
  EXPECT_EQ(ShellFolder(16).FolderId, 0x1C);
  // Every fallback row has no fallback of its own, so the lookup ends.
  for (int i = 0; i < kShellFolderCount; ++i) {
    if (ShellFolder(i).HasFallbackRow) {
      EXPECT_FALSE(ShellFolder(ShellFolder(i).FallbackRow).HasFallbackRow) << i;
    }
  }
}

TEST(ShellFolders, RealFoldersComeFromTheShell) {
  for (int index : {0, 3, 4, 7, 14}) {
    const std::string expected = ShellPathOf(ShellFolder(index).FolderId);
    ASSERT_FALSE(expected.empty()) << ShellFolder(index).Name;
    // Wine's two shell calls disagree on a trailing backslash for some
    // folders; the folder is the same.
    EXPECT_EQ(ExcludeBackslash(GetSpecialFolder(ShellFolder(index).FolderId)), expected);
    EXPECT_EQ(ExcludeBackslash(ShellFolderPath(index)), expected) << ShellFolder(index).Name;
  }
}

TEST(ShellFolders, UnknownFolderIsEmptyAndOutOfRangeRowsAreEmpty) {
  EXPECT_EQ(GetSpecialFolder(0x7F), "");
  EXPECT_EQ(ShellFolderPath(-1), "");
  EXPECT_EQ(ShellFolderPath(kShellFolderCount), "");
}

TEST(ShellFolders, CommonFoldersFallBackOrExist) {
  // Either the shell has a common folder, or the user's folder stands in.
  const std::string common = ShellPathOf(0x19);
  const std::string expected = common.empty() ? ShellPathOf(0x10) : common;
  EXPECT_EQ(ExcludeBackslash(ShellFolderPath(13)), ExcludeBackslash(expected));
  EXPECT_NE(ShellFolderPath(15), WindowsFolder() + "\\");
}

}  // namespace
}  // namespace cv
