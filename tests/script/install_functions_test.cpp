// The built-in functions that act on the run reach it through the routines
// the engine installs, in the table's order; without them they do nothing.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/cv_evaluator.h"
#include "script/install_control.h"

namespace cv {
namespace {

class InstallFunctions : public ::testing::Test {
 protected:
  void TearDown() override { SetInstallControl({}); }
  std::string Eval(std::string_view expression) {
    return TheEvaluator().EvaluateFor(nullptr, 0, 0, false, expression);
  }
  std::vector<std::string> calls_;
};

TEST_F(InstallFunctions, RegisteredInTheTablesOrder) {
  const std::vector<std::pair<const char*, std::int32_t>> order = {
      {"ComponentEnabled", 1}, {"AbortInstall", 0}, {"SuspendInstall", 0}, {"ResumeInstall", 0},
      {"SetVar", 2},           {"SetLanguage", 1},  {"SetInstallType", 1}, {"SetPassword", 1},
      {"ParseText", 2},        {"LogOperation", 3}, {"SubStr", 3}};
  for (std::size_t i = 1; i < order.size(); ++i) {
    const TkeFunction* previous = TheEvaluator().FindFunction(order[i - 1].first, order[i - 1].second);
    const TkeFunction* next = TheEvaluator().FindFunction(order[i].first, order[i].second);
    ASSERT_NE(previous, nullptr) << order[i - 1].first;
    ASSERT_NE(next, nullptr) << order[i].first;
    EXPECT_EQ(next->ID, previous->ID + 1) << order[i].first;
  }
  const TkeFunction* copy = TheEvaluator().FindFunction("CopyFile", 2);
  ASSERT_NE(copy, nullptr);
  // Between the path functions and the list functions, whatever the
  // platform registers around it.
  EXPECT_GT(copy->ID, TheEvaluator().FindFunction("NormalPath", 1)->ID);
  EXPECT_LT(copy->ID, TheEvaluator().FindFunction("Include", 2)->ID);
}

TEST_F(InstallFunctions, WithoutTheRunNothingHappensAndCopyFails) {
  EXPECT_EQ(Eval("AbortInstall & SuspendInstall & ResumeInstall & SetLanguage('DEU')"), "");
  EXPECT_EQ(Eval("CopyFile('a', 'b')"), "0");
}

TEST_F(InstallFunctions, EachReachesItsRoutine) {
  InstallControlRoutines control;
  control.AbortInstall = [this] { calls_.push_back("abort"); };
  control.SuspendInstall = [this] { calls_.push_back("suspend"); };
  control.ResumeInstall = [this] { calls_.push_back("resume"); };
  control.SetLanguage = [this](const std::string& id) { calls_.push_back("language " + id); };
  control.SetPassword = [this](const std::string& p) { calls_.push_back("password " + p); };
  control.LogOperation = [this](const std::string& s, const std::string& k, const std::string& v) {
    calls_.push_back("log [" + s + "] " + k + "=" + v);
  };
  control.Copy = [this](const std::string& from, const std::string& to) {
    calls_.push_back("copy " + from + " " + to);
    return from == "good";
  };
  SetInstallControl(control);
  Eval("AbortInstall");
  Eval("SuspendInstall");
  Eval("ResumeInstall");
  Eval("SetLanguage('DEU')");
  Eval("SetPassword('secret')");
  Eval("LogOperation('Custom', 'Key', 'Value')");
  EXPECT_EQ(Eval("CopyFile('good', 'there')"), "1");
  EXPECT_EQ(Eval("CopyFile('bad', 'there')"), "0");
  EXPECT_EQ(calls_, (std::vector<std::string>{"abort", "suspend", "resume", "language DEU",
                                              "password secret", "log [Custom] Key=Value",
                                              "copy good there", "copy bad there"}));
}

}  // namespace
}  // namespace cv
