#include "engine/win/programs_before_dialogs.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"
#include "temp_folder.h"

namespace cv {
namespace {

// Each program appends its name to a file, so that the order in which they
// really ran can be read back.
class ProgramsBeforeDialogsTest : public testing::Test {
 protected:
  void SetUp() override {
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, MAX_PATH);
    cmd_ = std::string(folder) + "\\cmd.exe";
    order_ = temp_.Path() + "order.txt";
    auto package = TcvPackage::New();
    package->Main = true;
    AddComponent(*package, "A", {"A0", "A1", "A2"});
    AddComponent(*package, "B", {"B0"});
    database_.Packages->Add(std::move(package));
    SetMainDatabase(&database_);

    MessageHandlers handlers;
    handlers.Plugins = [this](std::int32_t, std::int32_t id, const std::string& name,
                              std::int32_t in, std::int32_t, bool) {
      // The program's name is the last word of its arguments.
      const std::string arg = GetStr(in, 2);
      const std::string program = arg.substr(arg.find("echo ") + 5, 2);
      seen_.push_back(name + " " + program + " " + std::to_string(GetInt(in, 0)) + "," +
                      std::to_string(GetInt(in, 4)) + "," + GetStr(in, 5) + "," +
                      std::to_string(GetInt(in, 6)));
      if (id == EV_BEFOREPROCESSITEM && program == logoffDuring_) pending_ = true;
      return id == EV_BEFOREPROCESSITEM && program == skip_ ? 1 : 0;
    };
    previous_ = SetMessageHandlers(handlers);
  }
  void TearDown() override {
    SetMessageHandlers(previous_);
    SetMainDatabase(nullptr);
  }

  void AddComponent(TcvPackage& package, const std::string& id,
                    const std::vector<std::string>& programs) {
    auto component = TcvComponent::New();
    component->SetID(id);
    for (const std::string& program : programs) {
      auto app = TcvRunApp::New();
      app->CmdLine = cmd_;
      app->Arg = "/c echo " + program + ">>\"" + order_ + "\"";
      app->WhenStart = TcvWhenStart::before_dialogs;
      app->ShowCmd = TcvShowCmd::scHide;
      app->Msg = "Running " + program;
      component->RunApps->Add(std::move(app));
    }
    // A program of another moment is not run here.
    auto later = TcvRunApp::New();
    later->CmdLine = cmd_;
    later->Arg = "/c echo L" + id + ">>\"" + order_ + "\"";
    later->WhenStart = TcvWhenStart::after_install;
    component->RunApps->Add(std::move(later));
    package.Components->Add(std::move(component));
  }

  std::string Ran() { return test::ReadFileBytes(order_); }

  test::TempFolder temp_;
  std::string cmd_, order_;
  std::unique_ptr<TcvMainDatabase> owned_ = TcvMainDatabase::New();
  TcvMainDatabase& database_ = *owned_;
  MessageHandlers previous_;
  std::vector<std::string> seen_;
  std::string skip_, logoffDuring_;
  bool pending_ = false;
};

TEST_F(ProgramsBeforeDialogsTest, RunInOrderEachFramedByItsMessages) {
  ASSERT_TRUE(RunProgramsBeforeDialogs(database_, pending_));
  EXPECT_EQ(Ran(), "A0\r\nA1\r\nA2\r\nB0\r\n");
  std::vector<std::string> expected;
  for (const char* program : {"A0", "A1", "A2", "B0"}) {
    const std::string values = std::string(program) + " 6,3,Running " + program + ",4";
    expected.push_back("EV_BEFOREPROCESSITEM " + values);
    expected.push_back("EV_AFTERPROCESSITEM " + values);
  }
  EXPECT_EQ(seen_, expected);
  EXPECT_EQ(database_.InstallState, TcvInstallState::isUnknown);
  EXPECT_EQ(database_.InstallStateData, "");
}

TEST_F(ProgramsBeforeDialogsTest, APlugInSkipsAnEntry) {
  skip_ = "A1";
  ASSERT_TRUE(RunProgramsBeforeDialogs(database_, pending_));
  EXPECT_EQ(Ran(), "A0\r\nA2\r\nB0\r\n");
  EXPECT_EQ(seen_.size(), 7u);
}

// Logoff while A's second program runs: the state names it, nothing more
// runs; the resumed run goes on with A's third program and B.
TEST_F(ProgramsBeforeDialogsTest, LogoffDuringTheSecondProgramResumesAfterIt) {
  logoffDuring_ = "A1";
  ASSERT_TRUE(RunProgramsBeforeDialogs(database_, pending_));
  EXPECT_EQ(Ran(), "A0\r\nA1\r\n");
  EXPECT_EQ(database_.InstallState, TcvInstallState::isRunAppBeforeDialogs);
  EXPECT_EQ(database_.InstallStateData, "A,1");
  EXPECT_EQ(seen_.back(), "EV_BEFOREPROCESSITEM A1 6,3,Running A1,4");

  logoffDuring_.clear();
  pending_ = false;
  database_.InstallState = TcvInstallState::isUnknown;
  ASSERT_TRUE(RunProgramsBeforeDialogs(database_, pending_));
  EXPECT_EQ(Ran(), "A0\r\nA1\r\nA2\r\nB0\r\n");
  EXPECT_EQ(database_.InstallStateData, "");
}

}  // namespace
}  // namespace cv
