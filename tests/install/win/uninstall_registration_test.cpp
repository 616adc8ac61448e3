// The uninstall registration and the silent settings, old references from a
// previous log, and the entry as Wine's own list of installed programs reads
// it.

#include "install/win/uninstall_registration.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "database/model_hooks.h"
#include "database/variable_access.h"
#include "install/install_log.h"
#include "install/win/action_list.h"
#include "install/win/old_references.h"
#include "platform/ini_cache.h"
#include "platform/paths.h"
#include "platform/win/registry_path.h"
#include "registry_sandbox.h"
#include "script/evaluate_expression.h"
#include "script/references.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::PathExists;
using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

class UninstallRegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallLog();
    FlushIniCache();
    database_->TempBackupPath = backups_.Path();
    SetMainDatabase(database_.get());
    SetVar(database_.get(), "AppName", "Acme");
    SetVar(database_.get(), "AppID", "{ACME}");
    SetVar(database_.get(), "InstallPath", folder_.Path());
    SetVar(database_.get(), "UninstallPath", folder_.Path());
    SetVar(database_.get(), "AppVersion", "1.2");
    SetVar(database_.get(), "CompanyName", "Acme Ltd");
    SetLogFileName(folder_.Path() + "install.log");
    SetLoggingEnabled(true);
  }
  void TearDown() override {
    RollbackAll(ActionList());
    FlushIniCache();
    ResetInstallLog();
    SetMainDatabase(nullptr);
  }
  std::string Register() {
    return RegisterUninstallKey(*database_, "C:\\setup.exe", [&](const std::string& text) {
      return ExpandText(database_.get(), 0, text);
    });
  }
  std::string Log() {
    FlushIniCache();
    return ReadFileBytes(folder_.Path() + "install.log");
  }

  test::RegistrySandbox sandbox_{"UninstallRegistration"};
  TempFolder folder_, backups_;
  std::unique_ptr<TcvMainDatabase> database_ = TcvMainDatabase::New();
};

TEST_F(UninstallRegistrationTest, TheKeyHoldsItsValuesInOrder) {
  const std::string key = Register();
  EXPECT_EQ(key, "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{ACME}");
  EXPECT_EQ(RegReadString(key, "DisplayName", ""), "Acme");
  EXPECT_EQ(RegReadString(key, "UninstallString", ""),
            "\"" + folder_.Path() + "Uninstall.exe\" \"" + folder_.Path() + "install.log\"");
  EXPECT_EQ(RegReadString(key, "InstallSourceFile", ""), "C:\\setup.exe");
  EXPECT_EQ(RegReadString(key, "DisplayVersion", ""), "1.2");
  EXPECT_EQ(RegReadString(key, "Publisher", ""), "Acme Ltd");
  // Empty texts are not written at all.
  EXPECT_FALSE(RegValueExists(key, "HelpLink"));
  EXPECT_EQ(Log(), "[CreateKeys]\r\n" + key + "=\r\n\r\n");
  SetVar(database_.get(), "UninstallDisplayName", "Acme Suite");
  Register();
  EXPECT_EQ(RegReadString(key, "DisplayName", ""), "Acme Suite");
}

TEST_F(UninstallRegistrationTest, WithoutAnAppIdTheKeyEndsInApp) {
  SetVar(database_.get(), "AppID", "");
  EXPECT_EQ(Register(), "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App");
}

TEST_F(UninstallRegistrationTest, WithoutRightsToTheMachineTheUserIsRegistered) {
  // A volatile parent refuses the stored key beneath it, as a machine key
  // refuses a user without rights.
  const std::string branch = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  ASSERT_TRUE(RegWriteString("HKLM\\" + branch, "Marker", "1"));
  ASSERT_TRUE(RegWriteString("HKCU\\" + branch, "Marker", "1"));
  const std::string parent = sandbox_.Subkey() + "\\HKLM\\" + branch + "\\Uninstall";
  HKEY volatileKey = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, parent.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(volatileKey);
  const std::string key = Register();
  EXPECT_EQ(key, "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{ACME}");
  EXPECT_EQ(RegReadString(key, "DisplayName", ""), "Acme");
  EXPECT_EQ(Log(), "[CreateKeys]\r\n" + key + "=\r\n\r\n");
}

TEST_F(UninstallRegistrationTest, SilentSettingsLeaveOutTheProductsIdentity) {
  SetVar(database_.get(), "Custom", "kept");
  SetVar(database_.get(), "SilentMode", "1");
  auto hidden = TcvVariable::New();
  hidden->Name = "Hidden";
  hidden->Value = "x";
  hidden->Condition = "0";
  database_->Variables->Add(std::move(hidden));
  auto feature = TcvFeature::New();
  feature->ID = "Main";
  feature->Selected = true;
  auto unselected = TcvFeature::New();
  unselected->ID = "Extra";
  database_->Features->Add(std::move(feature));
  database_->Features->Add(std::move(unselected));
  database_->ActiveInstallType = "Typical";
  InstallEvaluatorHooks();
  SetConditionEvaluation(true);

  const std::string key = Register();
  const bool written = WriteSilentSettings(*database_, key);
  SetConditionEvaluation(false);
  ASSERT_TRUE(written);
  const std::string file = folder_.Path() + "install.sss";
  EXPECT_EQ(RegReadString(key, "SilentSettings", ""), file);
  auto settings = TcvSilentSettings::New();
  ASSERT_TRUE(settings->LoadFromFile(file, kSilentSettingsRootName));
  EXPECT_EQ(settings->ActiveInstallType, "Typical");
  std::vector<std::string> names;
  for (int i = 0; i < settings->Variables->Count(); ++i) {
    names.push_back(settings->Variables->Variable(i)->Name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"InstallPath", "UninstallPath", "Custom"}));
  ASSERT_EQ(settings->Features->Count(), 1);
  EXPECT_EQ(settings->Features->ItemAs<TcvFeature>(0)->ID, "Main");
}

TEST_F(UninstallRegistrationTest, DisableRepairWritesNoSilentSettings) {
  SetVar(database_.get(), "DisableRepair", "1");
  const std::string key = Register();
  ASSERT_TRUE(WriteSilentSettings(*database_, key));
  EXPECT_FALSE(PathExists(folder_.Path() + "install.sss"));
  EXPECT_FALSE(RegValueExists(key, "SilentSettings"));
}

TEST_F(UninstallRegistrationTest, OldReferencesOfAPreviousLogGo) {
  const std::string f = folder_.Path();
  ASSERT_TRUE(WriteFileBytes(f + "Old.lnk", "link"));
  ASSERT_TRUE(WriteFileBytes(f + "Old.pif", "pif"));
  CreateDirectoryA((f + "Full").c_str(), nullptr);
  ASSERT_TRUE(WriteFileBytes(f + "Full\\kept.txt", "user's"));
  CreateDirectoryA((f + "Empty").c_str(), nullptr);
  CreateDirectoryA((f + "Empty\\Inner").c_str(), nullptr);
  const std::string root = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  ASSERT_TRUE(RegWriteString("HKLM" + root + "Old\\Sub", "V", "1"));
  ASSERT_TRUE(RegWriteString("HKCU" + root + "OldUser", "V", "1"));
  ASSERT_TRUE(RegWriteString("HKLM\\Software\\Acme", "V", "1"));
  ASSERT_TRUE(WriteFileBytes(f + "old.log",
                             "[Shortcuts]\r\n" + f + "Old.lnk=\r\n[CreateDirs]\r\n" + f + "Empty=\r\n" +
                                 f + "Empty\\Inner=\r\n" + f + "Full=\r\n[CreateKeys]\r\nHKLM" + root +
                                 "Old=\r\nhkcu" + root + "OldUser=\r\nHKLM\\Software\\Acme=\r\n"));
  ASSERT_TRUE(RemoveOldReferences(f + "old.log"));
  EXPECT_FALSE(PathExists(f + "Old.lnk"));
  EXPECT_FALSE(PathExists(f + "Old.pif"));
  EXPECT_FALSE(PathExists(f + "Empty"));
  EXPECT_TRUE(PathExists(f + "Full\\kept.txt"));
  EXPECT_FALSE(RegKeyExists("HKLM" + root + "Old"));
  EXPECT_FALSE(RegKeyExists("HKCU" + root + "OldUser"));
  EXPECT_TRUE(RegKeyExists("HKLM\\Software\\Acme"));
  // The old links come back with a rollback.
  RollbackAll(ActionList());
  EXPECT_EQ(ReadFileBytes(f + "Old.lnk"), "link");
  EXPECT_EQ(ReadFileBytes(f + "Old.pif"), "pif");
}

// Wine's list of installed programs is a client of the real key: the
// product appears with its display name.
TEST(UninstallRegistrationClient, WinesUninstallerListsTheProduct) {
  TempFolder folder;
  ResetInstallLog();
  SetLogFileName(folder.Path() + "install.log");
  SetLoggingEnabled(true);
  auto database = TcvMainDatabase::New();
  SetMainDatabase(database.get());
  const std::string appId = "CorvaneListed" + std::to_string(GetCurrentProcessId());
  SetVar(database.get(), "AppID", appId);
  SetVar(database.get(), "AppName", "Corvane Listed Product");
  SetVar(database.get(), "UninstallPath", folder.Path());
  const std::string key = RegisterUninstallKey(*database, "C:\\setup.exe",
                                               [&](const std::string& text) {
                                                 return ExpandText(database.get(), 0, text);
                                               });

  // The program's output goes to a file: it is read once the program ended.
  const auto list = [&] {
    const std::string outputFile = folder.Path() + "list.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE output = CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process = {};
    char command[] = "uninstaller.exe --list";
    if (CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &process)) {
      WaitForSingleObject(process.hProcess, 60000);
      CloseHandle(process.hProcess);
      CloseHandle(process.hThread);
    }
    CloseHandle(output);
    return ReadFileBytes(outputFile);
  };
  const std::string listed = list();
  RegDeleteKeyPath(key, true);
  FlushIniCache();
  ResetInstallLog();
  SetMainDatabase(nullptr);
  EXPECT_NE(listed.find(appId + "|||Corvane Listed Product"), std::string::npos) << listed;
}

}  // namespace
}  // namespace cv
