// Ini items on real files: the entry written through the ini cache, the file
// backed up once before its first edit, and rollback giving back the file as
// it was, or taking away the file the run created.

#include "install/win/ini_step.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "database/main_database.h"
#include "install/install_log.h"
#include "install/win/action_list.h"
#include "platform/ini_cache.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::PathExists;
using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

class IniStepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    database_->TempBackupPath = backups_.Path();
    SetMainDatabase(database_.get());
  }
  void TearDown() override {
    FlushIniCache();
    RollbackAll(list_);
    ResetInstallLog();
    SetMainDatabase(nullptr);
  }

  ItemResult Install(const std::string& file, const std::string& key, const std::string& value,
                     TcvFlags flags = {}, TcvInstallAction action = TcvInstallAction::add) {
    auto item = TcvIni::New();
    item->IniFile = file;
    item->Section = "Main";
    item->Param = key;
    item->Value = value;
    item->Flags = flags;
    item->Action = action;
    return InstallIniItem(
        list_, *item, [](const std::string& text) { return text; },
        [this](const std::string& caption, const std::string& text) {
          boxes_.push_back(caption + ": " + text);
        });
  }
  const TInstallIni& IniAction(int index) const {
    return *dynamic_cast<const TInstallIni*>(list_.Action(index));
  }
  const TInstallFile& FileAction(int index) const {
    return *dynamic_cast<const TInstallFile*>(list_.Action(index));
  }

  TempFolder folder_, backups_;
  std::unique_ptr<TcvMainDatabase> database_ = TcvMainDatabase::New();
  TInstallActions list_;
  std::vector<std::string> boxes_;
};

TEST_F(IniStepTest, NewFileIsListedForTheUninstallerAndRemovedByRollback) {
  const std::string file = folder_.Path() + "new.ini";
  ASSERT_EQ(Install(file, "One", "1"), ItemResult::Done);
  ASSERT_EQ(Install(file, "Two", "2"), ItemResult::Done);
  FlushIniCache();
  EXPECT_EQ(ReadFileBytes(file), "[Main]\r\nOne=1\r\nTwo=2\r\n\r\n");
  // One file action, before the first edit; the file is the run's own.
  ASSERT_EQ(list_.Count(), 3);
  EXPECT_EQ(FileAction(0).FileName, file);
  EXPECT_FALSE(FileAction(0).Existed);
  EXPECT_TRUE(FileAction(0).Log);
  EXPECT_EQ(IniAction(1).Param, "One");
  EXPECT_EQ(IniAction(1).OldValue, "");
  EXPECT_TRUE(IniAction(2).Log);
  RollbackAll(list_);
  EXPECT_FALSE(PathExists(file));
}

TEST_F(IniStepTest, ExistingFileIsRestoredFromItsBackup) {
  const std::string file = folder_.Path() + "app.ini";
  const std::string before = "; the user's comment\r\n[Main]\r\nKeep=1\r\nSize=10\r\n";
  ASSERT_TRUE(WriteFileBytes(file, before));
  ASSERT_EQ(Install(file, "Size", "20"), ItemResult::Done);
  ASSERT_EQ(Install(file, "Added", "yes"), ItemResult::Done);
  FlushIniCache();
  EXPECT_EQ(IniReadValue(file, "Main", "Size", ""), "20");
  ASSERT_EQ(list_.Count(), 3);
  EXPECT_TRUE(FileAction(0).Existed);
  EXPECT_FALSE(FileAction(0).Log) << "a file that was there stays after uninstallation";
  EXPECT_EQ(IniAction(1).OldValue, "10");
  EXPECT_EQ(IniAction(2).OldValue, "");
  FlushIniCache();
  RollbackAll(list_);
  EXPECT_EQ(ReadFileBytes(file), before);
  EXPECT_TRUE(test::FolderEntries(backups_.Path()).empty());
}

TEST_F(IniStepTest, DontOverwriteSkipsAnExistingKeyOnly) {
  const std::string file = folder_.Path() + "app.ini";
  ASSERT_TRUE(WriteFileBytes(file, "[Main]\r\nMine=user\r\n"));
  const TcvFlags flags{TcvFlag::dont_overwrite};
  EXPECT_EQ(Install(file, "Mine", "new", flags), ItemResult::Skipped);
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_EQ(Install(file, "Other", "new", flags), ItemResult::Done);
  EXPECT_EQ(IniReadValue(file, "Main", "Mine", ""), "user");
  EXPECT_EQ(IniReadValue(file, "Main", "Other", ""), "new");
}

TEST_F(IniStepTest, RemoveDeletesTheKeyAndRecordsNothing) {
  const std::string file = folder_.Path() + "app.ini";
  ASSERT_TRUE(WriteFileBytes(file, "[Main]\r\nOld=1\r\nKeep=2\r\n"));
  EXPECT_EQ(Install(file, "Old", "", {}, TcvInstallAction::remove), ItemResult::Done);
  FlushIniCache();
  EXPECT_EQ(ReadFileBytes(file), "[Main]\r\nKeep=2\r\n\r\n");
  EXPECT_EQ(list_.Count(), 0);
}

TEST_F(IniStepTest, NotLoggedItemsAndEditsOfTheInstallLogAreNotListed) {
  const std::string file = folder_.Path() + "quiet.ini";
  ASSERT_EQ(Install(file, "A", "1", TcvFlags{TcvFlag::dont_log}), ItemResult::Done);
  EXPECT_FALSE(FileAction(0).Log);
  EXPECT_FALSE(IniAction(1).Log);
  const std::string log = folder_.Path() + "install.log";
  SetLogFileName(log);
  ASSERT_EQ(Install(folder_.Path() + "INSTALL.LOG", "Extra", "1"), ItemResult::Done);
  EXPECT_FALSE(IniAction(list_.Count() - 1).Log);
  EXPECT_TRUE(IniAction(list_.Count() - 1).Flags.Contains(TcvFlag::dont_log));
}

TEST_F(IniStepTest, MissingFoldersAreRecordedAndRolledBack) {
  const std::string file = folder_.Path() + "conf\\local\\app.ini";
  ASSERT_EQ(Install(file, "A", "1"), ItemResult::Done);
  FlushIniCache();
  EXPECT_EQ(IniReadValue(file, "Main", "A", ""), "1");
  ASSERT_EQ(list_.Count(), 4);
  EXPECT_EQ(dynamic_cast<const TInstallFolder*>(list_.Action(0))->Folder, folder_.Path() + "conf");
  EXPECT_EQ(dynamic_cast<const TInstallFolder*>(list_.Action(1))->Folder,
            folder_.Path() + "conf\\local");
  FlushIniCache();
  RollbackAll(list_);
  EXPECT_FALSE(PathExists(folder_.Path() + "conf"));
}

TEST_F(IniStepTest, FileThatCannotBeWrittenShowsTheErrorAndFails) {
  const std::string file = folder_.Path() + "locked.ini";
  ASSERT_TRUE(WriteFileBytes(file, "[Main]\r\nA=0\r\n"));
  // Another program reads it and lets nobody write meanwhile.
  HANDLE reader = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Install(file, "A", "1"), ItemResult::Failed);
  CloseHandle(reader);
  EXPECT_EQ(boxes_, (std::vector<std::string>{"Error: Error changing ini-file \"" + file + "\"."}));
  FlushIniCache();
  RollbackAll(list_);
  EXPECT_EQ(ReadFileBytes(file), "[Main]\r\nA=0\r\n");
}

}  // namespace
}  // namespace cv
