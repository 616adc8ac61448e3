// The installation run over a project of the test's own: its steps and their
// messages in order, a locked file replaced at the next start, and a failure
// at each step rolled back to the machine as it was.

#include "install/win/install_run.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "database/variable_access.h"
#include "install/install_log.h"
#include "install/install_progress.h"
#include "install/win/action_list.h"
#include "install/win/environment_step.h"
#include "install/win/ini_step.h"
#include "install/win/registry_step.h"
#include "platform/ini_cache.h"
#include "platform/win/environment.h"
#include "platform/win/registry_path.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"
#include "dialog_watcher.h"
#include "platform/win/file_system.h"
#include "registry_sandbox.h"
#include "script/evaluate_expression.h"
#include "script/event_scripts.h"
#include "script/references.h"
#include "same_bytes.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::PathExists;
using test::ReadFileBytes;
using test::SameBytes;
using test::TempFolder;
using test::WriteFileBytes;

// Every event the run sends, as "NAME v1,v2,...", and the answers a test
// chooses for some of them.
class RecordingHandler {
 public:
  RecordingHandler() {
    MessageHandlers handlers;
    handlers.Plugins = [this](std::int32_t, std::int32_t id, const std::string& name,
                              std::int32_t in, std::int32_t, bool) {
      std::string line = name;
      for (std::int32_t i = 0; i < GetCount(in); ++i) {
        line += i == 0 ? " " : ",";
        line += GetKind(in, i) == kParamString ? GetStr(in, i) : std::to_string(GetInt(in, i));
      }
      seen.push_back(line);
      for (const auto& [answerId, answerLine] : answers) {
        if (answerId == id && line.rfind(answerLine, 0) == 0) return 1;
      }
      return 0;
    };
    previous_ = SetMessageHandlers(handlers);
  }
  ~RecordingHandler() { SetMessageHandlers(previous_); }

  // The events other than progress.
  std::vector<std::string> Items() const {
    std::vector<std::string> items;
    for (const auto& line : seen) {
      if (line.rfind("EV_INSTALLPROGRESS", 0) != 0) items.push_back(line);
    }
    return items;
  }

  std::vector<std::string> seen;
  std::vector<std::pair<std::int32_t, std::string>> answers;

 private:
  MessageHandlers previous_;
};

// The steps of the other parts, done here as small as the run needs them:
// the copy step replaces one file and creates a folder, registry items write
// their value, ini items their entry, shortcuts a file; any step can be made
// to fail.
class TestHost : public InstallRunHost {
 public:
  TcvMainDatabase& Database() override { return *database; }
  const std::string& SetupFileName() override { return setupFile; }
  const std::string& WorkFolder() override { return workFolder; }
  bool& ResumeMode() override { return resumeMode; }
  bool& Cancelled() override { return cancelled; }
  bool& ResumePending() override { return resumePending; }
  std::string EngineString(int n) override { return "S" + std::to_string(n) + " %s"; }
  std::string Resolve(const std::string& text) override {
    return ExpandText(database.get(), 0, text);
  }
  int AskMessageBox(const std::string&, const std::string& text, unsigned) override {
    asked.push_back(text);
    return answers.empty() ? IDCANCEL : Next(answers);
  }

  bool RemoveComponentFiles() override { return Done("remove"); }
  bool CopyComponentFiles() override {
    copyThread = GetCurrentThreadId();
    TInstallFile* file = AddFile(ActionList(), replaced, {}, true);
    if (!file) return false;
    WriteFileBytes(file->Pending ? file->TmpFileName : replaced, "new content");
    AddFolderChain(ActionList(), createdFolder, true);
    return Done("copy");
  }
  bool RegisterServers() override { return Done("servers"); }
  ItemResult InstallRegistryItem(TcvComponent&, TcvReg& item) override {
    if (realSteps) return cv::InstallRegistryItem(ActionList(), item, Resolver(), Box());
    const std::string key = Resolve(item.Key);
    AddKeyChain(ActionList(), key, true);
    auto& action = AddAction<TInstallReg>(ActionList());
    action.Key = key;
    action.Param = Resolve(item.Param);
    RegWriteString(key, action.Param, Resolve(item.Value));
    return Outcome(Done("registry"));
  }
  ItemResult InstallIniItem(TcvComponent&, TcvIni& item) override {
    if (realSteps) return cv::InstallIniItem(ActionList(), item, Resolver(), Box());
    const std::string file = Resolve(item.IniFile);
    if (!FindFile(ActionList(), file) && !AddFile(ActionList(), file, {}, false)) {
      return ItemResult::Failed;
    }
    auto& action = AddAction<TInstallIni>(ActionList());
    action.IniFile = file;
    action.Section = item.Section;
    action.Param = item.Param;
    IniWriteValue(file, item.Section, item.Param, Resolve(item.Value));
    return Outcome(Done("ini"));
  }
  bool RegisterFonts() override { return Done("fonts"); }
  bool InstallShortcut(TcvComponent&, TcvShortcut& item) override {
    const std::string link = Resolve(item.Name);
    if (!AddFile(ActionList(), link, {}, true)) return false;
    AddAction<TInstallShortcut>(ActionList()).LinkFile = link;
    WriteFileBytes(link, "link");
    return Done("shortcuts");
  }
  bool SetEnvironmentVariables() override {
    if (realSteps) {
      const auto resolve = [](TXMLObject* context, const std::string& text) {
        return ExpandText(context, 0, text);
      };
      SetEnvironmentItems(*database, ActionList(), {resolve, Box(), [this] { ++announced; }});
    }
    return Done("environment");
  }
  // The steps themselves instead of their stand-ins.
  bool realSteps = false;
  std::vector<std::string> boxes;
  int announced = 0;
  ResolveText Resolver() {
    return [this](const std::string& text) { return Resolve(text); };
  }
  ErrorBoxRoutine Box() {
    return [this](const std::string&, const std::string& text) { boxes.push_back(text); };
  }
  bool RunProgram(TcvComponent&, TcvRunApp& item) override {
    programs.push_back(Resolve(item.CmdLine));
    return Done("program");
  }
  bool RegisterUninstall() override {
    LogWrite(LogSection::CreateKeys, "HKLM\\Software\\Microsoft\\Windows\\Uninstall\\Acme", "");
    return Done("registration");
  }

  static ItemResult Outcome(bool ok) { return ok ? ItemResult::Done : ItemResult::Failed; }
  bool Done(const std::string& step) {
    steps.push_back(step);
    return step != failAt;
  }
  static int Next(std::vector<int>& list) {
    const int first = list.front();
    list.erase(list.begin());
    return first;
  }

  std::unique_ptr<TcvMainDatabase> database = TcvMainDatabase::New();
  std::string setupFile;
  std::string workFolder;
  std::string replaced;
  std::string createdFolder;
  bool resumeMode = false;
  bool cancelled = false;
  bool resumePending = false;
  std::string failAt;
  std::vector<std::string> steps;
  std::vector<std::string> programs;
  std::vector<std::string> asked;
  std::vector<int> answers;
  DWORD copyThread = 0;
};

class InstallRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallLog();
    FlushIniCache();
    host_.setupFile = source_.Path() + "setup.exe";
    ASSERT_TRUE(WriteFileBytes(host_.setupFile, "engine"));
    host_.workFolder = work_.Path();
    ASSERT_TRUE(WriteFileBytes(work_.Path() + "Resume.exe", "bare engine"));
    host_.replaced = target_.Path() + "app.dll";
    ASSERT_TRUE(WriteFileBytes(host_.replaced, previous_));
    host_.createdFolder = target_.Path() + "Data\\Cache";
    ASSERT_TRUE(WriteFileBytes(target_.Path() + "app.ini", "[Main]\r\nKeep=1\r\n"));
    ASSERT_TRUE(WriteFileBytes(target_.Path() + "install.log", "previous log"));

    // The sandbox's machine hive starts empty; a real one has its software key.
    ASSERT_TRUE(RegWriteString("HKLM\\Software\\Vendor", "Marker", "1"));

    TcvMainDatabase& database = *host_.database;
    database.TempBackupPath = backups_.Path();
    SetMainDatabase(&database);
    SetVar(&database, "InstallPath", target_.Path());
    SetVar(&database, "Uninstall", "1");
    SetVar(&database, "AppID", "{ACME}");
    SetVar(&database, "AppName", "Acme");
    SetVar(&database, "AdminRights", "1");
    SetVar(&database, "LangID", "ENU");
    auto table = TcvLngTable::New();
    table->LngID = "ENU";
    table->SetParam("Uninstall.Strings.10", "Remove %AppName%?");
    database.Languages->Add(std::move(table));

    auto component = TcvComponent::New();
    component->Size = 1;
    for (const char* name : {"One", "Two"}) {
      auto reg = TcvReg::New();
      reg->Key = "HKLM\\Software\\Acme\\Settings";
      reg->Param = name;
      reg->Value = "%AppName%";
      component->Registry->Add(std::move(reg));
    }
    auto ini = TcvIni::New();
    ini->IniFile = target_.Path() + "app.ini";
    ini->Section = "Main";
    ini->Param = "Added";
    ini->Value = "2";
    component->IniFiles->Add(std::move(ini));
    auto shortcut = TcvShortcut::New();
    shortcut->Name = target_.Path() + "App.lnk";
    component->Shortcuts->Add(std::move(shortcut));
    for (const TcvWhenStart when : {TcvWhenStart::before_install, TcvWhenStart::after_install,
                                    TcvWhenStart::before_uninstall,
                                    TcvWhenStart::after_uninstall}) {
      auto app = TcvRunApp::New();
      app->CmdLine = "prog" + std::to_string(static_cast<int>(when)) + ".exe";
      app->WhenStart = when;
      component->RunApps->Add(std::move(app));
    }
    database.Components->Add(std::move(component));
  }
  void TearDown() override {
    RollbackAll(ActionList());
    FlushIniCache();
    ResetInstallLog();
    SetMainDatabase(nullptr);
  }

  // What the machine looked like before the run.
  void ExpectUntouched() {
    EXPECT_TRUE(SameBytes(ReadFileBytes(host_.replaced), previous_));
    EXPECT_EQ(ReadFileBytes(target_.Path() + "app.ini"), "[Main]\r\nKeep=1\r\n");
    EXPECT_EQ(ReadFileBytes(target_.Path() + "install.log"), "previous log");
    EXPECT_FALSE(PathExists(target_.Path() + "Data"));
    EXPECT_FALSE(PathExists(target_.Path() + "App.lnk"));
    EXPECT_FALSE(PathExists(target_.Path() + "Uninstall.exe"));
    EXPECT_FALSE(RegKeyExists("HKLM\\Software\\Acme"));
    EXPECT_TRUE(test::FolderEntries(backups_.Path()).empty());
  }

  test::RegistrySandbox sandbox_{"InstallRun"};
  TempFolder source_, work_, target_, backups_;
  std::string previous_ = std::string(70000, 'p') + "previous";
  TestHost host_;
  RecordingHandler events_;
};

TEST_F(InstallRunTest, EveryStepRunsInOrderWithItsMessages) {
  ASSERT_TRUE(InstallRun(host_));
  EXPECT_NE(host_.copyThread, GetCurrentThreadId());  // the copy step has its own thread
  EXPECT_EQ(host_.steps,
            (std::vector<std::string>{"program", "remove", "copy", "servers", "registry",
                                      "registry", "ini", "fonts", "shortcuts", "environment",
                                      "program", "registration"}));
  EXPECT_EQ(host_.programs, (std::vector<std::string>{"prog1.exe", "prog0.exe"}));
  const std::string reg = "HKLM\\Software\\Acme\\Settings";
  const std::string ini = target_.Path() + "app.ini";
  const std::string lnk = target_.Path() + "App.lnk";
  EXPECT_EQ(events_.Items(),
            (std::vector<std::string>{
                "EV_BEFOREPROCESSITEMS 6",
                "EV_BEFOREPROCESSITEM 6,prog1.exe,,,0,,0",
                "EV_AFTERPROCESSITEM 6,prog1.exe,,,0,,0",
                "EV_AFTERPROCESSITEMS 6",
                "EV_BEFOREPROCESSITEMS 0",
                "EV_AFTERPROCESSITEMS 0",
                "EV_BEFOREPROCESSITEMS 4",
                "EV_AFTERPROCESSITEMS 4",
                "EV_BEFOREPROCESSITEMS 1",
                "EV_BEFOREPROCESSITEM 1," + reg + ",One,Acme,0,0",
                "EV_AFTERPROCESSITEM 1," + reg + ",One,Acme,0,0",
                "EV_BEFOREPROCESSITEM 1," + reg + ",Two,Acme,0,0",
                "EV_AFTERPROCESSITEM 1," + reg + ",Two,Acme,0,0",
                "EV_AFTERPROCESSITEMS 1",
                "EV_BEFOREPROCESSITEMS 2",
                "EV_BEFOREPROCESSITEM 2," + ini + ",Main,Added,2,0",
                "EV_AFTERPROCESSITEM 2," + ini + ",Main,Added,2,0",
                "EV_AFTERPROCESSITEMS 2",
                "EV_BEFOREPROCESSITEMS 5",
                "EV_AFTERPROCESSITEMS 5",
                "EV_BEFOREPROCESSITEMS 3",
                "EV_BEFOREPROCESSITEM 3," + lnk + ",,,,0,,0,0,,0",
                "EV_AFTERPROCESSITEM 3," + lnk + ",,,,0,,0,0,,0",
                "EV_AFTERPROCESSITEMS 3",
                "EV_BEFOREPROCESSITEMS 6",
                "EV_BEFOREPROCESSITEM 6,prog0.exe,,,0,,1",
                "EV_AFTERPROCESSITEM 6,prog0.exe,,,0,,1",
                "EV_AFTERPROCESSITEMS 6",
                "EV_BEFOREPROCESSITEMS 6",
                "EV_BEFOREPROCESSITEM 6,prog2.exe,,,0,,2",
                "EV_AFTERPROCESSITEM 6,prog2.exe,,,0,,2",
                "EV_AFTERPROCESSITEMS 6",
                "EV_BEFOREPROCESSITEMS 6",
                "EV_BEFOREPROCESSITEM 6,prog3.exe,,,0,,3",
                "EV_AFTERPROCESSITEM 6,prog3.exe,,,0,,3",
                "EV_AFTERPROCESSITEMS 6",
            }));
  // The last status is 100 percent with empty texts.
  EXPECT_EQ(events_.seen.back(), "EV_INSTALLPROGRESS ,,100");
  EXPECT_EQ(ReadFileBytes(host_.replaced), "new content");
  EXPECT_EQ(ReadFileBytes(target_.Path() + "Uninstall.exe"), "bare engine");
  EXPECT_EQ(RegReadString(reg, "Two", ""), "Acme");

  const std::string log = ReadFileBytes(target_.Path() + "install.log");
  const std::string t = target_.Path();
  EXPECT_EQ(log,
            "[Strings]\r\nAppID={ACME}\r\nAdminRights=1\r\n10=Remove Acme?\r\n\r\n"
            "[PreRunApp]\r\n0='prog2.exe','','',1,'',1,0\r\n\r\n"
            "[RunApp]\r\n1='prog3.exe','','',1,'',1,0\r\n\r\n"
            "[CreateKeys]\r\nHKLM\\Software\\Microsoft\\Windows\\Uninstall\\Acme=\r\n"
            "HKLM\\Software\\Acme=\r\nHKLM\\Software\\Acme\\Settings=\r\n\r\n"
            "[CopyFiles]\r\n" + t + "app.dll=\r\n" + t + "app.ini=\r\n" + t + "App.lnk=\r\n\r\n"
            "[CreateDirs]\r\n" + t + "Data=\r\n" + t + "Data\\Cache=\r\n\r\n"
            "[AddReg]\r\nHKLM\\Software\\Acme\\Settings\\'One'=\r\n"
            "HKLM\\Software\\Acme\\Settings\\'Two'=\r\n\r\n"
            "[AddIni]\r\n'" + t + "app.ini','Main','Added'=\r\n\r\n"
            "[Shortcuts]\r\n" + t + "App.lnk=\r\n\r\n");

  // A failure after the run (in the main flow) still gives everything back.
  RollbackAll(ActionList());
  ExpectUntouched();
}

TEST_F(InstallRunTest, ProgressCountsTheItemsWithTheirWeight) {
  ASSERT_TRUE(InstallRun(host_));
  // No package bytes: total 0 + 1; 2 registry, 1 ini, 1 shortcut, 2 install-time programs.
  EXPECT_EQ(Progress().ItemWeight, 1);
  EXPECT_EQ(Progress().Max, 1 + 6);
  std::set<std::string> percents;
  for (const auto& line : events_.seen) {
    if (line.rfind("EV_INSTALLPROGRESS", 0) == 0) percents.insert(line.substr(line.rfind(',') + 1));
  }
  EXPECT_TRUE(percents.count("14"));   // 1 of 7
  EXPECT_TRUE(percents.count("100"));
}

TEST_F(InstallRunTest, SkippedCopyStepStillGetsTheUninstaller) {
  events_.answers = {{EV_BEFOREPROCESSITEMS, "EV_BEFOREPROCESSITEMS 0"}};
  ASSERT_TRUE(InstallRun(host_));
  const auto items = events_.Items();
  EXPECT_EQ(std::count(items.begin(), items.end(), "EV_AFTERPROCESSITEMS 0"), 0);
  EXPECT_EQ(std::count(host_.steps.begin(), host_.steps.end(), "copy"), 0);
  EXPECT_EQ(ReadFileBytes(target_.Path() + "Uninstall.exe"), "bare engine");
}

TEST_F(InstallRunTest, APlugInSkipsAStepOrAnItem) {
  events_.answers = {{EV_BEFOREPROCESSITEMS, "EV_BEFOREPROCESSITEMS 1"},
                     {EV_BEFOREPROCESSITEM, "EV_BEFOREPROCESSITEM 3,"}};
  ASSERT_TRUE(InstallRun(host_));
  const auto items = events_.Items();
  EXPECT_EQ(std::count(items.begin(), items.end(), "EV_AFTERPROCESSITEMS 1"), 0);
  EXPECT_FALSE(RegKeyExists("HKLM\\Software\\Acme"));
  EXPECT_FALSE(PathExists(target_.Path() + "App.lnk"));
  EXPECT_EQ(std::count(host_.steps.begin(), host_.steps.end(), "ini"), 1);
}

// The project's own scripts answer the run's events before the plug-ins: a
// script that answers 1 for the registry items skips them, reading the
// item's step from %EventParams%.
TEST_F(InstallRunTest, AnEventScriptSkipsItems) {
  InstallEvaluatorHooks();
  host_.database->Events->LoadFromString(
      "<events><event eventid='EV_BEFOREPROCESSITEM' whenhandle='before_plugins'>"
      "<if expression='GetParam(%EventParams%, 0) = 1'><then>"
      "<action expression='Skipped := %Skipped% + 1'/><return expression='1'/>"
      "</then></if></event></events>",
      "events");
  ASSERT_EQ(host_.database->Events->Count(), 1);
  SetVar(host_.database.get(), "Skipped", "0");
  InstallEventScripts([this](std::int32_t) { return host_.database.get(); });
  const bool ok = InstallRun(host_);
  RemoveEventScripts();
  ASSERT_TRUE(ok);
  EXPECT_EQ(GetVar(host_.database.get(), "Skipped", ""), "2");
  EXPECT_FALSE(RegKeyExists("HKLM\\Software\\Acme")) << "both registry items skipped";
  const auto items = events_.Items();
  EXPECT_EQ(std::count_if(items.begin(), items.end(),
                          [](const std::string& line) {
                            return line.rfind("EV_BEFOREPROCESSITEM 1,", 0) == 0;
                          }),
            0)
      << "the plug-ins never saw them";
  EXPECT_EQ(std::count(host_.steps.begin(), host_.steps.end(), "registry"), 0);
  EXPECT_EQ(std::count(host_.steps.begin(), host_.steps.end(), "ini"), 1);
}

class InstallRunFailureTest : public InstallRunTest,
                              public ::testing::WithParamInterface<const char*> {};

TEST_P(InstallRunFailureTest, FailedStepEndsTheRunAndRollbackRestoresEverything) {
  host_.failAt = GetParam();
  EXPECT_FALSE(InstallRun(host_));
  EXPECT_EQ(host_.steps.back(), GetParam());  // no later step was entered
  RollbackAll(ActionList());
  FlushIniCache();
  ExpectUntouched();
}

INSTANTIATE_TEST_SUITE_P(EachStep, InstallRunFailureTest,
                         ::testing::Values("remove", "copy", "servers", "registry", "ini", "fonts",
                                           "shortcuts", "environment", "registration"));

TEST_F(InstallRunTest, FailedProgramBeforeTheInstallationEndsTheRun) {
  host_.failAt = "program";
  EXPECT_FALSE(InstallRun(host_));
  EXPECT_EQ(host_.steps, (std::vector<std::string>{"program"}));
  RollbackAll(ActionList());
  ExpectUntouched();
}

TEST_F(InstallRunTest, LockedTargetIsReplacedAtTheNextStart) {
  HANDLE held = CreateFileA(host_.replaced.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  host_.steps.clear();
  EXPECT_TRUE(InstallRun(host_));
  // The run stopped after the copy step to continue after the restart.
  EXPECT_TRUE(host_.resumePending);
  EXPECT_EQ(host_.database->InstallState, TcvInstallState::isRegServers);
  EXPECT_EQ(GetVar(host_.database.get(), "Reboot", ""), "1");
  EXPECT_TRUE(PathExists(work_.Path() + "MainDB"));
  EXPECT_TRUE(PathExists(work_.Path() + "InstallActions"));
  EXPECT_EQ(host_.steps, (std::vector<std::string>{"program", "remove", "copy"}));
  TInstallFile* file = FindFile(ActionList(), host_.replaced);
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(file->Pending);
  EXPECT_EQ(ReadFileBytes(file->TmpFileName), "new content");
  CloseHandle(held);
  EXPECT_TRUE(SameBytes(ReadFileBytes(host_.replaced), previous_));
}

TEST_F(InstallRunTest, ResumedAtTheServersTheRunGoesOnWithTheLaterSteps) {
  host_.resumeMode = true;
  host_.database->InstallState = TcvInstallState::isRegServers;
  ASSERT_TRUE(InstallRun(host_));
  EXPECT_EQ(host_.steps,
            (std::vector<std::string>{"servers", "registry", "registry", "ini", "fonts",
                                      "shortcuts", "environment", "program", "registration"}));
}

TEST_F(InstallRunTest, ResumedAfterTheInstallationOnlyTheLaterProgramsAndTheLogFollow) {
  host_.resumeMode = true;
  host_.database->InstallState = TcvInstallState::isRunAppAfterInstall;
  ASSERT_TRUE(InstallRun(host_));
  EXPECT_EQ(host_.steps, (std::vector<std::string>{"program", "registration"}));
}

// Logoff came while B's second program before the installation ran: A was
// done before, B's first two entries too; B's third and the later ones run.
TEST_F(InstallRunTest, ResumedAtAProgramOnlyTheEntriesAfterItRun) {
  TcvMainDatabase& database = *host_.database;
  database.Components->Component(0)->SetID("A");
  auto second = TcvComponent::New();
  second->SetID("B");
  for (const char* name : {"b0.exe", "b1.exe", "b2.exe", "b3.exe"}) {
    auto app = TcvRunApp::New();
    app->CmdLine = name;
    app->WhenStart = TcvWhenStart::before_install;
    second->RunApps->Add(std::move(app));
  }
  database.Components->Add(std::move(second));
  host_.resumeMode = true;
  database.InstallState = TcvInstallState::isRunAppBeforeInstall;
  database.InstallStateData = "B,1";
  ASSERT_TRUE(InstallRun(host_));
  EXPECT_EQ(host_.programs, (std::vector<std::string>{"b2.exe", "b3.exe", "prog0.exe"}));
  EXPECT_EQ(database.InstallStateData, "");
}

TEST_F(InstallRunTest, MissingSetupSourceAsksUntilTheUserCancels) {
  DeleteFileA(host_.setupFile.c_str());
  host_.answers = {IDRETRY, IDRETRY};
  EXPECT_FALSE(InstallRun(host_));
  EXPECT_EQ(host_.asked.size(), 3u);
  EXPECT_EQ(host_.asked.front(), "S19 " + host_.setupFile);
  EXPECT_EQ(std::count(host_.steps.begin(), host_.steps.end(), "copy"), 0);
  RollbackAll(ActionList());
  ExpectUntouched();
}

TEST_F(InstallRunTest, UninstallerThatCannotBeCopiedFailsTheRun) {
  DeleteFileA((work_.Path() + "Resume.exe").c_str());
  test::DialogWatcher watcher;
  EXPECT_FALSE(InstallRun(host_));
  ASSERT_TRUE(watcher.WaitForCount(1, 10000));
  EXPECT_EQ(watcher.Seen()[0].Text,
            "Cannot copy system file \"" + target_.Path() + "Uninstall.exe\".");
  EXPECT_EQ(std::count(host_.steps.begin(), host_.steps.end(), "servers"), 0);
  RollbackAll(ActionList());
  ExpectUntouched();
}

TEST_F(InstallRunTest, SilentRunWithoutItsSourceEndsWithoutAsking) {
  DeleteFileA(host_.setupFile.c_str());
  SetVar(host_.database.get(), "SilentMode", "1");
  host_.answers = {IDRETRY};
  EXPECT_FALSE(InstallRun(host_));
  EXPECT_TRUE(host_.asked.empty());
}

TEST_F(InstallRunTest, CancelledRunStopsAtTheNextItem) {
  events_.answers.clear();
  MessageHandlers handlers;
  // A plug-in aborts the run when the first registry item begins.
  handlers.Plugins = [this](std::int32_t, std::int32_t id, const std::string&, std::int32_t,
                            std::int32_t, bool) {
    if (id == EV_BEFOREPROCESSITEM && !host_.steps.empty() && host_.steps.back() == "servers") {
      host_.cancelled = true;
    }
    return 0;
  };
  const MessageHandlers previous = SetMessageHandlers(handlers);
  EXPECT_FALSE(InstallRun(host_));
  SetMessageHandlers(previous);
  EXPECT_EQ(std::count(host_.steps.begin(), host_.steps.end(), "registry"), 1);
  EXPECT_EQ(std::count(host_.steps.begin(), host_.steps.end(), "ini"), 0);
  RollbackAll(ActionList());
  ExpectUntouched();
}

TEST_F(InstallRunTest, RequiredSpaceEqualToTheFreeSpaceFails) {
  host_.database->Components->Component(0)->Size =
      static_cast<std::int32_t>(std::min<std::int64_t>(DiskFreeKB(target_.Path()), INT32_MAX));
  test::DialogWatcher watcher;
  EXPECT_FALSE(InstallRun(host_));
  EXPECT_TRUE(host_.steps.empty());
}

// The run makes the install folder itself; until then the space of the drive
// it will be on is what counts.
TEST_F(InstallRunTest, AnInstallFolderThatDoesNotExistYetHasTheSpaceOfItsDrive) {
  const std::string fresh = target_.Path() + "New Vendor\\New Product\\";
  SetVar(host_.database.get(), "InstallPath", fresh);
  SetVar(host_.database.get(), "UninstallPath", target_.Path());
  test::DialogWatcher watcher;
  InstallRun(host_);
  EXPECT_FALSE(host_.steps.empty()) << "refused for want of space";
  RollbackAll(ActionList());
  EXPECT_EQ(NearestExistingFolder(fresh), target_.Path());
  EXPECT_EQ(NearestExistingFolder(target_.Path()), target_.Path());
  EXPECT_EQ(NearestExistingFolder("Q:\\nowhere\\at all"), "");
}

TEST(ItemWeight, TiesGoToTheEvenNeighbour) {
  EXPECT_EQ(ItemWeightFor(0, 0), 0);
  EXPECT_EQ(ItemWeightFor(0, 3), 1);      // (1 x 0.25 -> 0) raised to 3, / 3
  EXPECT_EQ(ItemWeightFor(9, 1), 2);      // 10 x 0.25 = 2.5 -> 2
  EXPECT_EQ(ItemWeightFor(13, 1), 4);     // 14 x 0.25 = 3.5 -> 4
  EXPECT_EQ(ItemWeightFor(399, 40), 2);   // 100 / 40 = 2.5 -> 2
  EXPECT_EQ(ItemWeightFor(1399, 100), 4); // 350 / 100 = 3.5 -> 4
}

}  // namespace
}  // namespace cv

namespace cv {
namespace {

TEST_F(InstallRunTest, UninstallerFolderIsCreatedAndRolledBack) {
  SetVar(host_.database.get(), "UninstallPath", target_.Path() + "Setup\\Uninst");
  ASSERT_TRUE(InstallRun(host_));
  EXPECT_EQ(ReadFileBytes(target_.Path() + "Setup\\Uninst\\Uninstall.exe"), "bare engine");
  RollbackAll(ActionList());
  EXPECT_FALSE(PathExists(target_.Path() + "Setup"));
}

}  // namespace
}  // namespace cv

namespace cv {
namespace {

// The registry, ini and environment steps inside the run: a value that must
// not be overwritten is left alone without EV_AFTERPROCESSITEM, what was
// written is logged for the uninstaller, and a rollback after the run gives
// everything back.
TEST_F(InstallRunTest, RegistryIniAndEnvironmentStepsAreLoggedAndRolledBack) {
  host_.realSteps = true;
  const std::string reg = "HKLM\\Software\\Acme\\Settings";
  ASSERT_TRUE(RegWriteString(reg, "One", "user's"));
  TcvComponent& component = *host_.database->Components->Component(0);
  component.Registry->ItemAs<TcvReg>(0)->Flags = TcvFlags{TcvFlag::dont_overwrite};
  auto path = TcvVariable::New();
  path->VarType = TcvVarType::vtEnvVar;
  path->Name = "Path";
  path->Value = "%InstallPath%bin";
  path->Flags = TcvFlags{TcvFlag::add_path, TcvFlag::sys_envvar};
  host_.database->Variables->Add(std::move(path));
  ASSERT_TRUE(SetEnvVar("Path", "C:\\Windows", true));

  ASSERT_TRUE(InstallRun(host_));
  EXPECT_TRUE(host_.boxes.empty());
  const auto items = events_.Items();
  const auto count = [&](const std::string& event, const std::string& name) {
    return std::count(items.begin(), items.end(), event + " 1," + reg + "," + name + ",Acme,0,0");
  };
  EXPECT_EQ(count("EV_BEFOREPROCESSITEM", "One"), 1);
  EXPECT_EQ(count("EV_AFTERPROCESSITEM", "One"), 0);
  EXPECT_EQ(count("EV_AFTERPROCESSITEM", "Two"), 1);
  EXPECT_EQ(RegReadString(reg, "One", ""), "user's");
  EXPECT_EQ(RegReadString(reg, "Two", ""), "Acme");
  EXPECT_EQ(IniReadValue(target_.Path() + "app.ini", "Main", "Added", ""), "2");
  EXPECT_EQ(GetEnvVar("Path", true, false), "C:\\Windows;" + target_.Path() + "bin");
  EXPECT_EQ(host_.announced, 1);

  const std::string log = ReadFileBytes(target_.Path() + "install.log");
  const std::string t = target_.Path();
  EXPECT_NE(log.find("[AddReg]\r\nHKLM\\Software\\Acme\\Settings\\'Two'=\r\n\r\n"),
            std::string::npos) << log;
  EXPECT_NE(log.find("[AddIni]\r\n'" + t + "app.ini','Main','Added'=\r\n"), std::string::npos);
  EXPECT_NE(log.find("[EnvVars]\r\nPath=1," + t + "bin\r\n"), std::string::npos);
  EXPECT_EQ(log.find(t + "app.ini=\r\n"), std::string::npos) << "the user's ini file stays";

  RollbackAll(ActionList());
  EXPECT_EQ(ReadFileBytes(target_.Path() + "app.ini"), "[Main]\r\nKeep=1\r\n");
  EXPECT_EQ(RegReadString(reg, "One", ""), "user's");
  EXPECT_FALSE(RegValueExists(reg, "Two"));
  EXPECT_EQ(GetEnvVar("Path", true, false), "C:\\Windows");
}

}  // namespace
}  // namespace cv
