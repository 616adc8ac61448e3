// Environment variables set by a project, in the registry sandbox: the
// machine's and the user's, whole values and folders added to path lists of
// any length, and rollback giving back each value with its type and bytes.

#include "install/win/environment_step.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "install/install_log.h"
#include "install/win/action_list.h"
#include "platform/ini_cache.h"
#include "platform/win/environment.h"
#include "platform/win/registry_path.h"
#include "registry_sandbox.h"
#include "script/references.h"
#include "temp_folder.h"

namespace cv {
namespace {

std::string Location(bool system) {
  return system ? std::string("HKLM\\") + kSystemEnvironmentKey
                : std::string("HKCU\\") + kUserEnvironmentKey;
}

struct Stored {
  DWORD type = 0;
  std::string bytes;
  bool operator==(const Stored&) const = default;
};

Stored Read(bool system, const std::string& name) {
  Stored stored;
  if (!RegReadBytes(Location(system), name, stored.type, stored.bytes)) return {};
  return stored;
}

// The machine's variables (true) and the user's (false) behave alike.
class EnvironmentStepTest : public ::testing::TestWithParam<bool> {
 protected:
  void TearDown() override {
    RollbackAll(list_);
    FlushIniCache();
    ResetInstallLog();
  }
  bool System() const { return GetParam(); }

  TcvVariable& Variable(TcvVariables& list, const std::string& name, const std::string& value,
                        TcvFlags flags) {
    auto variable = TcvVariable::New();
    variable->VarType = TcvVarType::vtEnvVar;
    variable->Name = name;
    variable->Value = value;
    if (System()) flags.Include(TcvFlag::sys_envvar);
    variable->Flags = flags;
    TcvVariable& added = *variable;
    list.Add(std::move(variable));
    return added;
  }
  TcvVariable& Variable(const std::string& name, const std::string& value, TcvFlags flags = {}) {
    return Variable(*database_->Variables, name, value, flags);
  }
  bool Run() {
    return SetEnvironmentItems(
        *database_, list_,
        {[](TXMLObject* context, const std::string& text) { return ExpandText(context, 0, text); },
         [this](const std::string& caption, const std::string& text) {
           boxes_.push_back(caption + ": " + text);
         },
         [this] { ++announced_; }});
  }
  const TInstallEnvVar& Action(int index) const {
    return *dynamic_cast<const TInstallEnvVar*>(list_.Action(index));
  }

  test::RegistrySandbox sandbox_{"EnvironmentStep"};
  std::unique_ptr<TcvMainDatabase> database_ = TcvMainDatabase::New();
  TInstallActions list_;
  std::vector<std::string> boxes_;
  int announced_ = 0;
};

// A PATH far beyond 8 KB, with references, gains the new folders at its
// end and loses nothing; it stays expandable, and rollback gives back its
// exact bytes. The other environment is not touched.
TEST_P(EnvironmentStepTest, LongExpandablePathGainsFoldersAndRollbackGivesItBack) {
  std::string path;
  for (int i = 0; i < 700; ++i) path += "%SystemRoot%\\Tools\\Package" + std::to_string(i) + ";";
  path += "C:\\Last";
  ASSERT_GT(path.size(), 16000u);
  ASSERT_TRUE(RegWriteBytes(Location(System()), "Path", REG_EXPAND_SZ, path + '\0'));
  ASSERT_TRUE(
      RegWriteBytes(Location(!System()), "Path", REG_EXPAND_SZ, std::string("C:\\Other") + '\0'));
  const Stored before = Read(System(), "Path");
  const Stored other = Read(!System(), "Path");

  Variable("Path", "C:\\Acme\\bin; %systemroot%\\TOOLS\\package5 ;;C:\\Acme\\lib",
           TcvFlags{TcvFlag::add_path});
  ASSERT_TRUE(Run());
  EXPECT_EQ(Read(System(), "Path"),
            (Stored{REG_EXPAND_SZ, path + ";C:\\Acme\\bin;C:\\Acme\\lib" + '\0'}));
  EXPECT_EQ(Read(!System(), "Path"), other);
  EXPECT_EQ(announced_, 1);
  ASSERT_EQ(list_.Count(), 1);
  EXPECT_EQ(Action(0).Name, "Path");
  EXPECT_EQ(Action(0).Value, "C:\\Acme\\bin;%systemroot%\\TOOLS\\package5;C:\\Acme\\lib");
  EXPECT_EQ(Action(0).OldValue, path);
  EXPECT_TRUE(Action(0).AddPath);
  EXPECT_EQ(Action(0).SysVar, System());

  RollbackAll(list_);
  EXPECT_EQ(Read(System(), "Path"), before);
  EXPECT_EQ(Read(!System(), "Path"), other);
}

TEST_P(EnvironmentStepTest, FolderAlreadyInTheListAddsNothingButIsRecorded) {
  ASSERT_TRUE(RegWriteBytes(Location(System()), "Path", REG_SZ, std::string("C:\\A;C:\\B\0", 10)));
  Variable("Path", "c:\\b", TcvFlags{TcvFlag::add_path});
  ASSERT_TRUE(Run());
  EXPECT_EQ(Read(System(), "Path"), (Stored{REG_SZ, std::string("C:\\A;C:\\B\0", 10)}));
  ASSERT_EQ(list_.Count(), 1);
  EXPECT_EQ(Action(0).Value, "c:\\b");
  EXPECT_EQ(Action(0).OldValue, "C:\\A;C:\\B");
}

TEST_P(EnvironmentStepTest, AnEmptyFolderListIsNoItem) {
  Variable("Path", " ; ", TcvFlags{TcvFlag::add_path});
  ASSERT_TRUE(Run());
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_EQ(announced_, 0);
  EXPECT_EQ(Read(System(), "Path"), Stored{});
}

// Whole values: set, overwritten, or left alone with dont_overwrite; the
// database's variables first, then each package's, resolved in their own
// package.
TEST_P(EnvironmentStepTest, WholeValuesAreSetAndRolledBack) {
  ASSERT_TRUE(SetEnvVar("Mine", "user's", System()));
  ASSERT_TRUE(SetEnvVar("Replaced", "old", System()));
  Variable("Mine", "new", TcvFlags{TcvFlag::dont_overwrite});
  Variable("Fresh", "fresh", TcvFlags{TcvFlag::dont_overwrite});
  Variable("Replaced", "new");
  auto package = TcvPackage::New();
  auto folder = TcvVariable::New();
  folder->Name = "Folder";
  folder->Value = "C:\\Packaged";
  package->Variables->Add(std::move(folder));
  Variable(*package->Variables, "FromPackage", "%Folder%\\bin", {});
  database_->Packages->Add(std::move(package));

  ASSERT_TRUE(Run());
  EXPECT_EQ(GetEnvVar("Mine", System(), false), "user's");
  EXPECT_EQ(GetEnvVar("Fresh", System(), false), "fresh");
  EXPECT_EQ(GetEnvVar("Replaced", System(), false), "new");
  EXPECT_EQ(GetEnvVar("FromPackage", System(), false), "C:\\Packaged\\bin");
  EXPECT_EQ(announced_, 1);
  ASSERT_EQ(list_.Count(), 3);
  EXPECT_EQ(Action(0).Name, "Fresh");
  EXPECT_EQ(Action(1).OldValue, "old");
  EXPECT_EQ(Action(2).Name, "FromPackage");
  EXPECT_TRUE(boxes_.empty());

  RollbackAll(list_);
  EXPECT_EQ(GetEnvVar("Mine", System(), false), "user's");
  EXPECT_EQ(GetEnvVar("Replaced", System(), false), "old");
  EXPECT_EQ(Read(System(), "Fresh"), Stored{});
  EXPECT_EQ(Read(System(), "FromPackage"), Stored{});
}

// Folders that several items add to one variable are all listed for the
// uninstaller.
TEST_P(EnvironmentStepTest, TheLogListsEveryAddedFolderOnce) {
  test::TempFolder folder;
  SetLogFileName(folder.Path() + "install.log");
  SetLoggingEnabled(true);
  Variable("Path", "C:\\Acme\\bin", TcvFlags{TcvFlag::add_path});
  Variable("Path", "C:\\Acme\\lib", TcvFlags{TcvFlag::add_path});
  Variable("AcmeHome", "C:\\Acme");
  Variable("Quiet", "1", TcvFlags{TcvFlag::dont_log});
  ASSERT_TRUE(Run());
  EXPECT_EQ(GetEnvVar("Path", System(), false), "C:\\Acme\\bin;C:\\Acme\\lib");
  WriteLogAll(list_);
  FlushIniCache();
  const std::string flag = System() ? "1," : "0,";
  EXPECT_EQ(
      test::ReadFileBytes(folder.Path() + "install.log"),
      "[EnvVars]\r\nPath=" + flag + "C:\\Acme\\bin;C:\\Acme\\lib\r\nAcmeHome=" + flag + "\r\n\r\n");
}

INSTANTIATE_TEST_SUITE_P(MachineAndUser, EnvironmentStepTest, ::testing::Bool());

}  // namespace
}  // namespace cv
