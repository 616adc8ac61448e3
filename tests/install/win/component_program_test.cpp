#include "install/win/component_program.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace cv {
namespace {

// Which entries of components Z, A and B a run resumed at "A,1" handles
// again: Z came before the saved component, A's entries up to the saved
// one were done, everything after it runs.
TEST(AlreadyDoneBeforeResume, SkipsUpToAndIncludingTheSavedEntry) {
  std::unique_ptr<TcvMainDatabase> owned = TcvMainDatabase::New();
  TcvMainDatabase& database = *owned;
  database.InstallStateData = "A,1";
  struct Case {
    const char* component;
    int index;
    bool done;
  };
  const std::vector<Case> cases{{"Z", 0, true},  {"Z", 5, true},  {"A", 0, true},
                                {"A", 1, true},  {"A", 2, false}, {"B", 0, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(AlreadyDoneBeforeResume(database, c.component, c.index), c.done)
        << c.component << "," << c.index;
  }
  EXPECT_EQ(database.InstallStateData, "");
}

TEST(AlreadyDoneBeforeResume, DamagedIndexResumesAfterTheFirstEntry) {
  std::unique_ptr<TcvMainDatabase> owned = TcvMainDatabase::New();
  TcvMainDatabase& database = *owned;
  database.InstallStateData = "A,x";
  EXPECT_TRUE(AlreadyDoneBeforeResume(database, "A", 0));
  EXPECT_FALSE(AlreadyDoneBeforeResume(database, "A", 1));
}

TEST(AlreadyDoneBeforeResume, SavedIndexBeyondTheEntriesEndsWithItsComponent) {
  std::unique_ptr<TcvMainDatabase> owned = TcvMainDatabase::New();
  TcvMainDatabase& database = *owned;
  database.InstallStateData = "A,9";
  EXPECT_TRUE(AlreadyDoneBeforeResume(database, "A", 0));
  EndResumeInComponent(database, "Z");
  EXPECT_EQ(database.InstallStateData, "A,9");
  EndResumeInComponent(database, "A");
  EXPECT_FALSE(AlreadyDoneBeforeResume(database, "B", 0));
}

TEST(AlreadyDoneBeforeResume, FreshRunSkipsNothing) {
  std::unique_ptr<TcvMainDatabase> owned = TcvMainDatabase::New();
  TcvMainDatabase& database = *owned;
  EXPECT_FALSE(AlreadyDoneBeforeResume(database, "A", 0));
}

std::string SystemProgram(const char* name) {
  char folder[MAX_PATH];
  GetSystemDirectoryA(folder, MAX_PATH);
  return std::string(folder) + "\\" + name;
}

struct ExitCase {
  const char* name;
  std::string cmdLine;
  std::string arg;
  bool checkExitCode;
  bool expected;
};

class RunComponentProgramTest : public testing::TestWithParam<ExitCase> {};

TEST_P(RunComponentProgramTest, ExitCodeFailsOnlyWithTheCheckAndTheStateIsCleared) {
  const ExitCase& c = GetParam();
  std::unique_ptr<TcvMainDatabase> owned = TcvMainDatabase::New();
  TcvMainDatabase& database = *owned;
  auto item = TcvRunApp::New();
  item->WhenStart = TcvWhenStart::before_install;
  item->ShowCmd = TcvShowCmd::scHide;
  if (c.checkExitCode) item->Flags.Include(TcvFlag::check_exitcode);
  const bool pending = false;
  EXPECT_EQ(RunComponentProgram(database, pending, nullptr, "A", 2, *item, {c.cmdLine, c.arg, ""}),
            c.expected);
  EXPECT_EQ(database.InstallState, TcvInstallState::isUnknown);
  EXPECT_EQ(database.InstallStateData, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunComponentProgramTest,
    testing::Values(ExitCase{"ZeroChecked", SystemProgram("cmd.exe"), "/c exit 0", true, true},
                    ExitCase{"NonZeroChecked", SystemProgram("cmd.exe"), "/c exit 3", true, false},
                    ExitCase{"NonZeroUnchecked", SystemProgram("cmd.exe"), "/c exit 3", false,
                             true}),
    [](const testing::TestParamInfo<ExitCase>& param) { return std::string(param.param.name); });

// While the program runs, the state names its entry; when Windows announced
// its end meanwhile the saved state stays as it was.
TEST(RunComponentProgram, StateNamesTheEntryAndSurvivesASaveForResume) {
  std::unique_ptr<TcvMainDatabase> owned = TcvMainDatabase::New();
  TcvMainDatabase& database = *owned;
  auto item = TcvRunApp::New();
  item->WhenStart = TcvWhenStart::before_dialogs;
  item->ShowCmd = TcvShowCmd::scHide;
  const bool pending = true;
  EXPECT_TRUE(RunComponentProgram(database, pending, nullptr, "Comp", 1, *item,
                                  {SystemProgram("cmd.exe"), "/c exit 0", ""}));
  EXPECT_EQ(database.InstallState, TcvInstallState::isRunAppBeforeDialogs);
  EXPECT_EQ(database.InstallStateData, "Comp,1");
}

TEST(ProgramInstallState, EachMomentHasItsState) {
  EXPECT_EQ(ProgramInstallState(TcvWhenStart::before_dialogs),
            TcvInstallState::isRunAppBeforeDialogs);
  EXPECT_EQ(ProgramInstallState(TcvWhenStart::before_install),
            TcvInstallState::isRunAppBeforeInstall);
  EXPECT_EQ(ProgramInstallState(TcvWhenStart::after_install),
            TcvInstallState::isRunAppAfterInstall);
}

}  // namespace
}  // namespace cv
