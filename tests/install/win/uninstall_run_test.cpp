// The uninstall run: an installation made by the installation run over a
// project of the test's own is removed again, and the machine (the registry
// sandbox and the folders) is what it was before; the sections' edge cases
// run from logs written by hand.

#include "install/win/uninstall_run.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "database/variable_access.h"
#include "dialog_watcher.h"
#include "install/install_log.h"
#include "install/win/action_list.h"
#include "install/win/install_run.h"
#include "install/win/uninstall_registration.h"
#include "machine_snapshot.h"
#include "platform/ini_cache.h"
#include "platform/paths.h"
#include "platform/win/environment.h"
#include "platform/win/registry_path.h"
#include "plugins/message_dispatch.h"
#include "registry_sandbox.h"
#include "script/references.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::PathExists;
using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

constexpr char kSharedDlls[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\";

// The pending restart-time operations of the test's Wine prefix, put back
// as they were when the test ends.
class PendingRenamesGuard {
 public:
  PendingRenamesGuard() {
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                    nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    DWORD size = 0;
    had_ = RegQueryValueExA(key_, kValue, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
    if (had_) {
      data_.resize(size);
      RegQueryValueExA(key_, kValue, nullptr, &type_, data_.data(), &size);
    }
  }
  ~PendingRenamesGuard() {
    if (had_) {
      RegSetValueExA(key_, kValue, 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
    } else {
      RegDeleteValueA(key_, kValue);
    }
    RegCloseKey(key_);
  }
  std::string Text() const {
    DWORD size = 0;
    DWORD type = 0;
    if (RegQueryValueExA(key_, kValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    std::string data(size, '\0');
    RegQueryValueExA(key_, kValue, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    return data;
  }

 private:
  static constexpr const char* kValue = "PendingFileRenameOperations";
  HKEY key_ = nullptr;
  bool had_ = false;
  DWORD type_ = REG_MULTI_SZ;
  std::vector<BYTE> data_;
};

// The run's own view: the engine program is "Uninstall.exe" in the install
// folder, and removing it (which the real engine leaves to a batch file
// after its end) happens at once.
class UninstallHost : public UninstallRunHost {
 public:
  explicit UninstallHost(TcvMainDatabase& database) : database_(database) {}
  TcvMainDatabase& Database() override { return database_; }
  std::string Resolve(const std::string& text) override { return ExpandText(&database_, 0, text); }
  std::string EngineProgram() override { return program; }
  void RemoveEngineProgram(bool atRestart) override {
    removals.push_back(atRestart ? "restart" : "now");
    if (!atRestart) {
      DeleteFileA(program.c_str());
      RemoveDirectoryA(program.substr(0, program.rfind('\\')).c_str());
    }
  }
  std::string program;
  std::vector<std::string> removals;

 private:
  TcvMainDatabase& database_;
};

// The steps of the installation as small as a product needs them, each
// recorded as the real steps record theirs.
class InstallHost : public InstallRunHost {
 public:
  TcvMainDatabase& Database() override { return *database; }
  const std::string& SetupFileName() override { return setupFile; }
  const std::string& WorkFolder() override { return workFolder; }
  bool& ResumeMode() override { return resumeMode; }
  bool& Cancelled() override { return cancelled; }
  bool& ResumePending() override { return resumePending; }
  std::string EngineString(int n) override { return "S" + std::to_string(n); }
  std::string Resolve(const std::string& text) override {
    return ExpandText(database.get(), 0, text);
  }
  bool RemoveComponentFiles() override { return true; }
  bool CopyComponentFiles() override {
    AddFolderChain(ActionList(), installFolder + "Data\\Cache", true);
    for (const char* name : {"app.exe", "help.hlp", "Data\\Cache\\cache.bin"}) {
      TInstallFile* file = AddFile(ActionList(), installFolder + name, {}, true);
      if (!file) return false;
      WriteFileBytes(installFolder + name, "content of " + std::string(name));
    }
    // Windows makes the help index beside a help file when it is opened.
    WriteFileBytes(installFolder + "help.GID", "index");
    // A shared library: counted, and logged as shared.
    const std::string shared = sharedFolder + "shared.dll";
    if (!AddFile(ActionList(), shared, TcvFlags{TcvFlag::shared}, true)) return false;
    WriteFileBytes(shared, "shared library");
    RegWriteDword(kSharedDlls, shared, 1);
    LogWrite(LogSection::SharedFiles, shared, "");
    return true;
  }
  ItemResult InstallRegistryItem(TcvComponent&, TcvReg& item) override {
    const std::string regKey = Resolve(item.Key);
    const std::string param = Resolve(item.Param);
    AddKeyChain(ActionList(), regKey, true);
    auto& action = AddAction<TInstallReg>(ActionList());
    action.Key = regKey;
    action.Param = param;
    // A value that was there is written back by the uninstaller.
    if (RegValueType(regKey, param) == REG_DWORD) {
      action.Existed = true;
      action.OldType = REG_DWORD;
      action.OldValue = RegReadString(regKey, param, "");
      action.Log = false;
      LogWrite(LogSection::AddReg, RegistryLogKey(regKey, param),
               "4," + std::to_string(RegReadDword(regKey, param, 0)));
    }
    RegWriteString(regKey, param, Resolve(item.Value));
    return ItemResult::Done;
  }
  ItemResult InstallIniItem(TcvComponent&, TcvIni& item) override {
    const std::string file = Resolve(item.IniFile);
    // A file that was there is backed up but not logged: the uninstaller
    // takes out the entry, not the user's file.
    const TcvFlags flags = PathExists(file) ? TcvFlags{TcvFlag::dont_log} : TcvFlags{};
    if (!FindFile(ActionList(), file) && !AddFile(ActionList(), file, flags, false)) return ItemResult::Failed;
    auto& action = AddAction<TInstallIni>(ActionList());
    action.IniFile = file;
    action.Section = item.Section;
    action.Param = item.Param;
    IniWriteValue(file, item.Section, item.Param, Resolve(item.Value));
    return ItemResult::Done;
  }
  bool RegisterFonts() override { return true; }
  bool InstallShortcut(TcvComponent&, TcvShortcut& item) override {
    const std::string link = Resolve(item.Name) + ".lnk";
    if (!AddFile(ActionList(), link, TcvFlags{TcvFlag::dont_log}, true)) return false;
    AddAction<TInstallShortcut>(ActionList()).LinkFile = Resolve(item.Name);
    WriteFileBytes(link, "link");
    return true;
  }
  bool SetEnvironmentVariables() override {
    auto& action = AddAction<TInstallEnvVar>(ActionList());
    action.Name = envName;
    action.OldValue = GetEnvVar(envName, false, false);
    action.Value = installFolder + "bin";
    action.AddPath = true;
    SetEnvVar(envName, action.OldValue + ";" + action.Value, false);
    return true;
  }
  bool RegisterUninstall() override {
    key = RegisterUninstallKey(*database, setupFile, [&](const std::string& t) { return Resolve(t); });
    return true;
  }
  bool SaveSilentSettings() override { return WriteSilentSettings(*database, key); }

  std::unique_ptr<TcvMainDatabase> database = TcvMainDatabase::New();
  std::string setupFile, workFolder, installFolder, sharedFolder, envName, key;
  bool resumeMode = false, cancelled = false, resumePending = false;
};

class UninstallRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallLog();
    FlushIniCache();
    install_.setupFile = source_.Path() + "setup.exe";
    ASSERT_TRUE(WriteFileBytes(install_.setupFile, "engine"));
    install_.workFolder = work_.Path();
    ASSERT_TRUE(WriteFileBytes(work_.Path() + "Resume.exe", "bare engine"));
    install_.installFolder = root_.Path() + "Acme\\";
    install_.sharedFolder = shared_.Path();
    install_.envName = "CorvaneTestPath" + std::to_string(GetCurrentProcessId());
    SetEnvVar(install_.envName, "C:\\Before;C:\\Other", false);
    // In the layout the ini class writes, which an edit of the file keeps.
    ASSERT_TRUE(IniWriteValue(shared_.Path() + "other.ini", "Main", "Keep", "1"));
    FlushIniCache();
    ASSERT_TRUE(RegWriteString("HKLM\\Software\\Vendor", "Marker", "1"));
    ASSERT_TRUE(RegWriteDword("HKLM\\Software\\Vendor", "Level", 10));
    // A machine has its list of installed programs and of shared libraries.
    ASSERT_TRUE(RegWriteString("HKLM" + std::string(kUninstallKeyRoot) + "Other", "DisplayName",
                               "Other"));
    ASSERT_TRUE(RegWriteDword(kSharedDlls, "C:\\Other\\other.dll", 3));

    TcvMainDatabase& database = *install_.database;
    database.TempBackupPath = backups_.Path();
    SetMainDatabase(&database);
    SetVar(&database, "InstallPath", install_.installFolder);
    SetVar(&database, "Uninstall", "1");
    SetVar(&database, "AppID", "{ACME}");
    SetVar(&database, "AppName", "Acme");
    SetVar(&database, "LangID", "ENU");
    auto table = TcvLngTable::New();
    table->LngID = "ENU";
    table->SetParam("Uninstall.Strings.10", "Deleting");
    database.Languages->Add(std::move(table));
    auto component = TcvComponent::New();
    const auto reg = [&](const char* key, const char* param) {
      auto item = TcvReg::New();
      item->Key = key;
      item->Param = param;
      item->Value = "%AppName%";
      component->Registry->Add(std::move(item));
    };
    reg("HKLM\\Software\\Acme\\Settings\\Deep", "One");
    reg("HKLM\\Software\\Vendor", "Level");
    auto ini = TcvIni::New();
    ini->IniFile = shared_.Path() + "other.ini";
    ini->Section = "Main";
    ini->Param = "Added";
    ini->Value = "2";
    component->IniFiles->Add(std::move(ini));
    auto shortcut = TcvShortcut::New();
    shortcut->Name = install_.installFolder + "Acme";
    component->Shortcuts->Add(std::move(shortcut));
    database.Components->Add(std::move(component));

    before_ = Snapshot();
  }
  void TearDown() override {
    ActionList().ClearItems();
    FlushIniCache();
    ResetInstallLog();
    SetMainDatabase(nullptr);
    SetEnvVar(install_.envName, "", false);
  }

  snapshot::MachineSnapshot Snapshot() {
    FlushIniCache();
    snapshot::MachineSnapshot snapshot;
    snapshot.AddRegistry(HKEY_CURRENT_USER, "HKCU", sandbox_.Subkey());
    snapshot.AddFolder(root_.Path());
    snapshot.AddFolder(shared_.Path());
    // Of the user's environment only the test's own variable: other test
    // programs running beside this one change other variables.
    return snapshot;
  }

  // The test's variable as the product found it.
  void ExpectVariableAsBefore() { EXPECT_EQ(GetEnvVar(install_.envName, false, false), "C:\\Before;C:\\Other"); }

  bool Install() {
    if (!InstallRun(install_)) return false;
    // A finished installation keeps its changes.
    ActionList().ClearItems();
    FlushIniCache();
    ResetInstallLog();
    return true;
  }

  test::RegistrySandbox sandbox_{"UninstallRun"};
  TempFolder source_, work_, root_, shared_, backups_;
  InstallHost install_;
  snapshot::MachineSnapshot before_;
};

TEST_F(UninstallRunTest, UninstallingAnInstalledProductGivesTheMachineBackAsItWas) {
  ASSERT_TRUE(Install());
  const std::string folder = install_.installFolder;
  const std::string key = "HKLM" + std::string(kUninstallKeyRoot) + "{ACME}";
  ASSERT_EQ(install_.key, key);
  EXPECT_EQ(RegReadString(key, "UninstallString", ""),
            "\"" + folder + "Uninstall.exe\" \"" + folder + "install.log\"");
  EXPECT_TRUE(PathExists(folder + "install.sss"));
  EXPECT_EQ(RegReadDword(kSharedDlls, shared_.Path() + "shared.dll", 0), 1u);
  EXPECT_EQ(RegReadString("HKLM\\Software\\Vendor", "Level", ""), "Acme");
  EXPECT_FALSE(before_.DifferencesTo(Snapshot()).empty());
  EXPECT_NE(GetEnvVar(install_.envName, false, false), "C:\\Before;C:\\Other");

  // The uninstaller starts afresh: a database of its own with the log's path.
  auto database = TcvMainDatabase::New();
  SetMainDatabase(database.get());
  SetVar(database.get(), "InstallPath", ExcludeBackslash(folder));
  SetVar(database.get(), "AppID", "{ACME}");
  SetVar(database.get(), "InstalledAppPath", folder);
  UninstallHost host(*database);
  host.program = folder + "Uninstall.exe";
  ASSERT_TRUE(RunUninstall(host));
  EXPECT_EQ(host.removals, std::vector<std::string>{"now"});
  EXPECT_EQ(snapshot::DescribeDifferences(before_.DifferencesTo(Snapshot())), "");
  ExpectVariableAsBefore();
  SetMainDatabase(install_.database.get());
}


// A run that fails after the registration (the main flow rolls back when a
// plug-in cancels at the end, for instance) takes the product's entry with it.
TEST_F(UninstallRunTest, ARollbackAfterTheRegistrationLeavesNothingListed) {
  ASSERT_TRUE(InstallRun(install_));
  ASSERT_TRUE(RegKeyExists(install_.key));
  FlushIniCache();
  RollbackAll(ActionList());
  // What this test's copy step made without recording it: the help index
  // Windows would make, and the shared count.
  DeleteFileA((install_.installFolder + "help.GID").c_str());
  RemoveDirectoryA(install_.installFolder.c_str());
  RegDeleteValuePath(kSharedDlls, shared_.Path() + "shared.dll");
  EXPECT_EQ(snapshot::DescribeDifferences(before_.DifferencesTo(Snapshot())), "");
  ExpectVariableAsBefore();
}

// Edge cases of the sections, from logs written by hand.
class UninstallLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FlushIniCache();
    SetMainDatabase(database_.get());
    SetVar(database_.get(), "InstallPath", ExcludeBackslash(folder_.Path()));
    SetVar(database_.get(), "AppID", "Log");
    host_.program = folder_.Path() + "Uninstall.exe";
    ASSERT_TRUE(RegWriteString(key_, "SilentSettings", folder_.Path() + "install.sss"));
    ASSERT_TRUE(WriteFileBytes(folder_.Path() + "install.sss", "<silentsettings/>"));
  }
  void TearDown() override {
    FlushIniCache();
    SetMainDatabase(nullptr);
  }
  void WriteLog(const std::string& text) {
    ASSERT_TRUE(WriteFileBytes(folder_.Path() + "install.log", "[Strings]\r\n10=Deleting\r\n" + text));
  }
  std::string File(const std::string& name) {
    const std::string path = folder_.Path() + name;
    WriteFileBytes(path, name);
    return path;
  }

  test::RegistrySandbox sandbox_{"UninstallLog"};
  TempFolder folder_;
  std::unique_ptr<TcvMainDatabase> database_ = TcvMainDatabase::New();
  UninstallHost host_{*database_};
  std::string key_ = "HKLM" + std::string(kUninstallKeyRoot) + "Log";
};

TEST_F(UninstallLogTest, SharedFilesAreRemovedWithTheirLastCount) {
  const std::string three = File("three.dll"), one = File("one.dll"), none = File("none.dll"),
                    foreign = File("foreign.dll");
  RegWriteDword(kSharedDlls, three, 3);
  RegWriteDword(kSharedDlls, one, 1);
  RegWriteDword(kSharedDlls, foreign, 5);
  const std::string fonts = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\\";
  RegWriteString(fonts, "Three (TrueType)", three);
  WriteLog("[SharedFiles]\r\n" + three + "=\r\n" + one + "=\r\n" + none + "=\r\n" + foreign +
           "=\r\n[CopyFiles]\r\n" + three + "=\r\n" + one + "=\r\n" + none + "=\r\n" +
           "[RegFonts]\r\nThree (TrueType)=" + three + "\r\n");
  ASSERT_TRUE(UninstallWork(host_));
  EXPECT_TRUE(PathExists(three));
  EXPECT_EQ(RegReadDword(kSharedDlls, three, 0), 2u);
  EXPECT_EQ(RegReadString(fonts, "Three (TrueType)", ""), three);  // a kept font stays
  EXPECT_FALSE(PathExists(one));
  EXPECT_FALSE(RegValueExists(kSharedDlls, one));
  EXPECT_FALSE(PathExists(none));
  // Counted but not copied by this product (it was up to date): counted
  // down, and kept while others count it.
  EXPECT_TRUE(PathExists(foreign));
  EXPECT_EQ(RegReadDword(kSharedDlls, foreign, 0), 4u);
  EXPECT_FALSE(RegKeyExists(key_));
  EXPECT_FALSE(PathExists(folder_.Path() + "install.log"));
  EXPECT_FALSE(PathExists(folder_.Path() + "install.sss"));
}

// The last product to count a shared file removes it, also when an earlier
// product copied it and this one found it up to date.
TEST_F(UninstallLogTest, TheLastUserOfASharedFileRemovesItWhoeverCopiedIt) {
  const std::string shared = File("shared.dll");
  RegWriteDword(kSharedDlls, shared, 1);
  WriteLog("[SharedFiles]\r\n" + shared + "=\r\n");
  ASSERT_TRUE(UninstallWork(host_));
  EXPECT_FALSE(PathExists(shared));
  EXPECT_FALSE(RegValueExists(kSharedDlls, shared));
}

TEST_F(UninstallLogTest, RegistryValuesKeysAndHelpFiles) {
  RegWriteString("HKLM\\Software\\Acme", "Level", "changed");
  RegWriteString("HKLM\\Software\\Acme", "Added", "x");
  RegWriteString("HKLM\\Software\\Acme\\A\\B\\C", "V", "x");
  RegDeleteValuePath("HKLM\\Software\\Acme\\A\\B\\C", "V");
  const std::string help = File("guide.hlp"), gid = File("guide.gid"), fts = File("guide.FTS");
  const std::string wild1 = File("data1.tmp"), wild2 = File("data2.tmp");
  WriteLog("[AddReg]\r\nHKLM\\Software\\Acme\\'Level'=4,10\r\nHKLM\\Software\\Acme\\'Added'=\r\n"
           "[CreateKeys]\r\nHKLM\\Software\\Acme\\A=\r\nHKLM\\Software\\Acme\\A\\B\\C=\r\n"
           "HKLM\\Software\\Acme\\A\\B=\r\n"
           "[CopyFiles]\r\n" + help + "=\r\n" + folder_.Path() + "data?.tmp=\r\n");
  ASSERT_TRUE(UninstallWork(host_));
  EXPECT_EQ(RegValueType("HKLM\\Software\\Acme", "Level"), static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(RegReadDword("HKLM\\Software\\Acme", "Level", 0), 10u);
  EXPECT_FALSE(RegValueExists("HKLM\\Software\\Acme", "Added"));
  // Deepest first: every key went, though none was deleted with its subkeys.
  EXPECT_FALSE(RegKeyExists("HKLM\\Software\\Acme\\A"));
  for (const std::string& file : {help, gid, fts, wild1, wild2}) EXPECT_FALSE(PathExists(file)) << file;
}

TEST_F(UninstallLogTest, AFileInUseIsDeletedAtTheNextStart) {
  PendingRenamesGuard pending;
  const std::string busy = File("busy.dll");
  HANDLE handle = CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  SetVar(database_.get(), "InstalledAppPath", folder_.Path());
  WriteLog("[CopyFiles]\r\n" + busy + "=\r\n");
  const bool ok = UninstallWork(host_);
  CloseHandle(handle);
  ASSERT_TRUE(ok);
  EXPECT_TRUE(PathExists(busy));
  EXPECT_TRUE(GetVarBool(database_.get(), "Reboot", false));
  EXPECT_NE(pending.Text().find("busy.dll"), std::string::npos);
  // The uninstaller itself goes at the same restart.
  EXPECT_EQ(host_.removals, std::vector<std::string>{"restart"});
}

TEST_F(UninstallLogTest, PathListsLoseOnlyTheAddedElements) {
  const std::string name = "CorvaneTestList" + std::to_string(GetCurrentProcessId());
  struct Case {
    bool system;
    std::string before, logged, after;
  };
  for (const Case& c : std::vector<Case>{
           {true, "C:\\A;C:\\Added;C:\\B", "1,C:\\Added", "C:\\A;C:\\B"},
           {false, "C:\\A; c:\\added ;C:\\B;C:\\A", "0,C:\\ADDED;C:\\Gone", "C:\\A;C:\\B"},
           {false, "whole value", "0,", ""},
       }) {
    SetEnvVar(name, c.before, c.system);
    WriteLog("[EnvVars]\r\n" + name + "=" + c.logged + "\r\n");
    EXPECT_TRUE(UninstallWork(host_));
    EXPECT_EQ(GetEnvVar(name, c.system, false), c.after) << c.logged;
    SetEnvVar(name, "", c.system);
  }
}

TEST_F(UninstallLogTest, AFailingProgramStopsTheRun) {
  const std::string file = File("app.exe");
  const std::string fail = "'cmd.exe','/c exit 3','',0,'',1,1";
  // Before the removal: the product stays as it is.
  WriteLog("[PreRunApp]\r\n0=" + fail + "\r\n[CopyFiles]\r\n" + file + "=\r\n");
  EXPECT_FALSE(RunUninstall(host_));
  EXPECT_TRUE(PathExists(file));
  EXPECT_TRUE(RegKeyExists(key_));
  // Without the exit-code flag its code does not count.
  WriteLog("[PreRunApp]\r\n0='cmd.exe','/c exit 3','',0,'',1,0\r\n");
  EXPECT_TRUE(RunUninstall(host_));
  // After the removal: the files are gone; the registration and the log,
  // with the folder it lies in, stay for the uninstaller's next start.
  RegWriteString(key_, "DisplayName", "Log");
  WriteLog("[RunApp]\r\n0=" + fail + "\r\n[CopyFiles]\r\n" + File("app.exe") +
           "=\r\n[CreateDirs]\r\n" + ExcludeBackslash(folder_.Path()) + "=\r\n");
  EXPECT_FALSE(RunUninstall(host_));
  EXPECT_FALSE(PathExists(file));
  EXPECT_TRUE(RegKeyExists(key_));
  EXPECT_TRUE(PathExists(folder_.Path() + "install.log"));
}

TEST_F(UninstallLogTest, TwoProductsShareALibraryAndAFontUntilTheLastGoes) {
  TempFolder common;
  const std::string library = common.Path() + "common.dll";
  const std::string font = common.Path() + "common.ttf";
  WriteFileBytes(library, "library");
  WriteFileBytes(font, "font");
  const std::string fonts = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\\";
  RegWriteString(fonts, "Common (TrueType)", font);
  RegWriteDword(kSharedDlls, library, 2);
  RegWriteDword(kSharedDlls, font, 2);
  const auto logFor = [&](const std::string& product) {
    const std::string own = File(product + ".exe");
    const std::string log = folder_.Path() + product + ".log";
    WriteFileBytes(log, "[SharedFiles]\r\n" + library + "=\r\n" + font + "=\r\n[CopyFiles]\r\n" +
                            own + "=\r\n" + library + "=\r\n" + font +
                            "=\r\n[RegFonts]\r\nCommon (TrueType)=" + font + "\r\n");
    return own;
  };
  const std::string first = logFor("first"), second = logFor("second");

  SetVar(database_.get(), "LogFile", folder_.Path() + "first.log");
  ASSERT_TRUE(UninstallWork(host_));
  EXPECT_FALSE(PathExists(first));
  EXPECT_TRUE(PathExists(library));
  EXPECT_TRUE(PathExists(font));
  EXPECT_EQ(RegReadDword(kSharedDlls, library, 0), 1u);
  EXPECT_EQ(RegReadString(fonts, "Common (TrueType)", ""), font);

  SetVar(database_.get(), "LogFile", folder_.Path() + "second.log");
  ASSERT_TRUE(UninstallWork(host_));
  EXPECT_FALSE(PathExists(second));
  EXPECT_FALSE(PathExists(library));
  EXPECT_FALSE(PathExists(font));
  EXPECT_FALSE(RegValueExists(kSharedDlls, library));
  EXPECT_FALSE(RegValueExists(kSharedDlls, font));
  EXPECT_FALSE(RegValueExists(fonts, "Common (TrueType)"));
}

TEST_F(UninstallLogTest, WithoutItsLogTheProductStaysListed) {
  SetVar(database_.get(), "LogFile", folder_.Path() + "missing.log");
  test::DialogWatcher watcher;
  EXPECT_FALSE(RunUninstall(host_));
  ASSERT_TRUE(watcher.WaitForCount(1, 10000));
  EXPECT_EQ(watcher.Seen()[0].Text, "Cannot read the install log \"" + folder_.Path() + "missing.log\".");
  EXPECT_TRUE(RegKeyExists(key_));
  EXPECT_TRUE(PathExists(folder_.Path() + "install.sss"));
}

}  // namespace
}  // namespace cv
