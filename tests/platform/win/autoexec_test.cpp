// Setting variables in "autoexec.bat" (how the 9x family keeps them), on a
// file in a folder of the test's own instead of "c:\".

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win/environment.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::FolderEntries;
using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

class AutoexecTest : public ::testing::Test {
 protected:
  std::string File() const { return folder_.Path() + "autoexec.bat"; }
  TempFolder folder_;
};

const std::vector<std::string> kOnlyAutoexec{"autoexec.bat"};

TEST_F(AutoexecTest, CreatesTheFileWhenThereIsNone) {
  EXPECT_TRUE(SetAutoexecVariableIn(folder_.Path(), "BRINDLE", "C:\\BRINDLE"));
  EXPECT_EQ(ReadFileBytes(File()), "SET BRINDLE=C:\\BRINDLE\r\n");
  EXPECT_EQ(FolderEntries(folder_.Path()), kOnlyAutoexec);
}

TEST_F(AutoexecTest, RemovingFromAMissingFileLeavesAnEmptyFile) {
  EXPECT_TRUE(SetAutoexecVariableIn(folder_.Path(), "BRINDLE", ""));
  EXPECT_EQ(FolderEntries(folder_.Path()), kOnlyAutoexec);
  EXPECT_EQ(ReadFileBytes(File()), "");
}

TEST_F(AutoexecTest, AppendsANewVariableAsOneLineAtTheEnd) {
  ASSERT_TRUE(
      WriteFileBytes(File(), "@ECHO OFF\r\nPATH C:\\DOS;C:\\WINDOWS\r\nSET TEMP=C:\\TEMP\r\n"));
  EXPECT_TRUE(SetAutoexecVariableIn(folder_.Path(), "BRINDLE", "C:\\BRINDLE"));
  EXPECT_EQ(
      ReadFileBytes(File()),
      "@ECHO OFF\r\nPATH C:\\DOS;C:\\WINDOWS\r\nSET TEMP=C:\\TEMP\r\nSET BRINDLE=C:\\BRINDLE\r\n");
  EXPECT_EQ(FolderEntries(folder_.Path()), kOnlyAutoexec);
}

TEST_F(AutoexecTest, RemovesEverySetLineOfTheVariableAndKeepsTheRest) {
  ASSERT_TRUE(WriteFileBytes(File(),
                             "@ECHO OFF\r\n"
                             "SET BRINDLE=C:\\OLD\r\n"
                             "REM SET BRINDLE=C:\\COMMENT\r\n"
                             "  set brindle = spaced\r\n"
                             "SET BRINDLEX=C:\\OTHER\r\n"
                             "\r\n"
                             "  Set Brindle=C:\\AGAIN  \r\n"
                             "LH C:\\DOS\\MOUSE.COM\r\n"));
  EXPECT_TRUE(SetAutoexecVariableIn(folder_.Path(), "brindle", ""));
  EXPECT_EQ(ReadFileBytes(File()),
            "@ECHO OFF\r\n"
            "REM SET BRINDLE=C:\\COMMENT\r\n"
            "  set brindle = spaced\r\n"
            "SET BRINDLEX=C:\\OTHER\r\n"
            "\r\n"
            "LH C:\\DOS\\MOUSE.COM\r\n");
  EXPECT_EQ(FolderEntries(folder_.Path()), kOnlyAutoexec);
}

TEST_F(AutoexecTest, ReplacesEachMatchingLineInPlaceIgnoringCase) {
  ASSERT_TRUE(WriteFileBytes(File(),
                             "set brindle=C:\\OLD\r\n"
                             "PROMPT $P$G\r\n"
                             "\tSET BRINDLE=C:\\OLDER\r\n"));
  EXPECT_TRUE(SetAutoexecVariableIn(folder_.Path(), "Brindle", "D:\\NEW"));
  EXPECT_EQ(ReadFileBytes(File()),
            "SET Brindle=D:\\NEW\r\n"
            "PROMPT $P$G\r\n"
            "SET Brindle=D:\\NEW\r\n");
}

TEST_F(AutoexecTest, RemovingAMissingVariableKeepsTheLines) {
  ASSERT_TRUE(WriteFileBytes(File(), "@ECHO OFF\nSET TEMP=C:\\TEMP"));
  EXPECT_TRUE(SetAutoexecVariableIn(folder_.Path(), "BRINDLE", ""));
  // Read line by line and written back with CR LF.
  EXPECT_EQ(ReadFileBytes(File()), "@ECHO OFF\r\nSET TEMP=C:\\TEMP\r\n");
}

TEST_F(AutoexecTest, OldFileStaysWhenItCannotBeDeleted) {
  const std::string before = "@ECHO OFF\r\nSET BRINDLE=C:\\OLD\r\n";
  ASSERT_TRUE(WriteFileBytes(File(), before));
  // Open elsewhere without leave to delete it, as a program holding it would.
  HANDLE holder = CreateFileA(File().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const bool result = SetAutoexecVariableIn(folder_.Path(), "BRINDLE", "C:\\NEW");
  CloseHandle(holder);
  EXPECT_FALSE(result);
  EXPECT_EQ(ReadFileBytes(File()), before);
  // The new file is deleted again.
  EXPECT_EQ(FolderEntries(folder_.Path()), kOnlyAutoexec);
}

TEST_F(AutoexecTest, OldFileStaysWhenTheNewFileCannotBeWritten) {
  const std::string before = "@ECHO OFF\r\nSET BRINDLE=C:\\OLD\r\n";
  ASSERT_TRUE(WriteFileBytes(File(), before));
  EXPECT_FALSE(RewriteAutoexec(File(), folder_.Path() + "missing\\new.bat", "BRINDLE", "C:\\NEW"));
  EXPECT_EQ(ReadFileBytes(File()), before);
  EXPECT_EQ(FolderEntries(folder_.Path()), kOnlyAutoexec);
}

TEST_F(AutoexecTest, NewFileMustNotExistYet) {
  const std::string before = "SET BRINDLE=C:\\OLD\r\n";
  ASSERT_TRUE(WriteFileBytes(File(), before));
  const std::string taken = folder_.Path() + "taken.bat";
  ASSERT_TRUE(WriteFileBytes(taken, "someone else's"));
  EXPECT_FALSE(RewriteAutoexec(File(), taken, "BRINDLE", "C:\\NEW"));
  EXPECT_EQ(ReadFileBytes(File()), before);
  EXPECT_EQ(ReadFileBytes(taken), "someone else's");
}

TEST_F(AutoexecTest, RewriteRenamesTheNewFileToAutoexec) {
  ASSERT_TRUE(WriteFileBytes(File(), "SET BRINDLE=C:\\OLD\r\n"));
  EXPECT_TRUE(RewriteAutoexec(File(), folder_.Path() + "next.bat", "BRINDLE", "C:\\NEW"));
  EXPECT_EQ(ReadFileBytes(File()), "SET BRINDLE=C:\\NEW\r\n");
  EXPECT_EQ(FolderEntries(folder_.Path()), kOnlyAutoexec);
}

TEST_F(AutoexecTest, UnreadableOldFileIsLeftAlone) {
  // A folder where the file should be cannot be read as a file.
  ASSERT_TRUE(CreateDirectoryA(File().c_str(), nullptr));
  EXPECT_FALSE(SetAutoexecVariableIn(folder_.Path(), "BRINDLE", "C:\\NEW"));
  EXPECT_EQ(FolderEntries(folder_.Path()), kOnlyAutoexec);
  EXPECT_TRUE(FolderEntries(File() + "\\").empty());
}

TEST_F(AutoexecTest, EmptyNameChangesNothing) {
  const std::string before = "SET =odd\r\n";
  ASSERT_TRUE(WriteFileBytes(File(), before));
  EXPECT_FALSE(SetAutoexecVariableIn(folder_.Path(), "", "C:\\NEW"));
  EXPECT_FALSE(SetAutoexecVariableIn(folder_.Path(), "", ""));
  EXPECT_EQ(ReadFileBytes(File()), before);
  EXPECT_EQ(FolderEntries(folder_.Path()), kOnlyAutoexec);
}

TEST_F(AutoexecTest, TextAfterTheEndOfFileMarkIsDropped) {
  ASSERT_TRUE(WriteFileBytes(File(), "@ECHO OFF\r\n\x1A"));
  EXPECT_TRUE(SetAutoexecVariableIn(folder_.Path(), "BRINDLE", "C:\\BRINDLE"));
  EXPECT_EQ(ReadFileBytes(File()), "@ECHO OFF\r\nSET BRINDLE=C:\\BRINDLE\r\n");
}

}  // namespace
}  // namespace cv
