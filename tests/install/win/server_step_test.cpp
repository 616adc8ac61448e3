// The COM-server step with the test COM server, whose registration entries
// write and remove a key of their own in the build's Wine prefix.

#include "install/win/server_step.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "database/main_database.h"
#include "dialog_watcher.h"
#include "install/win/action_list.h"
#include "install/win/file_copy.h"
#include "install/win/installed_file_services.h"
#include "item_events.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::TempFolder;
using test::WriteFileBytes;

constexpr char kServerKey[] = "Software\\CorvaneTest\\ComServer";

std::string Fixture(const std::string& name) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1) + "versioned\\" + name;
}

bool ServerKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kServerKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

class ServerStepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, kServerKey);
    database_ = TcvMainDatabase::New();
    database_->TempBackupPath = backups_.Path();
    SetMainDatabase(database_.get());
  }
  void TearDown() override {
    RollbackAll(list_);
    SetMainDatabase(nullptr);
    RegDeleteKeyA(HKEY_CURRENT_USER, kServerKey);
  }

  // A file the copy step has installed with the item's flags.
  TInstallFile& Installed(const std::string& path, TcvFlags flags) {
    TInstallFile* file = AddFile(list_, path, flags, true);
    EXPECT_NE(file, nullptr);
    return *file;
  }

  TempFolder folder_;
  TempFolder backups_;
  std::unique_ptr<TcvMainDatabase> database_;
  TInstallActions list_;
};

TEST_F(ServerStepTest, RecordedServerIsRegisteredAndRollbackUnregistersIt) {
  const std::string server = folder_.Path() + "server.dll";
  Installed(folder_.Path() + "plain.txt", {});
  Installed(server, TcvFlags{TcvFlag::reg_server});
  ASSERT_TRUE(BufferedCopyFile(Fixture("versioned_com_2_0_0_0.dll"), server));
  ASSERT_TRUE(RegisterServers(list_));
  EXPECT_TRUE(ServerKeyExists());

  RollbackAll(list_);
  EXPECT_FALSE(ServerKeyExists());
  EXPECT_EQ(GetFileAttributesA(server.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ServerStepTest, FileThatCannotBeRegisteredEndsTheStepWithItsBox) {
  const std::string broken = folder_.Path() + "broken.dll";
  const std::string server = folder_.Path() + "server.dll";
  Installed(broken, TcvFlags{TcvFlag::reg_server});
  ASSERT_TRUE(WriteFileBytes(broken, "not a program"));
  Installed(server, TcvFlags{TcvFlag::reg_server});
  ASSERT_TRUE(BufferedCopyFile(Fixture("versioned_com_2_0_0_0.dll"), server));

  test::DialogWatcher watcher;
  EXPECT_FALSE(RegisterServers(list_));
  ASSERT_EQ(watcher.Seen().size(), 1u);
  EXPECT_EQ(watcher.Seen()[0].Caption, "Error");
  EXPECT_EQ(watcher.Seen()[0].Text, "Cannot register \"" + broken + "\".");
  EXPECT_FALSE(ServerKeyExists());
}

TEST_F(ServerStepTest, EachServerIsAnnouncedAndAPluginMaySkipIt) {
  const std::string skipped = folder_.Path() + "skipped.dll";
  const std::string server = folder_.Path() + "server.dll";
  Installed(skipped, TcvFlags{TcvFlag::reg_server});
  ASSERT_TRUE(WriteFileBytes(skipped, "would fail if it were registered"));
  Installed(server, TcvFlags{TcvFlag::reg_server, TcvFlag::shared});
  ASSERT_TRUE(BufferedCopyFile(Fixture("versioned_com_2_0_0_0.dll"), server));

  test::ItemEvents events("skipped.dll");
  ASSERT_TRUE(RegisterServers(list_));
  EXPECT_TRUE(ServerKeyExists());
  EXPECT_EQ(events.seen, (std::vector<std::string>{"EV_BEFOREPROCESSITEM 4," + skipped + ",0",
                                                   "EV_BEFOREPROCESSITEM 4," + server + ",0",
                                                   "EV_AFTERPROCESSITEM 4," + server + ",0"}));
}

TEST_F(ServerStepTest, AFileTheRunRemovedOrNeverWroteIsNotRegistered) {
  const std::string obsolete = folder_.Path() + "obsolete.dll";
  ASSERT_TRUE(BufferedCopyFile(Fixture("versioned_com_2_0_0_0.dll"), obsolete));
  ASSERT_TRUE(RegisterServerRoutine()(obsolete));
  ASSERT_NE(AddRemovedFile(list_, obsolete, TcvFlags{TcvFlag::reg_server}), nullptr);
  EXPECT_FALSE(ServerKeyExists()) << "unregistered before it went";
  auto& kept = AddAction<TInstallFile>(list_);
  kept.FileName = folder_.Path() + "never-written.dll";
  kept.Flags = TcvFlags{TcvFlag::reg_server};

  test::DialogWatcher watcher;
  EXPECT_TRUE(RegisterServers(list_));
  EXPECT_TRUE(watcher.Seen().empty());
  EXPECT_FALSE(ServerKeyExists());
}

}  // namespace
}  // namespace cv
