// The main flow, driven against recording stand-ins for the subsystems it
// calls, with real windows, message boxes, mutexes and files.

#include <gtest/gtest.h>

#include "child_process.h"
#include "dialog_watcher.h"
#include "engine/run_state.h"
#include "engine/win/engine.h"
#include "platform/win/registry_path.h"
#include "registry_sandbox.h"
#include "recording_operations.h"
#include "same_bytes.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::DialogIcon;
using test::RecordingOperations;

class RunSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cv::Run() = RunState{};
    cv::Run().WorkFolder = folder_.Path();
    cv::Run().SetupFileName = folder_.Path() + "setup.exe";
    ops_.EngineStrings = {{10, "Administrator rights are required."},
                          {13, "This system is not supported."},
                          {14, "Windows %s or later is required."},
                          {18, "Rolling back..."},
                          {21, "%s setup is already running."}};
    ops_.Variables["APPNAME"] = "Sample";
  }
  void TearDown() override { cv::Run() = RunState{}; }

  bool RunFlow() { return RunSetup(ops_, {folder_.Path() + "setup.exe"}); }

  // Index of `call` in the recorded calls; fails the test when absent.
  std::size_t IndexOf(const std::string& call) {
    for (std::size_t i = 0; i < ops_.Calls.size(); ++i) {
      if (ops_.Calls[i] == call) return i;
    }
    ADD_FAILURE() << "not called: " << call;
    return ops_.Calls.size();
  }

  test::TempFolder folder_;
  RecordingOperations ops_;
  // Every box the flow shows is recorded and answered, so that no test can
  // hang on a box nobody expected.
  test::DialogWatcher watcher_;
};

TEST_F(RunSetupTest, SuccessfulInstallationRunsEveryStepInOrder) {
  ASSERT_TRUE(RunFlow());
  EXPECT_TRUE(watcher_.Seen().empty());

  const std::vector<std::string> expectedOrder = {
      "PreparePluginStartupRecord",
      "EnableConditionEvaluation",
      "LoadSilentSettings " + folder_.Path() + "setup.sss",
      "ImportVariables",
      "SetPredefinedVariables",
      "AddMainPackage " + folder_.Path() + "setup.exe",
      "ReadPackageHeader 0",
      "PreparePackages",
      "LoadPackageDatabase 0",
      "LoadLanguages",
      "ResetVariables",
      "LoadMainDatabase",
      "SetVar Reboot=0",
      "ActivateLanguage ENU",
      "SetVar LangID=ENU",
      "EV_LANGUAGECHANGED ENU",
      "LoadPlugins 0",
      "SelectInstallTypeAndFeatures",
      "SelectSilentFeatures",
      "EV_CHECKLAUNCHCONDITIONS",
      "EV_START",
      "ClearInstallState",
      "EV_BEFOREPROCESSITEMS 6",
      "RunProgramsBeforeDialogs",
      "EV_AFTERPROCESSITEMS 6",
      "ClearInstallStateData",
      "EV_SHOWDIALOGS false",
      "MarkComponentsToInstall",
      "AssignComponentPackages",
      "EV_BEFOREINSTALL",
      "SetFileDestinations",
      "RunInstallation",
      "EV_AFTERINSTALL",
      "EV_SHOWDIALOGS true",
      "RegisterResume",
      "EV_FINISH true",
      "UnloadPlugins",
      "FlushIniCache",
      "FreeDatabase",
  };
  std::size_t previous = 0;
  for (const std::string& call : expectedOrder) {
    const std::size_t at = IndexOf(call);
    EXPECT_GE(at, previous) << call << " came too early";
    previous = at;
  }
  EXPECT_FALSE(ops_.Called("EV_ROLLBACK"));
  EXPECT_FALSE(ops_.Called("RunUninstallation"));
  EXPECT_FALSE(cv::Run().RebootAfterExit);
}

TEST_F(RunSetupTest, UnpackLibraryIsWrittenIntoTheWorkFolder) {
  ASSERT_TRUE(RunFlow());
  EXPECT_EQ(cv::Run().UnpackLibraryPath, folder_.Path() + "unpack.dll");
  EXPECT_TRUE(test::SameBytes(test::ReadFileBytes(cv::Run().UnpackLibraryPath),
                              test::ReadFileBytes(test::TestProgramFolder() + "unpack.dll")));
}

TEST_F(RunSetupTest, FailedInstallationRollsBackAndReportsFailureToTheWizard) {
  ops_.Fail["RunInstallation"] = true;
  ops_.Variables["REBOOT"] = "1";
  ops_.RebootAtFinish = true;
  EXPECT_FALSE(RunFlow());
  const std::size_t status = IndexOf("ShowStatusText Rolling back... 750");
  const std::size_t rollbackEvent = IndexOf("EV_ROLLBACK");
  const std::size_t rollback = IndexOf("Rollback");
  const std::size_t hide = IndexOf("HideStatusText");
  const std::size_t finish = IndexOf("EV_FINISH false");
  EXPECT_LT(status, rollbackEvent);
  EXPECT_LT(rollbackEvent, rollback);
  EXPECT_LT(rollback, hide);
  EXPECT_LT(hide, finish);
  EXPECT_FALSE(ops_.Called("RegisterResume"));
  EXPECT_FALSE(ops_.Called("EV_AFTERINSTALL"));
  // A failed run never restarts Windows, whatever a step asked for.
  EXPECT_FALSE(cv::Run().RebootAfterExit);
}

TEST_F(RunSetupTest, DisabledRollbackLeavesInstalledItemsInPlace) {
  ops_.Fail["RunInstallation"] = true;
  ops_.Variables["DISABLEROLLBACK"] = "1";
  EXPECT_FALSE(RunFlow());
  EXPECT_FALSE(ops_.Called("Rollback"));
  EXPECT_FALSE(ops_.Called("EV_ROLLBACK"));
  EXPECT_TRUE(ops_.Called("EV_FINISH false"));
}

TEST_F(RunSetupTest, FailureBeforeTheWizardStartsSendsNoFinish) {
  ops_.Fail["LoadPlugins"] = true;
  EXPECT_FALSE(RunFlow());
  EXPECT_FALSE(ops_.Called("EV_START"));
  EXPECT_TRUE(ops_.CallsStartingWith("EV_FINISH").empty());
  // The clean-up block still runs completely.
  EXPECT_TRUE(ops_.Called("UnloadPlugins"));
  EXPECT_TRUE(ops_.Called("FreeDatabase"));
}

TEST_F(RunSetupTest, CancelDuringStartEndsTheRunBeforeTheWizardCounts) {
  ops_.OnEvent = [](EngineEvent event) {
    if (event == EngineEvent::Start) cv::Run().Cancelled = true;
  };
  EXPECT_FALSE(RunFlow());
  EXPECT_FALSE(ops_.Called("EV_SHOWDIALOGS false"));
  EXPECT_TRUE(ops_.CallsStartingWith("EV_FINISH").empty());
}

TEST_F(RunSetupTest, WizardRefusingItsPagesEndsTheRun) {
  ops_.OnEvent = [this](EngineEvent event) {
    if (event == EngineEvent::ShowDialogs) ops_.EventAnswers[EngineEvent::ShowDialogs] = 1;
  };
  EXPECT_FALSE(RunFlow());
  EXPECT_FALSE(ops_.Called("RunInstallation"));
  EXPECT_TRUE(ops_.Called("EV_FINISH false"));
}

TEST_F(RunSetupTest, PluginSkippingProgramsBeforeDialogsCountsAsSuccess) {
  ops_.EventAnswers[EngineEvent::BeforeProcessItems] = 1;
  EXPECT_TRUE(RunFlow());
  EXPECT_FALSE(ops_.Called("RunProgramsBeforeDialogs"));
  EXPECT_FALSE(ops_.Called("EV_AFTERPROCESSITEMS 6"));
}

TEST_F(RunSetupTest, SuccessfulRunWithRebootOnFinishAsksBeforeRestarting) {
  ops_.OnEvent = [this](EngineEvent event) {
    // The project's own Reboot setting is read after the main database loads.
    if (event == EngineEvent::LanguageChanged) ops_.RebootAtFinish = true;
  };
  ASSERT_TRUE(RunFlow());
  EXPECT_LT(IndexOf("EV_SHOWDIALOGS true"), IndexOf("EV_QUERYREBOOT"));
  EXPECT_TRUE(cv::Run().RebootAfterExit);
}

TEST_F(RunSetupTest, CancelAtRebootQueryFailsTheRunAndKeepsWindowsRunning) {
  ops_.RebootAtFinish = true;
  ops_.Variables["REBOOT"] = "1";
  ops_.OnEvent = [](EngineEvent event) {
    if (event == EngineEvent::QueryReboot) cv::Run().Cancelled = true;
  };
  EXPECT_FALSE(RunFlow());
  EXPECT_TRUE(ops_.Called("EV_FINISH false"));
  EXPECT_FALSE(cv::Run().RebootAfterExit);
}

TEST_F(RunSetupTest, SecondCopyOfTheSameSetupIsRefused) {
  ops_.Variables["APPID"] = "CorvaneTestApp" + std::to_string(GetCurrentProcessId());
  HANDLE first = CreateMutexA(nullptr, FALSE, (ops_.Variables["APPID"] + " setup").c_str());
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(RunFlow());
  ASSERT_TRUE(watcher_.WaitForCount(1, 5000));
  const auto seen = watcher_.Seen();
  EXPECT_EQ(seen[0].Caption, "Sample");
  EXPECT_EQ(seen[0].Text, "Sample setup is already running.");
  EXPECT_EQ(seen[0].Icon, DialogIcon::Warning);
  EXPECT_FALSE(ops_.Called("LoadPlugins 0"));
  // The first copy's mutex is untouched.
  EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_OBJECT_0);
  ReleaseMutex(first);
  CloseHandle(first);
}

// Windows refuses a mutex name with a backslash outside its namespaces: that
// is a fault of the package, not a second copy running.
TEST_F(RunSetupTest, MutexThatCannotBeCreatedIsReportedAsSuch) {
  ops_.Variables["APPID"] = "Vendor\\Product";
  EXPECT_FALSE(RunFlow());
  ASSERT_TRUE(watcher_.WaitForCount(1, 5000));
  const auto seen = watcher_.Seen();
  EXPECT_EQ(seen[0].Icon, DialogIcon::Error);
  EXPECT_EQ(seen[0].Text.rfind("Cannot create the mutex \"Vendor\\Product setup\" that keeps this setup from "
                               "running twice: ", 0),
            0u)
      << seen[0].Text;
  EXPECT_EQ(seen[0].Text.find("already running"), std::string::npos);
  EXPECT_FALSE(ops_.Called("LoadPlugins 0"));
}

TEST_F(RunSetupTest, UnsupportedSystemShowsTheLanguageStringAsWarning) {
  ops_.Variables["SUPPORTEDOS"] = "9x,95";
  EXPECT_FALSE(RunFlow());
  ASSERT_TRUE(watcher_.WaitForCount(1, 5000));
  EXPECT_EQ(watcher_.Seen()[0].Text, "This system is not supported.");
  EXPECT_EQ(watcher_.Seen()[0].Icon, DialogIcon::Warning);
  EXPECT_FALSE(ops_.Called("EV_START"));
}

TEST_F(RunSetupTest, TooOldSystemNamesTheRequiredVersion) {
  ops_.Variables["MINOSVERSION"] = "99.1";
  EXPECT_FALSE(RunFlow());
  ASSERT_TRUE(watcher_.WaitForCount(1, 5000));
  EXPECT_EQ(watcher_.Seen()[0].Text, "Windows 99.1 or later is required.");
}

TEST_F(RunSetupTest, MissingAdministratorRightsAreReported) {
  ops_.Variables["ADMINRIGHTS"] = "1";
  ops_.AdminRights = false;
  EXPECT_FALSE(RunFlow());
  ASSERT_TRUE(watcher_.WaitForCount(1, 5000));
  EXPECT_EQ(watcher_.Seen()[0].Text, "Administrator rights are required.");
}

TEST_F(RunSetupTest, FailedLaunchConditionShowsItsExpandedMessage) {
  ops_.HasFailedCondition = true;
  ops_.FailedCondition = "[Strings.13]";
  EXPECT_FALSE(RunFlow());
  ASSERT_TRUE(watcher_.WaitForCount(1, 5000));
  EXPECT_EQ(watcher_.Seen()[0].Text, "This system is not supported.");
}

TEST_F(RunSetupTest, FailedLaunchConditionWithoutMessageFailsSilently) {
  ops_.HasFailedCondition = true;
  EXPECT_FALSE(RunFlow());
  EXPECT_FALSE(watcher_.WaitForCount(1, 300));
  EXPECT_FALSE(ops_.Called("EV_CHECKLAUNCHCONDITIONS"));
}

TEST_F(RunSetupTest, PluginRefusingTheLaunchChecksEndsWithoutMessage) {
  ops_.EventAnswers[EngineEvent::CheckLaunchConditions] = 1;
  EXPECT_FALSE(RunFlow());
  EXPECT_FALSE(watcher_.WaitForCount(1, 300));
  EXPECT_FALSE(ops_.Called("EV_START"));
}

TEST_F(RunSetupTest, LanguageIsChosenByUserLanguageThenEnglishThenFirst) {
  ops_.Languages = {{"DEU", "Deutsch"}, {"FRA", "Francais"}, {"ENU", "English"}};
  ops_.Variables["USERLANGID"] = "fra";
  ASSERT_TRUE(RunFlow());
  EXPECT_TRUE(ops_.Called("SetVar LangID=FRA"));

  ops_.Calls.clear();
  ops_.Variables.erase("LANGID");
  ops_.Variables["USERLANGID"] = "ITA";
  ASSERT_TRUE(RunFlow());
  EXPECT_TRUE(ops_.Called("SetVar LangID=ENU"));

  ops_.Calls.clear();
  ops_.Variables.erase("LANGID");
  ops_.Languages = {{"DEU", "Deutsch"}, {"FRA", "Francais"}};
  ASSERT_TRUE(RunFlow());
  EXPECT_TRUE(ops_.Called("SetVar LangID=DEU"));

  ops_.Calls.clear();
  ops_.Variables.erase("LANGID");
  ops_.Languages = {{"DEU", "Deutsch"}, {"FRA", "Francais"}};
  ops_.Variables["AUTOSELECTLANGUAGE"] = "0";
  ops_.Variables["USERLANGID"] = "FRA";
  ASSERT_TRUE(RunFlow());
  EXPECT_TRUE(ops_.Called("SetVar LangID=DEU"));
}

TEST_F(RunSetupTest, PresetLanguageIsNotChosenAgain) {
  ops_.Variables["LANGID"] = "ENU";
  ASSERT_TRUE(RunFlow());
  EXPECT_TRUE(ops_.CallsStartingWith("ActivateLanguage").empty());
}

TEST_F(RunSetupTest, LanguageListTakesTheNamesWindowsGivesItsLanguages) {
  ops_.Languages = {{"enu", "English from the package"}};
  ASSERT_TRUE(RunFlow());
  char expected[256] = {};
  ASSERT_GT(
      GetLocaleInfoA(MAKELCID(0x0409, SORT_DEFAULT), LOCALE_SLANGUAGE, expected, sizeof expected),
      0);
  // The list is freed by the clean-up; the chosen entry went to SelectLanguage.
  EXPECT_TRUE(ops_.Called("ActivateLanguage ENU"));

  ops_.Calls.clear();
  ops_.Variables.erase("LANGID");
  ops_.Variables["DONTUSEWINDOWSLANGUAGENAMES"] = "1";
  ASSERT_TRUE(RunFlow());
  EXPECT_TRUE(ops_.Called("ActivateLanguage enu"));
}

TEST_F(RunSetupTest, SetupWithoutAnyLanguageEndsWithAnError) {
  ops_.Languages.clear();
  EXPECT_FALSE(RunFlow());
  ASSERT_TRUE(watcher_.WaitForCount(1, 5000));
  EXPECT_EQ(watcher_.Seen()[0].Icon, DialogIcon::Error);
  EXPECT_FALSE(ops_.Called("LoadPlugins 0"));
}

TEST_F(RunSetupTest, MissingComponentIsNamedInAnErrorBox) {
  ops_.MissingComponent = "Docs";
  EXPECT_FALSE(RunFlow());
  ASSERT_TRUE(watcher_.WaitForCount(1, 5000));
  EXPECT_EQ(watcher_.Seen()[0].Caption, "Error");
  EXPECT_EQ(watcher_.Seen()[0].Text, "Component ID=\"Docs\" not found.");
  EXPECT_FALSE(ops_.Called("RunInstallation"));
}

TEST_F(RunSetupTest, UnknownPackageIsNamedInAnErrorBox) {
  ops_.MissingPackage = "extras";
  EXPECT_FALSE(RunFlow());
  ASSERT_TRUE(watcher_.WaitForCount(1, 5000));
  EXPECT_EQ(watcher_.Seen()[0].Text, "Can't find package \"extras\" in main database.");
}

TEST_F(RunSetupTest, OtherPackagesAreLocatedPreparedAndLoadedInOrder) {
  ops_.Packages = 3;
  ASSERT_TRUE(RunFlow());
  const std::size_t locate1 = IndexOf("LocateOtherPackage 1");
  const std::size_t header2 = IndexOf("ReadPackageHeader 2");
  const std::size_t load1 = IndexOf("LoadPackageDatabase 1");
  const std::size_t load2 = IndexOf("LoadPackageDatabase 2");
  const std::size_t takeOver = IndexOf("TakeOverPackageComponents");
  const std::size_t plugins2 = IndexOf("LoadPlugins 2");
  EXPECT_LT(locate1, header2);
  EXPECT_LT(header2, load1);
  EXPECT_LT(load1, load2);
  EXPECT_LT(load2, takeOver);
  EXPECT_LT(takeOver, plugins2);
  EXPECT_EQ(ops_.CallsStartingWith("PreparePackages").size(), 2u);
}

TEST_F(RunSetupTest, OtherPackagesThatCannotBePreparedAreReported) {
  ops_.Packages = 2;
  int prepared = 0;
  ops_.OnEvent = nullptr;
  // The main package prepares; the second call (the other packages) fails.
  struct FailSecondPrepare : RecordingOperations {
    int* count;
    bool PreparePackages() override {
      Record("PreparePackages");
      return ++*count < 2;
    }
  } ops;
  ops.count = &prepared;
  ops.Packages = 2;
  ops.EngineStrings = ops_.EngineStrings;
  EXPECT_FALSE(RunSetup(ops, {folder_.Path() + "setup.exe"}));
  ASSERT_TRUE(watcher_.WaitForCount(1, 5000));
  EXPECT_EQ(watcher_.Seen()[0].Caption, "Error");
  EXPECT_EQ(watcher_.Seen()[0].Text, "Cannot prepare packages.");
}

TEST_F(RunSetupTest, MainPackageThatCannotBePreparedIsReported) {
  ops_.Fail["PreparePackages"] = true;
  EXPECT_FALSE(RunFlow());
  ASSERT_TRUE(watcher_.WaitForCount(1, 5000));
  EXPECT_EQ(watcher_.Seen()[0].Text,
            "Cannot prepare main package.\rProbably corrupted package, incorrect TMP/TEMP "
            "variables or there is no execute permission for temporary folder.");
}

TEST_F(RunSetupTest, UninstallModeRunsTheUninstallationWithoutPackages) {
  ops_.Variables["INSTALLMODE"] = "1";
  ASSERT_TRUE(RunFlow());
  EXPECT_TRUE(cv::Run().UninstallMode);
  EXPECT_TRUE(ops_.Called("RunUninstallation"));
  EXPECT_FALSE(ops_.Called("RunInstallation"));
  EXPECT_FALSE(ops_.Called("AssignComponentPackages"));
  EXPECT_FALSE(ops_.Called("SetFileDestinations"));
}

TEST_F(RunSetupTest, TheUninstallerRemovesTheProductOfItsLogWithoutAPackage) {
  ops_.UninstallerLogFile = "C:\\Product\\install.log";
  ASSERT_TRUE(RunFlow());
  EXPECT_TRUE(cv::Run().UninstallMode);
  EXPECT_LT(IndexOf("PrepareUninstallFromLog C:\\Product\\install.log"), IndexOf("RunUninstallation"));
  EXPECT_FALSE(ops_.Called("AddMainPackage " + folder_.Path() + "setup.exe"));
  EXPECT_FALSE(ops_.Called("LoadPlugins 0"));
  EXPECT_FALSE(ops_.Called("Rollback"));
}

TEST_F(RunSetupTest, TheUninstallerAsksFirstAndRemovesNothingWhenTheUserDeclines) {
  ops_.UninstallerLogFile = "C:\\Product\\install.log";
  ops_.Variables["APPNAME"] = "Corvane Product";
  watcher_.Hold(true);
  test::DialogWatcher declining(GetCurrentProcessId(), IDCANCEL);
  EXPECT_FALSE(RunFlow());
  ASSERT_EQ(declining.Seen().size(), 1u);
  EXPECT_EQ(declining.Seen()[0].Text, "Do you want to remove Corvane Product and all of its parts?");
  EXPECT_FALSE(ops_.Called("RunUninstallation"));
}

TEST_F(RunSetupTest, AnUninstallerWhoseLogCannotBeReadRemovesNothing) {
  ops_.UninstallerLogFile = "C:\\Product\\install.log";
  ops_.Fail["PrepareUninstallFromLog"] = true;
  EXPECT_FALSE(RunFlow());
  EXPECT_FALSE(ops_.Called("RunUninstallation"));
  EXPECT_FALSE(ops_.Called("Rollback"));
}

TEST_F(RunSetupTest, RepairWithoutStoredSilentSettingsIsRefused) {
  ops_.Variables["INSTALLMODE"] = "2";
  ops_.Variables["APPID"] = "CorvaneTestNoSuchApp" + std::to_string(GetCurrentProcessId());
  EXPECT_FALSE(RunFlow());
  ASSERT_TRUE(watcher_.WaitForCount(1, 5000));
  EXPECT_EQ(watcher_.Seen()[0].Text, "Cannot repair an application.");
  EXPECT_FALSE(ops_.Called("MarkComponentsToInstall"));
}

// The uninstall entry's "SilentSettings" is read through the registry facade
// (machine-wide first, then the user's), and must name an existing file.
TEST_F(RunSetupTest, RepairLoadsTheSilentSettingsNamedInTheUninstallEntry) {
  const std::string entry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Repaired";
  const std::string settings = folder_.Path() + "setup.sss";
  ASSERT_TRUE(test::WriteFileBytes(settings, "<silentsettings/>"));
  ASSERT_TRUE(CreateDirectoryA((folder_.Path() + "folder.sss").c_str(), nullptr));
  struct Case {
    const char* root;
    std::string value;
    bool repaired;
  };
  const Case cases[] = {{"HKLM\\", settings, true},
                        {"HKCU\\", settings, true},
                        {"HKLM\\", folder_.Path() + "folder.sss", false},
                        {"HKCU\\", folder_.Path() + "missing.sss", false}};
  std::size_t boxes = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.root) + c.value);
    const test::RegistrySandbox sandbox("RunSetupRepair");
    ASSERT_TRUE(RegWriteString(c.root + entry, "SilentSettings", c.value));
    ops_.Calls.clear();
    cv::Run() = RunState{};
    cv::Run().WorkFolder = folder_.Path();
    cv::Run().SetupFileName = folder_.Path() + "setup.exe";
    ops_.Variables["INSTALLMODE"] = "2";
    ops_.Variables["APPID"] = "Repaired";
    EXPECT_EQ(RunFlow(), c.repaired);
    EXPECT_TRUE(cv::Run().RepairMode);
    if (c.repaired) {
      EXPECT_LT(IndexOf("LoadRepairSettings " + settings), IndexOf("MarkComponentsToInstall"));
    } else {
      ASSERT_TRUE(watcher_.WaitForCount(++boxes, 5000));
      EXPECT_EQ(watcher_.Seen().back().Text, "Cannot repair an application.");
      EXPECT_FALSE(ops_.Called("MarkComponentsToInstall"));
    }
  }
}

TEST_F(RunSetupTest, ResumedRunContinuesWithTheInstallation) {
  cv::Run().ResumeMode = true;
  ops_.State = InstallState::Other;
  ASSERT_TRUE(RunFlow());
  // A resumed run neither reads the package again nor shows the wizard's
  // first pages; its install type comes back from the saved database.
  EXPECT_FALSE(ops_.Called("ImportVariables"));
  EXPECT_FALSE(ops_.Called("AddMainPackage " + folder_.Path() + "setup.exe"));
  EXPECT_FALSE(ops_.Called("EV_SHOWDIALOGS false"));
  EXPECT_FALSE(ops_.Called("EV_BEFOREINSTALL"));
  EXPECT_FALSE(ops_.Called("RunProgramsBeforeDialogs"));
  EXPECT_TRUE(ops_.Called("RestoreActiveInstallType"));
  EXPECT_FALSE(ops_.Called("SetFileDestinations")) << "the saved files have theirs";
  EXPECT_LT(IndexOf("EV_START"), IndexOf("RunInstallation"));
  // No unpack library is written: the saved work folder has it already.
  EXPECT_FALSE(test::PathExists(folder_.Path() + "unpack.dll"));
}

TEST_F(RunSetupTest, RunResumedBeforeTheDialogsContinuesAsAFreshInstallation) {
  cv::Run().ResumeMode = true;
  ops_.State = InstallState::RunAppBeforeDialogs;
  ASSERT_TRUE(RunFlow());
  EXPECT_FALSE(cv::Run().ResumeMode);
  EXPECT_TRUE(ops_.Called("RunProgramsBeforeDialogs"));
  EXPECT_TRUE(ops_.Called("EV_SHOWDIALOGS false"));
  EXPECT_TRUE(ops_.Called("EV_BEFOREINSTALL"));
  EXPECT_TRUE(ops_.Called("SetFileDestinations"));
}

TEST_F(RunSetupTest, ProgramAskingForRestartBeforeTheDialogsSuspendsTheRun) {
  struct SuspendingPrograms : RecordingOperations {
    bool RunProgramsBeforeDialogs() override {
      Record("RunProgramsBeforeDialogs");
      SaveStateForResume();
      return true;
    }
  } ops;
  ops.EngineStrings = ops_.EngineStrings;
  EXPECT_TRUE(RunSetup(ops, {folder_.Path() + "setup.exe"}));
  EXPECT_TRUE(cv::Run().ResumePending);
  EXPECT_FALSE(ops.Called("EV_SHOWDIALOGS false"));
  EXPECT_FALSE(ops.Called("EV_AFTERPROCESSITEMS 6"));
  // The wizard is not told the run finished: it continues after the restart.
  EXPECT_TRUE(ops.CallsStartingWith("EV_FINISH").empty());
}

TEST_F(RunSetupTest, CurrentFolderIsTheSetupFolderDuringTheRunAndRestoredAfter) {
  char before[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, before);
  std::string during;
  ops_.OnEvent = [&](EngineEvent event) {
    if (event == EngineEvent::Start) {
      char current[MAX_PATH] = {};
      GetCurrentDirectoryA(MAX_PATH, current);
      during = current;
    }
  };
  ASSERT_TRUE(RunFlow());
  EXPECT_EQ(during + "\\", folder_.Path());
  char after[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_STREQ(after, before);
}

TEST_F(RunSetupTest, EngineStringIsEmptyWhenTheLanguageTableLacksIt) {
  EXPECT_EQ(EngineString(ops_, 13), "This system is not supported.");
  EXPECT_EQ(EngineString(ops_, 99), "");
}

}  // namespace
}  // namespace cv
