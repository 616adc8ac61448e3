// The action list on real files, folders and registry keys: what it records,
// and that rolling it back leaves the machine as it was.

#include "install/win/action_list.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "database/main_database.h"
#include "database/variable_access.h"
#include "dialog_watcher.h"
#include "install/install_log.h"
#include "platform/ini_cache.h"
#include "platform/paths.h"
#include "platform/win/registry_path.h"
#include "registry_sandbox.h"
#include "same_bytes.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::FolderEntries;
using test::PathExists;
using test::ReadFileBytes;
using test::SameBytes;
using test::TempFolder;
using test::WriteFileBytes;

class ActionListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    database_ = TcvMainDatabase::New();
    database_->TempBackupPath = backups_.Path();
    SetMainDatabase(database_.get());
  }
  void TearDown() override {
    SetMainDatabase(nullptr);
    FlushIniCache();
  }

  TempFolder temp_;
  TempFolder backups_;
  std::unique_ptr<TcvMainDatabase> database_;
  TInstallActions list_;
};

TEST_F(ActionListTest, NewFileHasNoBackupAndItsRollbackDeletesItOnly) {
  const std::string target = temp_.Path() + "new.txt";
  TInstallFile* file = AddFile(list_, target, TcvFlags{TcvFlag::dont_log}, true);
  ASSERT_NE(file, nullptr);
  EXPECT_FALSE(file->Existed);
  EXPECT_TRUE(file->BackupFileName.empty());
  EXPECT_FALSE(file->Log);
  ASSERT_TRUE(WriteFileBytes(target, "installed"));
  RollbackAll(list_);
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_FALSE(PathExists(target));
  EXPECT_TRUE(FolderEntries(backups_.Path()).empty());
}

TEST_F(ActionListTest, ReplacedFileIsRestoredByteForByte) {
  const std::string target = temp_.Path() + "app.dll";
  std::string previous(200000, '\0');
  for (std::size_t i = 0; i < previous.size(); ++i) previous[i] = static_cast<char>(i % 253);
  ASSERT_TRUE(WriteFileBytes(target, previous));
  TInstallFile* file = AddFile(list_, target, {}, true);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->Existed);
  EXPECT_TRUE(file->Log);
  EXPECT_FALSE(file->Pending);
  EXPECT_FALSE(PathExists(target));  // removed for the new content
  EXPECT_TRUE(SameBytes(ReadFileBytes(file->BackupFileName), previous));
  EXPECT_EQ(file->BackupFileName.rfind(backups_.Path(), 0), 0u);
  ASSERT_TRUE(WriteFileBytes(target, "new content"));
  EXPECT_EQ(FindFile(list_, temp_.Path() + "APP.DLL"), file);
  EXPECT_EQ(FindFile(list_, temp_.Path() + "other.dll"), nullptr);
  RollbackAll(list_);
  EXPECT_TRUE(SameBytes(ReadFileBytes(target), previous));
  EXPECT_TRUE(FolderEntries(backups_.Path()).empty());
}

TEST_F(ActionListTest, KeptFileIsBackedUpAsTheRunLeftItSoFar) {
  const std::string ini = temp_.Path() + "app.ini";
  ASSERT_TRUE(WriteFileBytes(ini, "[Main]\r\nA=1\r\n"));
  ASSERT_TRUE(IniWriteValue(ini, "Main", "B", "2"));  // still only in the cache
  TInstallFile* file = AddFile(list_, ini, {}, false);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(ReadFileBytes(file->BackupFileName), "[Main]\r\nA=1\r\nB=2\r\n\r\n");
  EXPECT_TRUE(PathExists(ini));
}

// A backup that cannot be made leaves the user's file alone and records
// nothing, so that no later rollback deletes a file it cannot give back.
TEST_F(ActionListTest, FailedBackupRecordsNothingAndKeepsTheTarget) {
  const std::string target = temp_.Path() + "keep.txt";
  ASSERT_TRUE(WriteFileBytes(target, "user data"));
  database_->TempBackupPath = temp_.Path() + "no such folder\\";
  EXPECT_EQ(AddFile(list_, target, {}, true), nullptr);
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_EQ(ReadFileBytes(target), "user data");
  RollbackAll(list_);
  EXPECT_EQ(ReadFileBytes(target), "user data");
}

// Held open without delete sharing, as a running program holds its files.
HANDLE HoldOpen(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

// The delayed moves Windows keeps for the next start, put back afterwards.
class PendingMovesGuard {
 public:
  PendingMovesGuard() {
    had_ = ReadValue(data_);
  }
  ~PendingMovesGuard() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    if (had_) {
      RegSetValueExA(key, kValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data_.data()),
                     static_cast<DWORD>(data_.size()));
    } else {
      RegDeleteValueA(key, kValue);
    }
    RegCloseKey(key);
  }
  static bool ReadValue(std::string& data) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
      return false;
    }
    DWORD size = 0;
    const bool found = RegQueryValueExA(key, kValue, nullptr, nullptr, nullptr, &size) == 0;
    data.assign(size, '\0');
    if (found) {
      RegQueryValueExA(key, kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
    }
    RegCloseKey(key);
    return found;
  }

 private:
  static constexpr char kKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  static constexpr char kValue[] = "PendingFileRenameOperations";
  bool had_ = false;
  std::string data_;
};

TEST_F(ActionListTest, LockedTargetBecomesAPendingReplacementScheduledAtTheEnd) {
  PendingMovesGuard guard;
  const std::string target = temp_.Path() + "busy.dll";
  ASSERT_TRUE(WriteFileBytes(target, "old"));
  HANDLE held = HoldOpen(target);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  TInstallFile* file = AddFile(list_, target, {}, true);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->Pending);
  EXPECT_EQ(ExtractFolder(file->TmpFileName), temp_.Path());
  EXPECT_EQ(file->TmpFileName.substr(temp_.Path().size(), 2), "cv");
  EXPECT_EQ(GetVar(database_.get(), "Reboot", "0"), "1");
  ASSERT_TRUE(WriteFileBytes(file->TmpFileName, "new"));
  ScheduleReplacements(list_);
  std::string moves;
  ASSERT_TRUE(PendingMovesGuard::ReadValue(moves));
  const std::string nt = "\\??\\";
  const std::string replace = nt + file->TmpFileName + '\0' + nt + target + '\0';
  const std::string removeOld = nt + target + '\0' + '\0';
  const auto removeAt = moves.find(removeOld);
  ASSERT_NE(removeAt, std::string::npos);
  // The target goes first, then the new content moves in.
  EXPECT_NE(moves.find(replace, removeAt), std::string::npos);
  CloseHandle(held);
  // Rolled back before the restart: the old file is still there, the new
  // content is gone.
  const std::string tmp = file->TmpFileName;
  RollbackAll(list_);
  EXPECT_FALSE(PathExists(tmp));
  EXPECT_EQ(ReadFileBytes(target), "old");
}

TEST_F(ActionListTest, LockedFileToRemoveIsDeletedAtTheNextStartNotReplacedByAnEmptyOne) {
  PendingMovesGuard guard;
  const std::string target = temp_.Path() + "obsolete.dll";
  ASSERT_TRUE(WriteFileBytes(target, "old"));
  HANDLE held = HoldOpen(target);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  TInstallFile* file = AddRemovedFile(list_, target, {});
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->Pending);
  EXPECT_TRUE(file->TmpFileName.empty());
  EXPECT_EQ(FolderEntries(temp_.Path()), std::vector<std::string>{"obsolete.dll"});
  ScheduleReplacements(list_);
  std::string moves;
  ASSERT_TRUE(PendingMovesGuard::ReadValue(moves));
  const std::string nt = "\\??\\";
  EXPECT_NE(moves.find(nt + target + '\0' + '\0'), std::string::npos);
  EXPECT_EQ(moves.find('\0' + nt + target + '\0', moves.find(nt + target) + 1), std::string::npos)
      << "something is moved onto the target";
  CloseHandle(held);
  RollbackAll(list_);
  EXPECT_EQ(ReadFileBytes(target), "old");
}

TEST_F(ActionListTest, AReplacedFileHeldOpenAtTheRollbackGetsItsBackupAtTheNextStart) {
  PendingMovesGuard guard;
  const std::string target = temp_.Path() + "running.exe";
  ASSERT_TRUE(WriteFileBytes(target, "the user's version"));
  ASSERT_NE(AddFile(list_, target, {}, true), nullptr);
  ASSERT_TRUE(WriteFileBytes(target, "new version"));
  // A program the run started still holds it.
  HANDLE held = HoldOpen(target);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  test::DialogWatcher watcher;
  RollbackAll(list_);
  CloseHandle(held);
  std::string moves;
  ASSERT_TRUE(PendingMovesGuard::ReadValue(moves));
  const std::string nt = "\\??\\";
  const std::size_t onto = moves.find('\0' + nt + target + '\0', moves.find(nt + target + '\0' + '\0'));
  ASSERT_NE(onto, std::string::npos) << "no move onto the target";
  const std::size_t from = moves.rfind(nt, onto - 1);
  const std::string copy = moves.substr(from + nt.size(), onto - from - nt.size());
  EXPECT_EQ(ExtractFolder(copy), temp_.Path());
  EXPECT_EQ(ReadFileBytes(copy), "the user's version");
  EXPECT_EQ(GetVar(database_.get(), "Reboot", "0"), "1");
  DeleteFileA(copy.c_str());
}

TEST_F(ActionListTest, FolderChainIsRecordedParentsFirstAndRolledBackChildrenFirst) {
  const std::string deep = temp_.Path() + "a\\b\\c\\";
  AddFolderChain(list_, deep, true);
  ASSERT_EQ(list_.Count(), 3);
  EXPECT_EQ(dynamic_cast<TInstallFolder*>(list_.Action(0))->Folder, temp_.Path() + "a");
  EXPECT_EQ(dynamic_cast<TInstallFolder*>(list_.Action(2))->Folder, temp_.Path() + "a\\b\\c");
  EXPECT_TRUE(PathExists(deep));
  AddFolderChain(list_, deep, true);  // nothing left to create
  EXPECT_EQ(list_.Count(), 3);
  // Something of the user's in "a" keeps it; the empty children go.
  ASSERT_TRUE(WriteFileBytes(temp_.Path() + "a\\mine.txt", "x"));
  RollbackAll(list_);
  EXPECT_FALSE(PathExists(temp_.Path() + "a\\b"));
  EXPECT_TRUE(PathExists(temp_.Path() + "a\\mine.txt"));
}

TEST_F(ActionListTest, KeyChainAndValuesAreRolledBack) {
  test::RegistrySandbox sandbox("ActionListKeys");
  ASSERT_TRUE(RegWriteString("HKLM\\Software\\Acme", "Old", "before"));
  AddKeyChain(list_, "HKLM\\Software\\Acme\\One\\Two\\", true);
  ASSERT_EQ(list_.Count(), 2);
  EXPECT_EQ(dynamic_cast<TInstallRegKey*>(list_.Action(0))->Key, "HKLM\\Software\\Acme\\One");
  EXPECT_TRUE(RegKeyExists("HKLM\\Software\\Acme\\One\\Two"));
  auto& changed = AddAction<TInstallReg>(list_);
  changed.Key = "HKLM\\Software\\Acme";
  changed.Param = "Old";
  changed.Existed = true;
  changed.OldType = REG_SZ;
  changed.OldValue = "before";
  ASSERT_TRUE(RegWriteDword("HKLM\\Software\\Acme", "Old", 7));
  auto& added = AddAction<TInstallReg>(list_);
  added.Key = "HKLM\\Software\\Acme\\One";
  added.Param = "New";
  ASSERT_TRUE(RegWriteString("HKLM\\Software\\Acme\\One", "New", "x"));
  auto& kept = AddAction<TInstallReg>(list_);
  kept.Key = "HKLM\\Software\\Acme";
  kept.Param = "Kept";
  kept.DontRollback = true;
  ASSERT_TRUE(RegWriteString("HKLM\\Software\\Acme", "Kept", "stays"));
  RollbackAll(list_);
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_FALSE(RegKeyExists("HKLM\\Software\\Acme\\One"));
  EXPECT_EQ(RegValueType("HKLM\\Software\\Acme", "Old"), static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(RegReadString("HKLM\\Software\\Acme", "Old", ""), "before");
  EXPECT_EQ(RegReadString("HKLM\\Software\\Acme", "Kept", ""), "stays");
}

TEST_F(ActionListTest, ResumeStateSavedAndLoadedGivesTheSameLog) {
  TempFolder work;
  SetVar(database_.get(), "AppName", "Acme");
  AddFolderChain(list_, temp_.Path() + "x\\y", true);
  auto& reg = AddAction<TInstallReg>(list_);
  reg.Key = "HKCU\\Software\\Acme";
  reg.Param = "P";
  reg.Flags = TcvFlags{TcvFlag::shared, TcvFlag::add_path};
  auto& file = AddAction<TInstallFile>(list_);
  file.FileName = temp_.Path() + "x\\f.dll";
  file.Flags = TcvFlags{TcvFlag::reg_server};
  file.Pending = true;  // not carried across the restart
  ASSERT_TRUE(SaveResumeState(work.Path(), *database_, list_));
  EXPECT_TRUE(PathExists(work.Path() + "MainDB"));
  EXPECT_TRUE(PathExists(work.Path() + "InstallActions"));

  const auto writeLog = [&](const TInstallActions& actions, const std::string& name) {
    ResetInstallLog();
    SetLogFileName(work.Path() + name);
    SetLoggingEnabled(true);
    WriteLogAll(actions);
    FlushIniCache();
    ResetInstallLog();
    return ReadFileBytes(work.Path() + name);
  };
  auto loadedDatabase = TcvMainDatabase::New();
  TInstallActions loaded;
  ASSERT_TRUE(LoadResumeState(work.Path(), *loadedDatabase, loaded));
  EXPECT_EQ(GetVar(loadedDatabase.get(), "AppName", ""), "Acme");
  ASSERT_EQ(loaded.Count(), list_.Count());
  EXPECT_FALSE(dynamic_cast<TInstallFile*>(loaded.Action(3))->Pending);
  EXPECT_EQ(loaded.Action(2)->Flags, reg.Flags);
  const std::string original = writeLog(list_, "a.log");
  EXPECT_NE(original.find("[RegServers]"), std::string::npos);
  EXPECT_EQ(writeLog(loaded, "b.log"), original);
  list_.ClearItems();  // nothing to undo: the folders belong to the test
}

TEST_F(ActionListTest, LoadingFailsWhenTheProjectIsMissing) {
  TempFolder work;
  ASSERT_TRUE(list_.SaveToFile(work.Path() + "InstallActions", kInstallActionsRootName));
  auto database = TcvMainDatabase::New();
  TInstallActions loaded;
  EXPECT_FALSE(LoadResumeState(work.Path(), *database, loaded));
}

}  // namespace
}  // namespace cv
