// The built-in functions on files and folders, through the evaluator, and
// the platform routines they rest on.

#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win/file_access.h"
#include "platform/win/file_version.h"
#include "platform/win/registry_value.h"
#include "script/ke_evaluator.h"
#include "script_win_test.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::Literal;
using test::PathExists;
using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

class FileFunctions : public test::ScriptWinTest {
 protected:
  std::string Path(const std::string& name) const { return temp_.Path() + name; }
  std::string Call(const std::string& function, const std::string& path) {
    return Eval(function + "(" + Literal(path) + ")");
  }

  TempFolder temp_;
};

// The user's date and time separators, set for one test and put back.
class UserSeparators {
 public:
  UserSeparators(const char* date, const char* time) {
    savedOk_ = Read(LOCALE_SDATE, savedDate_) && Read(LOCALE_STIME, savedTime_);
    DWORD type = 0;
    std::string data;
    hadDate_ = ReadRegistryValue(HKEY_CURRENT_USER, kInternational, "sDate", type, data);
    hadTime_ = ReadRegistryValue(HKEY_CURRENT_USER, kInternational, "sTime", type, data);
    setOk_ = SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, date) &&
             SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, time);
  }
  UserSeparators(const UserSeparators&) = delete;
  UserSeparators& operator=(const UserSeparators&) = delete;
  ~UserSeparators() {
    if (!savedOk_) return;
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, savedDate_.c_str());
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, savedTime_.c_str());
    // Settings the user never made stay unmade.
    if (!hadDate_) DeleteRegistryValue(HKEY_CURRENT_USER, kInternational, "sDate");
    if (!hadTime_) DeleteRegistryValue(HKEY_CURRENT_USER, kInternational, "sTime");
  }
  bool ok() const { return savedOk_ && setOk_; }

 private:
  static bool Read(LCTYPE type, std::string& text) {
    char buffer[16];
    const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    if (length <= 0) return false;
    text = buffer;
    return true;
  }

  static constexpr const char* kInternational = "Control Panel\\International";

  bool savedOk_ = false;
  bool setOk_ = false;
  bool hadDate_ = false;
  bool hadTime_ = false;
  std::string savedDate_, savedTime_;
};

// Sets the file's last-write time to a local date and time.
bool SetLocalWriteTime(const std::string& path, WORD year, WORD month, WORD day, WORD hour,
                       WORD minute, WORD second) {
  SYSTEMTIME local = {};
  local.wYear = year;
  local.wMonth = month;
  local.wDay = day;
  local.wHour = hour;
  local.wMinute = minute;
  local.wSecond = second;
  FILETIME localTime, utc;
  if (!SystemTimeToFileTime(&local, &localTime) || !LocalFileTimeToFileTime(&localTime, &utc)) {
    return false;
  }
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = SetFileTime(file, nullptr, nullptr, &utc) != 0;
  CloseHandle(file);
  return ok;
}

bool IsReadOnly(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

TEST_F(FileFunctions, FileAndFolderExistence) {
  ASSERT_TRUE(WriteFileBytes(Path("present.txt"), "x"));
  ASSERT_TRUE(CreateDirectoryA(Path("sub").c_str(), nullptr));
  EXPECT_EQ(Call("FileExists", Path("present.txt")), "1");
  EXPECT_EQ(Call("FileExists", Path("absent.txt")), "0");
  EXPECT_EQ(Call("FileExists", Path("sub")), "0") << "a folder is no file";
  EXPECT_EQ(Call("FolderExists", Path("sub")), "1");
  EXPECT_EQ(Call("FolderExists", Path("sub\\")), "1");
  EXPECT_EQ(Call("FolderExists", Path("present.txt")), "0") << "a file is no folder";
  EXPECT_EQ(Call("FolderExists", Path("absent")), "0");
  EXPECT_EQ(Eval("FileExists('')"), "0");
  EXPECT_EQ(Eval("FolderExists('')"), "0");
}

TEST_F(FileFunctions, CreateFolderMakesEveryMissingLevel) {
  // One trailing backslash is ignored; every missing parent is made first.
  Call("CreateFolder", Path("one\\two\\three\\"));
  EXPECT_TRUE(PathExists(Path("one\\two\\three")));
  EXPECT_EQ(Call("FolderExists", Path("one\\two\\three")), "1");
  // An existing folder and its files stay as they are.
  ASSERT_TRUE(WriteFileBytes(Path("one\\two\\kept.txt"), "kept"));
  Call("CreateFolder", Path("one\\two"));
  EXPECT_EQ(ReadFileBytes(Path("one\\two\\kept.txt")), "kept");
  // A folder below a file cannot be made; nothing else is.
  Call("CreateFolder", Path("one\\two\\kept.txt\\below"));
  EXPECT_FALSE(PathExists(Path("one\\two\\kept.txt\\below")));
  EXPECT_EQ(ReadFileBytes(Path("one\\two\\kept.txt")), "kept");
  // Nothing to make: no error either.
  EXPECT_NO_THROW(Eval("CreateFolder('')"));
}

TEST_F(FileFunctions, FileSizeInBytesOrMinusOne) {
  ASSERT_TRUE(WriteFileBytes(Path("five.bin"), std::string("ab\0de", 5)));
  ASSERT_TRUE(WriteFileBytes(Path("empty.bin"), ""));
  ASSERT_TRUE(CreateDirectoryA(Path("folder").c_str(), nullptr));
  EXPECT_EQ(Call("FileSize", Path("five.bin")), "5");
  EXPECT_EQ(Call("FileSize", Path("empty.bin")), "0");
  EXPECT_EQ(Call("FileSize", Path("missing.bin")), "-1");
  EXPECT_EQ(Call("FileSize", Path("folder")), "-1") << "a folder is no file";
  EXPECT_EQ(Call("FileSize", Path("*.bin")), "-1") << "a mask names no file";
  EXPECT_EQ(Eval("FileSize('')"), "-1");
}

TEST_F(FileFunctions, FileSizeOfARelativeNameCountsFromTheCurrentFolder) {
  ASSERT_TRUE(WriteFileBytes(Path("relative.txt"), "1234567"));
  char saved[MAX_PATH * 2] = {};
  ASSERT_GT(GetCurrentDirectoryA(sizeof saved, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(temp_.Path().c_str()));
  // The test folder's own name, reached again from its parent.
  const std::string folder = temp_.Path().substr(0, temp_.Path().size() - 1);
  const std::string folderName = folder.substr(folder.rfind('\\') + 1);
  const std::string size = Eval("FileSize('relative.txt')");
  const std::string viaParent = Eval("FileSize('..\\" + folderName + "\\relative.txt')");
  const std::string missing = Eval("FileSize('absent.txt')");
  SetCurrentDirectoryA(saved);
  EXPECT_EQ(size, "7");
  EXPECT_EQ(viaParent, "7");
  EXPECT_EQ(missing, "-1");
}

TEST_F(FileFunctions, FileSizeBeyondFourGigabytesIsTheWholeSize) {
  // A sparse file: its size is set, no data is written.
  const std::string path = Path("large.bin");
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD returned = 0;
  DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER size;
  size.QuadPart = 5LL * 1024 * 1024 * 1024 + 3;
  const bool sized = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  ASSERT_TRUE(sized);
  EXPECT_EQ(Call("FileSize", path), "5368709123");
  EXPECT_EQ(FileSizeOf(path), 5368709123LL);
}

TEST_F(FileFunctions, FileVersionOfAProgramAndOfFilesWithoutOne) {
  const std::string helper = test::HelperProgram();
  ASSERT_TRUE(PathExists(helper)) << helper;
  // The file version, not the product version (1.0.0.0) of the resource.
  EXPECT_EQ(Call("FileVersion", helper), "3.14.1592.65535");
  EXPECT_EQ(Call("FileVersion", "\"" + helper + "\""), "3.14.1592.65535");
  ASSERT_TRUE(WriteFileBytes(Path("plain.txt"), "no resources"));
  EXPECT_EQ(Call("FileVersion", Path("plain.txt")), "0");
  EXPECT_EQ(Call("FileVersion", Path("missing.dll")), "0");

  DWORD ms = 1, ls = 1;
  ASSERT_TRUE(GetFileVersion(helper, ms, ls));
  EXPECT_EQ(ms, (3u << 16) | 14u);
  EXPECT_EQ(ls, (1592u << 16) | 65535u);
  EXPECT_FALSE(GetFileVersion(Path("plain.txt"), ms, ls));
  EXPECT_EQ(ms, 0u);
  EXPECT_EQ(ls, 0u);
  std::string text = "left over";
  EXPECT_TRUE(GetFileVersionText(helper, text));
  EXPECT_EQ(text, "3.14.1592.65535");
  EXPECT_FALSE(GetFileVersionText(Path("missing.dll"), text));
  EXPECT_EQ(text, "");
}

TEST_F(FileFunctions, FileDateUsesTheUsersSeparators) {
  const std::string path = Path("dated.txt");
  ASSERT_TRUE(WriteFileBytes(path, "x"));
  ASSERT_TRUE(SetLocalWriteTime(path, 2021, 3, 4, 5, 6, 7));
  {
    UserSeparators separators(".", "-");
    ASSERT_TRUE(separators.ok());
    EXPECT_EQ(Call("FileDate", path), "03.04.2021 05-06-07");
    // A missing file: the day counting starts from.
    EXPECT_EQ(Call("FileDate", Path("missing.txt")), "12.30.1899 00-00-00");
  }
  {
    UserSeparators separators("/", ":");
    ASSERT_TRUE(separators.ok());
    EXPECT_EQ(Call("FileDate", path), "03/04/2021 05:06:07");
    ASSERT_TRUE(SetLocalWriteTime(path, 1999, 12, 31, 23, 59, 58));
    EXPECT_EQ(Call("FileDate", path), "12/31/1999 23:59:58");
    EXPECT_EQ(Call("FileDate", Path("missing.txt")), "12/30/1899 00:00:00");
    EXPECT_EQ(Eval("FileDate('')"), "12/30/1899 00:00:00");
  }
}

TEST_F(FileFunctions, ShortFileName) {
  const std::string path = Path("A rather long file name.text");
  ASSERT_TRUE(WriteFileBytes(path, "short"));
  const std::string shortName = Call("ShortFileName", path);
  EXPECT_NE(shortName, path);
  EXPECT_EQ(ReadFileBytes(shortName), "short") << shortName;
  // Every element of the short form has at most 8 characters and an
  // extension of at most 3, and no blanks.
  std::size_t start = shortName.find('\\') + 1;
  while (start < shortName.size()) {
    std::size_t end = shortName.find('\\', start);
    if (end == std::string::npos) end = shortName.size();
    const std::string element = shortName.substr(start, end - start);
    const std::size_t dot = element.find('.');
    EXPECT_LE(dot == std::string::npos ? element.size() : dot, 8u) << shortName;
    if (dot != std::string::npos) {
      EXPECT_LE(element.size() - dot - 1, 3u) << shortName;
    }
    EXPECT_EQ(element.find(' '), std::string::npos) << shortName;
    start = end + 1;
  }
  // Without a short form: the name unchanged.
  EXPECT_EQ(Call("ShortFileName", Path("missing file.text")), Path("missing file.text"));
  EXPECT_EQ(Eval("ShortFileName('')"), "");
}

TEST_F(FileFunctions, RenameFile) {
  ASSERT_TRUE(WriteFileBytes(Path("old.txt"), "content"));
  EXPECT_EQ(Eval("RenameFile(" + Literal(Path("old.txt")) + ", " + Literal(Path("new.txt")) + ")"),
            "1");
  EXPECT_FALSE(PathExists(Path("old.txt")));
  EXPECT_EQ(ReadFileBytes(Path("new.txt")), "content");

  // A read-only file is renamed and stays read-only.
  ASSERT_TRUE(WriteFileBytes(Path("locked.txt"), "locked"));
  ASSERT_TRUE(SetFileAttributesA(Path("locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(
      Eval("RenameFile(" + Literal(Path("locked.txt")) + ", " + Literal(Path("renamed.txt")) + ")"),
      "1");
  EXPECT_FALSE(PathExists(Path("locked.txt")));
  EXPECT_EQ(ReadFileBytes(Path("renamed.txt")), "locked");
  EXPECT_TRUE(IsReadOnly(Path("renamed.txt")));
  SetFileAttributesA(Path("renamed.txt").c_str(), FILE_ATTRIBUTE_NORMAL);

  // An existing target is not replaced; a missing source fails.
  EXPECT_EQ(
      Eval("RenameFile(" + Literal(Path("new.txt")) + ", " + Literal(Path("renamed.txt")) + ")"),
      "0");
  EXPECT_EQ(ReadFileBytes(Path("new.txt")), "content");
  EXPECT_EQ(ReadFileBytes(Path("renamed.txt")), "locked");
  EXPECT_EQ(
      Eval("RenameFile(" + Literal(Path("missing.txt")) + ", " + Literal(Path("x.txt")) + ")"),
      "0");
  EXPECT_FALSE(PathExists(Path("x.txt")));
}

TEST_F(FileFunctions, DeleteFileClearsAttributesFirst) {
  ASSERT_TRUE(WriteFileBytes(Path("plain.txt"), "x"));
  EXPECT_EQ(Call("DeleteFile", Path("plain.txt")), "1");
  EXPECT_FALSE(PathExists(Path("plain.txt")));

  ASSERT_TRUE(WriteFileBytes(Path("locked.txt"), "x"));
  ASSERT_TRUE(SetFileAttributesA(Path("locked.txt").c_str(), FILE_ATTRIBUTE_READONLY |
                                                                 FILE_ATTRIBUTE_HIDDEN |
                                                                 FILE_ATTRIBUTE_SYSTEM));
  EXPECT_EQ(Call("DeleteFile", Path("locked.txt")), "1");
  EXPECT_FALSE(PathExists(Path("locked.txt")));

  EXPECT_EQ(Call("DeleteFile", Path("missing.txt")), "0");
  ASSERT_TRUE(CreateDirectoryA(Path("folder").c_str(), nullptr));
  EXPECT_EQ(Call("DeleteFile", Path("folder")), "0");
  EXPECT_TRUE(PathExists(Path("folder")));
}

TEST_F(FileFunctions, LoadFileGivesTheWholeContent) {
  const std::string text = "first line\r\nsecond line\r\n\xE4\xF6\xFC end";
  ASSERT_TRUE(WriteFileBytes(Path("text.txt"), text));
  ASSERT_TRUE(WriteFileBytes(Path("empty.txt"), ""));
  EXPECT_EQ(Call("LoadFile", Path("text.txt")), text);
  EXPECT_EQ(Call("LoadFile", Path("empty.txt")), "");
  EXPECT_EQ(Call("LoadFile", Path("missing.txt")), "");
  EXPECT_EQ(Eval("Length(LoadFile(" + Literal(Path("text.txt")) + "))"),
            std::to_string(text.size()));
}

TEST_F(FileFunctions, SaveFileWritesFromTheStartAndCutsTheRest) {
  // A new file is created.
  Eval("SaveFile(" + Literal(Path("new.txt")) + ", 'fresh')");
  EXPECT_EQ(ReadFileBytes(Path("new.txt")), "fresh");

  // A longer file keeps none of its old end, and stays the same file.
  ASSERT_TRUE(WriteFileBytes(Path("long.txt"), "0123456789 a long old content"));
  ASSERT_TRUE(SetFileAttributesA(Path("long.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  Eval("SaveFile(" + Literal(Path("long.txt")) + ", 'abc')");
  EXPECT_EQ(ReadFileBytes(Path("long.txt")), "abc");
  EXPECT_TRUE(GetFileAttributesA(Path("long.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);

  // Empty text leaves an empty file.
  Eval("SaveFile(" + Literal(Path("long.txt")) + ", '')");
  EXPECT_TRUE(PathExists(Path("long.txt")));
  EXPECT_EQ(ReadFileBytes(Path("long.txt")), "");

  // What LoadFile reads, SaveFile writes back unchanged.
  const std::string text = "line 1\r\nline 2\r\n";
  ASSERT_TRUE(WriteFileBytes(Path("source.txt"), text));
  Eval("SaveFile(" + Literal(Path("copy.txt")) + ", LoadFile(" + Literal(Path("source.txt")) +
       "))");
  EXPECT_EQ(ReadFileBytes(Path("copy.txt")), text);
}

TEST_F(FileFunctions, SaveFileLeavesAReadOnlyFileAlone) {
  ASSERT_TRUE(WriteFileBytes(Path("locked.txt"), "protected"));
  ASSERT_TRUE(SetFileAttributesA(Path("locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  Eval("SaveFile(" + Literal(Path("locked.txt")) + ", 'overwritten')");
  EXPECT_EQ(ReadFileBytes(Path("locked.txt")), "protected");
  EXPECT_TRUE(IsReadOnly(Path("locked.txt")));
  SetFileAttributesA(Path("locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);

  // A file in a missing folder is not made.
  Eval("SaveFile(" + Literal(Path("missing\\file.txt")) + ", 'x')");
  EXPECT_FALSE(PathExists(Path("missing")));
  EXPECT_FALSE(OverwriteFile(Path("missing\\file.txt"), "x"));
}

}  // namespace
}  // namespace cv
