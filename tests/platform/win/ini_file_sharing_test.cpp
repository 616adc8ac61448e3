// The lock a writable ini object holds on its file, seen from code that opens
// the file on its own with the plain Windows API, as another program would.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/ini_file.h"
#include "platform/win/system_folders.h"
#include "temp_folder.h"

namespace cv {
namespace {

// Opens `path` the way another program might; the handle or
// INVALID_HANDLE_VALUE, with the error code in `error`.
HANDLE OpenForeign(const std::string& path, DWORD access, DWORD share, DWORD& error) {
  HANDLE file = CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  return file;
}

class IniFileSharingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = folder_.Path() + "shared.ini";
    ASSERT_TRUE(test::WriteFileBytes(path_, "[A]\r\nx=1\r\n"));
  }

  test::TempFolder folder_;
  std::string path_;
};

TEST_F(IniFileSharingTest, ForeignWriterIsRefusedWhileWritableObjectLives) {
  TkeIniFile ini(path_, false);
  DWORD error = 0;
  HANDLE writer = OpenForeign(path_, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, error);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

TEST_F(IniFileSharingTest, ForeignReaderIsAllowedWhileWritableObjectLives) {
  TkeIniFile ini(path_, false);
  DWORD error = 0;
  HANDLE reader = OpenForeign(path_, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, error);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE) << error;
  char buffer[32] = {};
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(reader, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(std::string(buffer, got), "[A]\r\nx=1\r\n");
  CloseHandle(reader);
}

TEST_F(IniFileSharingTest, SecondWritableObjectFailsWithTheOpenError) {
  TkeIniFile ini(path_, false);
  try {
    TkeIniFile second(path_, false);
    FAIL() << "a second writer was let in";
  } catch (const EInOutError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot open file " + path_);
  }
  TkeIniFile reader(path_, true);
  EXPECT_EQ(reader.ReadString("A", "x", "?"), "1");
}

TEST_F(IniFileSharingTest, ReadOnlyObjectCanOpenWhileForeignWriterHoldsTheFile) {
  DWORD error = 0;
  HANDLE writer = OpenForeign(path_, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              error);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE) << error;
  {
    TkeIniFile reader(path_, true);
    EXPECT_EQ(reader.ReadString("A", "x", "?"), "1");
  }
  CloseHandle(writer);
}

TEST_F(IniFileSharingTest, ReadOnlyObjectLeavesTheFileFree) {
  TkeIniFile reader(path_, true);
  DWORD error = 0;
  HANDLE writer = OpenForeign(path_, GENERIC_WRITE, 0, error);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE) << error;
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

TEST_F(IniFileSharingTest, LockEndsWithTheObject) {
  { TkeIniFile ini(path_, false); }
  DWORD error = 0;
  HANDLE writer = OpenForeign(path_, GENERIC_WRITE, 0, error);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE) << error;
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

TEST(IniFileName, BareNameLivesInTheWindowsFolder) {
  std::string windows = WindowsFolder();
  EXPECT_EQ(IniFullFileName("corvane.ini"), windows + "\\corvane.ini");
  EXPECT_EQ(IniFullFileName("C:\\x\\corvane.ini"), "C:\\x\\corvane.ini");
  EXPECT_EQ(IniFullFileName(".\\corvane.ini"), ".\\corvane.ini");
  EXPECT_EQ(IniFullFileName(""), "");
}

}  // namespace
}  // namespace cv
