// EngineMain in-process, with the subsystems it drives recorded: the work
// folders, the clean-up, the exit code and what reaches the user.

#include <gtest/gtest.h>

#include <stdexcept>

#include "dialog_watcher.h"
#include "engine/run_state.h"
#include "engine/win/engine.h"
#include "platform/date_time.h"
#include "platform/win/message_box.h"
#include "recording_operations.h"
#include "script/silent_abort.h"
#include "temp_folder.h"

namespace cv {
namespace {

// Points the process's temporary root at a folder of the test.
class TemporaryRoot {
 public:
  explicit TemporaryRoot(const std::string& folder) {
    Save("TMP", tmp_);
    Save("TEMP", temp_);
    SetEnvironmentVariableA("TMP", folder.c_str());
    SetEnvironmentVariableA("TEMP", folder.c_str());
  }
  ~TemporaryRoot() {
    SetEnvironmentVariableA("TMP", tmp_.empty() ? nullptr : tmp_.c_str());
    SetEnvironmentVariableA("TEMP", temp_.empty() ? nullptr : temp_.c_str());
  }

 private:
  static void Save(const char* name, std::string& into) {
    char value[MAX_PATH * 2] = {};
    if (GetEnvironmentVariableA(name, value, sizeof value)) into = value;
  }
  std::string tmp_;
  std::string temp_;
};

class EngineMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cv::Run() = RunState{};
    SetApplicationName("");  // no language has named the application yet
  }
  void TearDown() override { cv::Run() = RunState{}; }

  int RunEngine(const ArgumentList& args) {
    TemporaryRoot root(temp_.Path());
    return EngineMain(ops_, args);
  }

  test::TempFolder temp_;
  test::RecordingOperations ops_;
  test::DialogWatcher watcher_;
};

TEST_F(EngineMainTest, SuccessfulRunExitsWithZeroAndLeavesNoWorkFolder) {
  std::string workDuringRun;
  ops_.OnEvent = [&](EngineEvent event) {
    if (event == EngineEvent::Start) workDuringRun = cv::Run().WorkFolder;
  };
  EXPECT_EQ(RunEngine({temp_.Path() + "setup.exe"}), 0);
  EXPECT_TRUE(watcher_.Seen().empty());
  ASSERT_FALSE(workDuringRun.empty());
  EXPECT_EQ(workDuringRun.rfind(temp_.Path(), 0), 0u) << workDuringRun;
  EXPECT_EQ(workDuringRun.size(), temp_.Path().size() + 9);
  // The fonts, assembly and backup folders lie inside the work folder.
  for (const char* name : {"TEST:FONTS", "TEST:ASSEMBLIES", "TEST:BACKUPS"}) {
    const std::string folder = ops_.Variables[name];
    EXPECT_EQ(folder.rfind(workDuringRun, 0), 0u) << folder;
    EXPECT_EQ(folder.size(), workDuringRun.size() + 9) << folder;
  }
  EXPECT_TRUE(test::FolderEntries(temp_.Path()).empty());
}

TEST_F(EngineMainTest, DatesAndTimesUseTheEngineFormatsWhateverTheLocale) {
  RunEngine({temp_.Path() + "setup.exe"});
  EXPECT_EQ(FormatDate(LocalTime{2026, 3, 4, 5, 6, 7, 0}), "03/04/2026");
  EXPECT_EQ(FormatTime(LocalTime{2026, 3, 4, 5, 6, 7, 0}), "05:06:07");
}

TEST_F(EngineMainTest, FailedRunExitsWithMinusOne) {
  ops_.Fail["RunInstallation"] = true;
  EXPECT_EQ(RunEngine({temp_.Path() + "setup.exe"}), -1);
  EXPECT_TRUE(test::FolderEntries(temp_.Path()).empty());
}

TEST_F(EngineMainTest, ExitCodeSetByTheRunIsKept) {
  ops_.Fail["RunInstallation"] = true;
  ops_.OnEvent = [](EngineEvent event) {
    if (event == EngineEvent::BeforeInstall) cv::Run().ExitCode = 5;
  };
  EXPECT_EQ(RunEngine({temp_.Path() + "setup.exe"}), 5);
}

TEST_F(EngineMainTest, ExceptionIsShownWithItsMessageAndCleanedUp) {
  struct Throwing : test::RecordingOperations {
    bool ImportVariables() override { throw std::runtime_error("The disk is full."); }
  } ops;
  TemporaryRoot root(temp_.Path());
  EXPECT_EQ(EngineMain(ops, {temp_.Path() + "setup.exe"}), -1);
  ASSERT_TRUE(watcher_.WaitForCount(1, 5000));
  EXPECT_EQ(watcher_.Seen()[0].Caption, "Error");
  EXPECT_EQ(watcher_.Seen()[0].Text, "The disk is full.");
  // The clean-up block ran before the box: plug-ins unloaded, database freed.
  EXPECT_TRUE(ops.Called("UnloadPlugins"));
  EXPECT_TRUE(ops.Called("FreeDatabase"));
  EXPECT_TRUE(test::FolderEntries(temp_.Path()).empty());
}

TEST_F(EngineMainTest, SilentAbortEndsWithoutASecondMessage) {
  struct Aborting : test::RecordingOperations {
    bool ImportVariables() override { throw SilentAbort(); }
  } ops;
  TemporaryRoot root(temp_.Path());
  EXPECT_EQ(EngineMain(ops, {temp_.Path() + "setup.exe"}), -1);
  EXPECT_FALSE(watcher_.WaitForCount(1, 300));
  EXPECT_TRUE(test::FolderEntries(temp_.Path()).empty());
}

TEST_F(EngineMainTest, ExeNameSwitchNamesTheSetupFile) {
  const std::string setup = temp_.Path() + "other place\\product setup.exe";
  EXPECT_EQ(RunEngine({temp_.Path() + "CVEngine.exe", "/exename:\"" + setup + "\""}), 0);
  EXPECT_TRUE(ops_.Called("AddMainPackage " + setup));
  EXPECT_TRUE(ops_.Called("LoadSilentSettings " + temp_.Path() + "other place\\product setup.sss"));
}

TEST_F(EngineMainTest, PendingResumeKeepsTheWorkFolder) {
  std::string work;
  ops_.OnEvent = [&](EngineEvent event) {
    if (event == EngineEvent::BeforeInstall) {
      work = cv::Run().WorkFolder;
      ops_.SaveStateForResume();
    }
  };
  EXPECT_EQ(RunEngine({temp_.Path() + "setup.exe"}), 0);
  ASSERT_FALSE(work.empty());
  EXPECT_TRUE(test::PathExists(work));
  EXPECT_TRUE(test::PathExists(work + "unpack.dll"));
  EXPECT_TRUE(ops_.CallsStartingWith("EV_FINISH").empty());
}

}  // namespace
}  // namespace cv
