#include "install/win/file_utils.h"

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

// The pending renames Windows carries out at the next start.
std::vector<std::string> PendingRenames() {
  std::vector<std::string> entries;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return entries;
  }
  DWORD size = 0;
  DWORD type = 0;
  if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, &type, nullptr, &size) ==
      ERROR_SUCCESS) {
    std::string data(size, '\0');
    RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, &type,
                     reinterpret_cast<BYTE*>(data.data()), &size);
    for (std::size_t at = 0; at < data.size();) {
      const std::size_t end = data.find('\0', at);
      entries.push_back(data.substr(at, end - at));
      if (end == std::string::npos) break;
      at = end + 1;
    }
  }
  RegCloseKey(key);
  return entries;
}

// Restores the machine's pending renames when the test ends.
class PendingRenamesGuard {
 public:
  PendingRenamesGuard() {
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                  KEY_QUERY_VALUE | KEY_SET_VALUE, &key_);
    DWORD size = 0;
    had_ = key_ && RegQueryValueExA(key_, "PendingFileRenameOperations", nullptr, &type_, nullptr,
                                    &size) == ERROR_SUCCESS;
    if (had_) {
      data_.resize(size);
      RegQueryValueExA(key_, "PendingFileRenameOperations", nullptr, &type_, data_.data(), &size);
    }
  }
  ~PendingRenamesGuard() {
    if (!key_) return;
    if (had_) {
      RegSetValueExA(key_, "PendingFileRenameOperations", 0, type_, data_.data(),
                     static_cast<DWORD>(data_.size()));
    } else {
      RegDeleteValueA(key_, "PendingFileRenameOperations");
    }
    RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
  bool had_ = false;
  DWORD type_ = REG_MULTI_SZ;
  std::vector<BYTE> data_;
};

bool Contains(const std::vector<std::string>& entries, const std::string& text) {
  for (const auto& entry : entries) {
    if (lstrcmpiA(entry.c_str(), text.c_str()) == 0) return true;
  }
  return false;
}

TEST(ScheduleFileDelete, RegistersTheDeletionForTheNextStart) {
  PendingRenamesGuard guard;
  TempFolder temp;
  const std::string file = temp.Path() + "in use.dll";
  ASSERT_TRUE(WriteFileBytes(file, "x"));
  ScheduleFileDelete(file);
  EXPECT_TRUE(Contains(PendingRenames(), "\\??\\" + file));
  EXPECT_TRUE(PathExists(file));  // nothing happens before the restart
}

TEST(ScheduleFileReplace, DeletesTheTargetThenMovesTheSourceIn) {
  PendingRenamesGuard guard;
  TempFolder temp;
  const std::string source = temp.Path() + "new.dll";
  const std::string target = temp.Path() + "old.dll";
  ASSERT_TRUE(WriteFileBytes(source, "new"));
  ASSERT_TRUE(WriteFileBytes(target, "old"));
  const auto before = PendingRenames().size();
  ScheduleFileReplace(source, target);
  const auto after = PendingRenames();
  ASSERT_GE(after.size(), before + 4);
  // Pairs of (from, to); an empty "to" deletes.
  const std::vector<std::string> added(after.end() - 5, after.end() - 1);
  EXPECT_TRUE(Contains(added, "\\??\\" + target));
  EXPECT_TRUE(Contains(added, "\\??\\" + source));
}

TEST(ScheduleFileReplace, MissingSourceChangesNothing) {
  PendingRenamesGuard guard;
  TempFolder temp;
  const auto before = PendingRenames();
  ScheduleFileReplace(temp.Path() + "absent.dll", temp.Path() + "target.dll");
  EXPECT_EQ(PendingRenames(), before);
}

}  // namespace
}  // namespace cv
