// The plug-in host in the test program's own process: which DLLs are taken
// as a package's plug-ins, their order of unloading, the context of their
// requests, their functions, and failures inside their requests.

#include "plugins/win/plugin_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "database/packages.h"
#include "engine/win/engine_operations.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_store.h"
#include "script/evaluate_expression.h"
#include "script/silent_abort.h"
#include "temp_folder.h"

namespace cv {
namespace {

class PluginHostTest : public ::testing::Test {
 protected:
  PluginHostTest() : ops_(ArgumentList{"setup.exe"}) {
    auto package = TcvPackage::New(ops_.Database().Packages.get());
    package_ = package.get();
    ops_.Database().Packages->Add(std::move(package));
    SetEvaluationErrorReporter([this](const std::string& message) { errors_.push_back(message); });
  }
  ~PluginHostTest() override {
    UnloadAll();
    SetEvaluationErrorReporter({});
  }

  // The package's plug-in entries; every plug-in logs to the same file.
  void Entries(const std::string& entries) {
    std::string text = "<package id='p'><plugins>" + entries + "</plugins></package>";
    for (std::size_t at = text.find("LOG"); at != std::string::npos; at = text.find("LOG", at + 1)) {
      text.replace(at, 3, "<paramgroup name='Log'><param name='File' value='" + log_.Path() +
                              "plugins.log'/></paramgroup>");
    }
    package_->LoadFromString(text, "package");
  }
  static std::string Dll(const char* name) {
    return test::TestProgramFolder() + name + ".dll";
  }
  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    std::istringstream in(test::ReadFileBytes(log_.Path() + "plugins.log"));
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

  EngineOperations ops_;
  TcvPackage* package_ = nullptr;
  test::TempFolder log_;
  std::vector<std::string> errors_;
};

TEST_F(PluginHostTest, OnlyLibrariesThatAreThisPackagesPluginsAreTaken) {
  Entries("<plugin id='TestHelper'><config>LOG</config></plugin>");
  struct Case {
    std::string Path;
    const char* Why;
  };
  for (const Case& c : {Case{Dll("cvtestplugin_a"), "its ID names no entry"},
                        Case{Dll("cvtestplugin_newer"), "a newer interface"},
                        Case{Dll("cvtestplugin_nostartup"), "no SetStartupInfo"},
                        Case{log_.Path() + "missing.dll", "no such file"},
                        Case{"cvtestplugin_b.dll", "not a full path"}}) {
    EXPECT_FALSE(LoadPlugin(*package_, c.Path)) << c.Why;
    EXPECT_TRUE(Plugins().empty()) << c.Why;
  }
  EXPECT_FALSE(test::PathExists(log_.Path() + "plugins.log")) << "none of them was started";
  EXPECT_TRUE(LoadPlugin(*package_, Dll("cvtestplugin_b")));
  ASSERT_EQ(Plugins().size(), 1u);
  EXPECT_EQ(Plugins()[0]->Id, 1);
  EXPECT_EQ(PluginEntryId(1), "TestHelper");
}

TEST_F(PluginHostTest, AnEntryWhoseConditionFailsTakesTheDllButDropsIt) {
  Entries("<plugin id='TestHelper' condition='0'><config>LOG</config></plugin>");
  ops_.EnableConditionEvaluation();
  EXPECT_TRUE(LoadPlugin(*package_, Dll("cvtestplugin_b")));
  EXPECT_TRUE(Plugins().empty());
  EXPECT_FALSE(test::PathExists(log_.Path() + "plugins.log")) << "never started";
}

TEST_F(PluginHostTest, PluginsUnloadInReverseOrderAndRequestsRunInTheirPackage) {
  Entries("<plugin id='TestWizard'><config>LOG</config></plugin>"
          "<plugin id='TestHelper'><config>LOG</config></plugin>");
  ASSERT_TRUE(LoadPlugin(*package_, Dll("cvtestplugin_a")));
  ASSERT_TRUE(LoadPlugin(*package_, Dll("cvtestplugin_b")));
  ASSERT_EQ(Plugins().size(), 2u);
  EXPECT_EQ(PluginContext(0), static_cast<TXMLObject*>(&ops_.Database()));
  EXPECT_EQ(PluginContext(1), static_cast<TXMLObject*>(package_));
  EXPECT_EQ(PluginContext(2), static_cast<TXMLObject*>(package_));
  EXPECT_EQ(PluginContext(3), static_cast<TXMLObject*>(&ops_.Database())) << "no such plug-in";
  EXPECT_EQ(FindPlugin(3), nullptr);
  EXPECT_EQ(SendToPlugin(FindPlugin(3), EV_START, 0, false, 0), 0);

  UnloadAll();
  EXPECT_TRUE(Plugins().empty());
  std::vector<std::string> ends;
  for (const std::string& line : Log()) {
    if (line.rfind("DETACH", 0) == 0) ends.push_back(line);
  }
  EXPECT_EQ(ends, (std::vector<std::string>{"DETACH TestHelper", "DETACH TestWizard"}));
}

TEST_F(PluginHostTest, AFunctionWhosePluginAnswersZeroOrIsGoneGivesTheEmptyText) {
  Entries("<plugin id='TestHelper'><config>LOG"
          "<paramgroup name='On EV_LOAD'><param name='1' value='CM_REGISTERFUNCTION|HelperFn|#1'/>"
          "</paramgroup><paramgroup name='Function'><param name='Result' value='r:'/></paramgroup>"
          "</config></plugin>");
  ASSERT_TRUE(LoadPlugin(*package_, Dll("cvtestplugin_b")));
  EXPECT_EQ(EvaluateExpression(nullptr, 0, "'<' & HelperFn('a') & '>'", 0, true), "<>");
  const std::vector<std::string> log = Log();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log.back().rfind("MSG EV_CALCFUNCTION 19 [i:", 0), 0u) << log.back();
  UnloadAll();
  const std::size_t before = Log().size();
  EXPECT_EQ(EvaluateExpression(nullptr, 0, "'<' & HelperFn('a') & '>'", 0, true), "<>");
  EXPECT_EQ(Log().size(), before) << "nothing is called once the plug-in is gone";
}

TEST_F(PluginHostTest, AFunctionOfARefusedPluginNeverReachesTheNextOne) {
  Entries("<plugin id='TestWizard'><config>LOG"
          "<paramgroup name='Answers'><param name='EV_LOAD' value='1'/></paramgroup>"
          "<paramgroup name='On EV_LOAD'><param name='1' value='CM_REGISTERFUNCTION|RefusedFn|#1'/>"
          "</paramgroup></config></plugin>"
          "<plugin id='TestHelper'><config>LOG"
          "<paramgroup name='Answers'><param name='EV_CALCFUNCTION' value='1'/></paramgroup>"
          "<paramgroup name='Function'><param name='Result' value='helper:'/></paramgroup>"
          "</config></plugin>");
  ASSERT_TRUE(LoadPlugin(*package_, Dll("cvtestplugin_a")));
  EXPECT_TRUE(Plugins().empty()) << "refused";
  ASSERT_TRUE(LoadPlugin(*package_, Dll("cvtestplugin_b")));
  ASSERT_EQ(Plugins().size(), 1u);
  EXPECT_EQ(Plugins()[0]->Id, 1) << "the refused plug-in's id is free again";
  EXPECT_EQ(EvaluateExpression(nullptr, 0, "RefusedFn('x')", 0, true), "");
  for (const std::string& line : Log()) {
    EXPECT_EQ(line.find("EV_CALCFUNCTION"), std::string::npos) << line;
  }
}

TEST_F(PluginHostTest, StatusTextsAndTheActiveWindowAreAskedOfThePlugins) {
  Entries("<plugin id='TestWizard'><config>LOG"
          "<paramgroup name='Answers'><param name='CM_GETACTIVEWINDOW' value='0'/></paramgroup>"
          "</config></plugin>"
          "<plugin id='TestHelper'><config>LOG"
          "<paramgroup name='Answers'><param name='CM_GETACTIVEWINDOW' value='77'/>"
          "<param name='CM_SHOWSTATUSTEXT' value='1'/></paramgroup>"
          "</config></plugin>");
  ASSERT_TRUE(LoadPlugin(*package_, Dll("cvtestplugin_a")));
  ASSERT_TRUE(LoadPlugin(*package_, Dll("cvtestplugin_b")));
  // The first plug-in answering non-zero owns the boxes.
  EXPECT_EQ(SendMessageByName(std::string(kGetActiveWindowMessage), 0, 0, false, false), 77);
  ops_.ShowStatusText("Rolling back", 750);
  ops_.HideStatusText();
  const std::vector<std::string> log = Log();
  const std::string show = "MSG CM_SHOWSTATUSTEXT " + std::to_string(RegisterMessage("CM_SHOWSTATUSTEXT")) +
                           " [s:Rolling back,i:750]";
  const std::string hide = "MSG CM_HIDESTATUSTEXT " + std::to_string(RegisterMessage("CM_HIDESTATUSTEXT")) +
                           " []";
  EXPECT_EQ(std::count(log.begin(), log.end(), show), 2) << "both are told (the first answers 0)";
  EXPECT_EQ(std::count(log.begin(), log.end(), hide), 2);
}

TEST_F(PluginHostTest, AFailureInsideAPluginsRequestReachesTheSenderAfterThePluginReturned) {
  Entries("<plugin id='TestHelper'><config>LOG"
          "<paramgroup name='On EV_START'><param name='1' value='CM_CALCEXPRESSION|1 +|#0'/>"
          "<param name='2' value='CM_GETVARIABLE|AfterTheError'/></paramgroup>"
          "</config></plugin>");
  ASSERT_TRUE(LoadPlugin(*package_, Dll("cvtestplugin_b")));
  EXPECT_THROW(SendMessageById(0, EV_START, 0, false, false, 0), SilentAbort);
  EXPECT_EQ(errors_.size(), 1u) << "shown once";
  const std::vector<std::string> log = Log();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "REQ CM_CALCEXPRESSION|1 +|#0 = 0 []");
  EXPECT_EQ(log.back(), "REQ CM_GETVARIABLE|AfterTheError = 0 [s:]")
      << "the plug-in went on and returned normally";
}

}  // namespace
}  // namespace cv
