#include "install/win/restart_file_operations.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "platform/win/file_access.h"
#include "platform/win/registry_path.h"
#include "registry_sandbox.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::PathExists;
using test::TempFolder;
using test::WriteFileBytes;

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

// The 9x branch, on an ini file of the test's own and a sandboxed run-once key.
TEST(ScheduleWininitRename, AddsTheEntriesToAnExistingRenameSection) {
  test::RegistrySandbox sandbox("WininitRename");
  TempFolder temp;
  const std::string ini = temp.Path() + "wininit.ini";
  const std::string source = temp.Path() + "NEW.DLL";
  const std::string target = temp.Path() + "OLD.DLL";
  ASSERT_TRUE(WriteFileBytes(source, "new"));
  ASSERT_TRUE(WriteFileBytes(ini, "[Rename]\r\nNUL=C:\\X.TMP\r\n\r\n[Other]\r\na=1\r\n"));
  ASSERT_TRUE(ScheduleWininitRename(source, target, ini, kMachineRunOnceKey));
  const std::string shortSource = ShortPathName(source);
  const std::string shortTarget = ShortPathName(temp.Path()) + "OLD.DLL";
  EXPECT_EQ(test::ReadFileBytes(ini), "[Rename]\r\nNUL=C:\\X.TMP\r\nNUL=" + shortTarget +
                                          "\r\n" + shortTarget + "=" + shortSource +
                                          "\r\n\r\n[Other]\r\na=1\r\n");
  EXPECT_FALSE(PathExists(target));  // the stand-in for its short name is gone
  EXPECT_FALSE(PathExists(temp.Path() + "wininit.bak"));
  // Only a path whose 8.3 form differs needs its long name back.
  EXPECT_EQ(RegValueExists(kMachineRunOnceKey, "Rename " + shortTarget), shortTarget != target);
}

TEST(ScheduleWininitRename, ALongTargetNameGetsARunOnceRename) {
  test::RegistrySandbox sandbox("WininitRenameLong");
  TempFolder temp;
  const std::string ini = temp.Path() + "wininit.ini";
  const std::string source = temp.Path() + "new content.dll";
  const std::string target = temp.Path() + "long target name.dll";
  ASSERT_TRUE(WriteFileBytes(source, "new"));
  ASSERT_TRUE(ScheduleWininitRename(source, target, ini, kMachineRunOnceKey));
  const std::string shortSource = ShortPathName(source);
  ASSERT_TRUE(WriteFileBytes(target, ""));
  const std::string shortTarget = ShortPathName(target);
  ASSERT_NE(shortTarget, target);
  EXPECT_EQ(test::ReadFileBytes(ini), "[Rename]\r\nNUL=" + shortTarget + "\r\n" + shortTarget +
                                          "=" + shortSource + "\r\n");
  EXPECT_EQ(RegReadString(kMachineRunOnceKey, "Rename " + shortTarget, "missing"),
            "command.com /c ren " + shortTarget + " \"long target name.dll\"");
}

TEST(ScheduleWininitRename, DeletionWritesOneEntry) {
  test::RegistrySandbox sandbox("WininitDelete");
  TempFolder temp;
  const std::string ini = temp.Path() + "wininit.ini";
  const std::string file = temp.Path() + "GONE.DLL";
  ASSERT_TRUE(WriteFileBytes(file, "x"));
  ASSERT_TRUE(WriteFileBytes(ini, "[Other]\r\na=1\r\n"));
  ASSERT_TRUE(ScheduleWininitRename(file, "", ini, kMachineRunOnceKey));
  EXPECT_EQ(test::ReadFileBytes(ini),
            "[Other]\r\na=1\r\n[Rename]\r\nNUL=" + ShortPathName(file) + "\r\n");
}

}  // namespace
}  // namespace cv
