// Event scripts: every action kind with its return, break and continue
// codes, events chosen by message, time and condition, the dispatcher's
// scripts before and after the plug-ins, and scripts that do not end.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/main_database.h"
#include "database/model_hooks.h"
#include "database/variable_access.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"
#include "script/evaluate_expression.h"
#include "script/event_scripts.h"
#include "script/references.h"
#include "script/silent_abort.h"

namespace cv {
namespace {

class EventScripts : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = MainDatabase();
    SetMainDatabase(db_.get());
    InstallEvaluatorHooks();
    SetConditionEvaluation(true);
    SetEvaluationErrorReporter([this](const std::string& message) { errors_.push_back(message); });
    db_->LoadFromString("<cv2project><variables><var name='Log' value=''/></variables></cv2project>",
                        "");
  }
  void TearDown() override {
    SetEvaluationErrorReporter({});
    SetScriptLoopLimit(0);
    SetConditionEvaluation(false);
    SetMainDatabase(saved_);
    ExpressionHook = nullptr;
    ConditionHook = nullptr;
    VariableTextHook = nullptr;
    LanguageStringHook = nullptr;
  }

  std::string Run(const std::string& body) {
    return RunActionsText(db_.get(), 0, "<actions>" + body + "</actions>", 0);
  }
  std::string Var(const std::string& name) { return GetVar(db_.get(), name, "<none>"); }
  void LoadEvents(const std::string& events) {
    db_->LoadFromString("<cv2project><variables><var name='Log' value=''/></variables><events>" +
                            events + "</events></cv2project>",
                        "");
  }

  std::unique_ptr<TcvMainDatabase> db_ = TcvMainDatabase::New();
  TcvMainDatabase* saved_ = nullptr;
  std::vector<std::string> errors_;
};

// Appends a mark to the variable Log.
std::string Mark(const std::string& mark) {
  return "<action expression=\"Log := %Log% &#x26; '" + mark + "'\"/>";
}

TEST_F(EventScripts, EveryActionKind) {
  struct Case {
    const char* what;
    std::string body;
    std::string result;
    std::string log;
  };
  const std::vector<Case> cases = {
      {"plain actions, no return", Mark("a") + Mark("b"), "", "ab"},
      {"return ends the list", Mark("a") + "<return expression=\"'r' &#x26; 1\"/>" + Mark("b"),
       "r1", "a"},
      {"if takes then", "<if expression='1'><then>" + Mark("t") + "</then><else>" + Mark("e") +
                            "</else></if>",
       "", "t"},
      {"if takes else", "<if expression='0'><then>" + Mark("t") + "</then><else>" + Mark("e") +
                            "</else></if>",
       "", "e"},
      {"return in a loop in an if ends the script",
       "<if expression='1'><then><loop initexpression='i := 0' expression='%i% &#x3C; 5' "
       "loopexpression='i := %i% + 1'>" +
           Mark("L") + "<if expression='%i% = 2'><then><return expression='%i%'/></then></if>" +
           "</loop>" + Mark("after-loop") + "</then></if>" + Mark("after-if"),
       "2", "LLL"},
      {"pre-condition loop false at once runs only the init",
       "<loop initexpression=\"Log := 'init'\" expression='0' loopexpression=\"Log := 'step'\">" +
           Mark("body") + "</loop>",
       "", "init"},
      {"post-condition loop runs once",
       "<loop looptype='postcond' expression='0' loopexpression=\"Log := %Log% &#x26; 's'\">" +
           Mark("b") + "</loop>",
       "", "bs"},
      {"continue skips the rest of the body, not the step",
       "<loop initexpression='i := 0' expression='%i% &#x3C; 3' loopexpression='i := %i% + 1'>"
       "<if expression='%i% = 1'><then><continue/></then></if>" +
           Mark("x") + "</loop>",
       "", "xx"},
      {"break in a case of a switch in a loop leaves the loop",
       "<loop initexpression='i := 0' expression='1' loopexpression='i := %i% + 1'>"
       "<switch expression='%i%'><case expression='2'>" +
           Mark("c") + "<break/>" + Mark("no") + "</case></switch>" + Mark("n") + "</loop>" +
           Mark("end"),
       "", "nncend"},
      {"switch compares exactly, no match runs else",
       "<switch expression=\"'A'\"><case expression=\"'a'\">" + Mark("a") +
           "</case><else>" + Mark("else") + "</else></switch>",
       "", "else"},
      {"first equal case only, later case expressions not evaluated",
       "<switch expression=\"'k'\"><case expression=\"'k'\">" + Mark("1") +
           "</case><case expression=\"Log := 'evaluated'\">" + Mark("2") + "</case></switch>",
       "", "1"},
      {"a case's own condition is not tested",
       "<switch expression='1'><case expression='1' condition='0'>" + Mark("c") +
           "</case></switch>",
       "", "c"},
      {"an action whose condition fails is skipped",
       "<action condition='0' expression=\"Log := 'no'\"/>" + Mark("y"), "", "y"},
      {"break outside a loop ends the run, its code ignored",
       "<if expression='1'><then><break/>" + Mark("x") + "</then></if>" + Mark("y"), "", ""},
      {"return inside a switch case", "<switch expression='1'><case expression='1'>"
                                      "<return expression=\"'from case'\"/></case></switch>" +
                                          Mark("no"),
       "from case", ""},
      {"element names are kinds whatever their case",
       "<Switch expression='1'><CASE expression='1'><Return expression=\"'upper'\"/></CASE>"
       "</Switch>",
       "upper", ""},
      {"an unknown element runs as an action", "<frobnicate expression=\"Log := 'u'\"/>", "",
       "u"},
  };
  for (const Case& c : cases) {
    SetVar(db_.get(), "Log", "");
    EXPECT_EQ(Run(c.body), c.result) << c.what;
    EXPECT_EQ(Var("Log"), c.log) << c.what;
  }
  EXPECT_TRUE(errors_.empty());
}

TEST_F(EventScripts, ExpressionErrorAbortsTheRun) {
  EXPECT_THROW(Run(Mark("a") + "<action expression='NoSuchFunction(1)'/>" + Mark("b")), SilentAbort);
  EXPECT_EQ(Var("Log"), "a");
  EXPECT_EQ(errors_.size(), 1u);
}

TEST_F(EventScripts, TextThatIsNoXmlIsReported) {
  EXPECT_THROW(RunActionsText(db_.get(), 0, "<actions></wrong>", 0), SilentAbort);
  EXPECT_EQ(errors_.size(), 1u);
  EXPECT_EQ(RunActionsText(db_.get(), 0, "<other><return expression='1'/></other>", 0), "")
      << "only an element named actions is read";
}

TEST_F(EventScripts, RunawayLoopIsStoppedWithAnError) {
  SetScriptLoopLimit(50);
  EXPECT_THROW(Run("<loop expression='1'>" + Mark("x") + "</loop>" + Mark("after")), SilentAbort);
  EXPECT_EQ(Var("Log"), std::string(50, 'x'));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_NE(errors_[0].find("50 loop passes"), std::string::npos) << errors_[0];
  errors_.clear();
  // The count is per run: two runs of 30 passes each stay below it.
  const std::string thirty =
      "<loop initexpression='i := 0' expression='%i% &#x3C; 30' loopexpression='i := %i% + 1'/>";
  Run(thirty);
  Run(thirty);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(EventScripts, EventsByMessageTimeAndCondition) {
  LoadEvents(
      "<event eventid='ev_test' whenhandle='before_plugins'>" + Mark("1") +
      "<return expression='0'/></event>"
      "<event eventid='EV_TEST' whenhandle='after_plugins'>" +
      Mark("after") +
      "<return expression='7'/></event>"
      "<event eventid='EV_TEST' whenhandle='before_plugins' condition='0'>" +
      Mark("off") +
      "<return expression='9'/></event>"
      "<event eventid='EV_TEST' whenhandle='before_plugins'>" +
      Mark("2") +
      "<return expression='5'/></event>"
      "<event eventid='EV_TEST' whenhandle='before_plugins'>" +
      Mark("3") + "<return expression='6'/></event>");
  const TcvEvents* events = db_->Events.get();
  EXPECT_EQ(RunEvents(events, db_.get(), 0, false, TcvEventWhenHandle::before_plugins, "EV_TEST"),
            5);
  EXPECT_EQ(Var("Log"), "12") << "the first non-zero answer ends the loop";
  SetVar(db_.get(), "Log", "");
  EXPECT_EQ(RunEvents(events, db_.get(), 0, true, TcvEventWhenHandle::before_plugins, "EV_TEST"),
            6);
  EXPECT_EQ(Var("Log"), "123") << "process-all runs every matching event";
  SetVar(db_.get(), "Log", "");
  EXPECT_EQ(RunEvents(events, db_.get(), 0, false, TcvEventWhenHandle::after_plugins, "ev_test"),
            7);
  EXPECT_EQ(Var("Log"), "after");
  EXPECT_EQ(RunEvents(events, db_.get(), 0, false, TcvEventWhenHandle::after_plugins, "EV_OTHER"),
            0);
  EXPECT_EQ(RunEvents(nullptr, db_.get(), 0, true, TcvEventWhenHandle::after_plugins, "EV_TEST"),
            0);
}

TEST_F(EventScripts, AnswerIsTheReturnTextAsInteger) {
  LoadEvents(
      "<event eventid='EV_A' whenhandle='before_plugins'>" + Mark("x") +
      "</event>"
      "<event eventid='EV_B' whenhandle='before_plugins'><return expression=\"'abc'\"/></event>"
      "<event eventid='EV_C' whenhandle='before_plugins'><return expression='-3'/></event>");
  const auto run = [&](const char* name) {
    return RunEvents(db_->Events.get(), db_.get(), 0, false, TcvEventWhenHandle::before_plugins,
                     name);
  };
  EXPECT_EQ(run("EV_A"), 0) << "no return";
  EXPECT_EQ(run("EV_B"), 0) << "no integer";
  EXPECT_EQ(run("EV_C"), -3);
}

TEST_F(EventScripts, DispatcherRunsScriptsAroundThePlugins) {
  LoadEvents(
      "<event eventid='EV_SHOWDIALOGS' whenhandle='before_plugins'>"
      "<if expression='GetParam(%EventParams%, 0) = 1'><then>"
      "<action expression=\"AddParam(%EventResult%, 'handled ' &#x26; GetParam(%EventParams%, 1))\"/>"
      "<return expression='1'/></then></if></event>"
      "<event eventid='EV_SHOWDIALOGS' whenhandle='after_plugins'>" +
      Mark("after") + "<return expression='3'/></event>");
  std::vector<std::string> pluginSaw;
  MessageHandlers previous = SetMessageHandlers({});
  MessageHandlers plugins;
  plugins.Plugins = [&](std::int32_t, std::int32_t, const std::string& name, std::int32_t,
                        std::int32_t, bool) {
    pluginSaw.push_back(name);
    return std::int32_t{0};
  };
  SetMessageHandlers(plugins);
  InstallEventScripts([this](std::int32_t) { return db_.get(); });
  SetVar(db_.get(), "EventParams", "before");

  const std::int32_t in = CreateBlock();
  AddInt(in, 1);
  AddStr(in, "dialogs");
  const std::int32_t out = CreateBlock();
  EXPECT_EQ(SendMessageByName("EV_SHOWDIALOGS", in, out, false, false), 1);
  EXPECT_TRUE(pluginSaw.empty()) << "answered before the plug-ins";
  EXPECT_EQ(GetStr(out, 0), "handled dialogs");
  EXPECT_EQ(Var("EventParams"), "before") << "the previous text is back after the dispatch";

  EXPECT_EQ(SendMessageByName("EV_SHOWDIALOGS", in, out, false, true), 3)
      << "process-all: the answer of the last step";
  EXPECT_EQ(pluginSaw.size(), 1u);
  EXPECT_EQ(Var("Log"), "after");

  SetInt(in, 0, 0);
  pluginSaw.clear();
  EXPECT_EQ(SendMessageByName("EV_SHOWDIALOGS", in, out, false, false), 3);
  EXPECT_EQ(pluginSaw.size(), 1u) << "a script answering 0 lets the plug-ins see it";

  RemoveEventScripts();
  EXPECT_EQ(SendMessageByName("EV_SHOWDIALOGS", in, out, false, false), 0);
  DestroyBlock(in);
  DestroyBlock(out);
  SetMessageHandlers(previous);
}

}  // namespace
}  // namespace cv
