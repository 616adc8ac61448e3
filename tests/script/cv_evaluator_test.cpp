// The project's expression language: operators, numbers, references in
// operands, plug-in functions and the engine-wide entry with its error box.

#include "script/cv_evaluator.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "database/main_database.h"
#include "database/model_hooks.h"
#include "database/variable_access.h"
#include "script/evaluate_expression.h"
#include "script/number_text.h"
#include "script/silent_abort.h"

namespace cv {
namespace {

class Expressions : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = MainDatabase();
    SetMainDatabase(db_.get());
    InstallEvaluatorHooks();
    SetEvaluationErrorReporter([this](const std::string& message) { shown_.push_back(message); });
    db_->LoadFromString(
        "<cv2project><variables><var name='InstallDir' value='C:\\Apps'/>"
        "<var name='Count' value='41'/></variables>"
        "<languages><language lngid=''><param name='Caption' value='Setup'/></language>"
        "</languages></cv2project>",
        "");
  }
  void TearDown() override {
    SetEvaluationErrorReporter({});
    SetMainDatabase(saved_);
    ExpressionHook = nullptr;
    ConditionHook = nullptr;
    VariableTextHook = nullptr;
    LanguageStringHook = nullptr;
  }

  std::string Eval(std::string_view expression, bool expand = true) {
    return TheEvaluator().EvaluateFor(db_.get(), 0, 0, expand, expression);
  }
  // The message of the evaluation error, or "" when there is none.
  std::string ErrorOf(std::string_view expression) {
    try {
      Eval(expression);
    } catch (const TkeEvaluatorError& error) {
      return error.Text() + " @" + std::to_string(error.Position());
    }
    return {};
  }

  std::unique_ptr<TcvMainDatabase> db_ = TcvMainDatabase::New();
  TcvMainDatabase* saved_ = nullptr;
  std::vector<std::string> shown_;
};

TEST_F(Expressions, Arithmetic) {
  EXPECT_EQ(Eval("1 + 2"), "3");
  EXPECT_EQ(Eval("1 / 4"), "0.25");
  EXPECT_EQ(Eval("1.5 + 1"), "2.5");
  EXPECT_EQ(Eval("abc + 1"), "1") << "a text that is no number counts as 0";
  EXPECT_EQ(Eval("8 - 2 - 1"), "5");
  EXPECT_EQ(Eval("2 + 3 * 4"), "14");
  EXPECT_EQ(Eval("- -1"), "-1");
  EXPECT_EQ(Eval("+'007'"), "7") << "a unary plus normalises";
  EXPECT_EQ(Eval("0.1 + 0.2"), "0.3") << "15 significant digits";
  EXPECT_EQ(Eval("1 / 3"), "0.333333333333333");
  EXPECT_EQ(Eval("2 * 0.5"), "1");
  EXPECT_EQ(Eval("0 - 0"), "0");
  EXPECT_EQ(Eval("-0 * 1"), "0") << "no negative zero";
  EXPECT_EQ(Eval("1e3 + 1"), "1001");
}

TEST_F(Expressions, GroupingOfThreePriorityLevels) {
  EXPECT_EQ(Eval("20 = 2 + 3 * 4"), "1");
  EXPECT_EQ(Eval("14 = 2 + 3 * 4"), "0");
  EXPECT_EQ(Eval("14 = (2 + 3 * 4)"), "1");
}

// Each pair of neighbouring priority levels, pinned by an expression whose
// value changes when the two levels are made equal or swapped: or (1), and
// (2), the comparisons (3), + - & (4), * / (5), and := (0) below them all.
TEST_F(Expressions, EveryOperatorBindsAtItsOwnLevel) {
  const struct {
    const char* expression;
    const char* value;
  } cases[] = {
      {"1 = 1 and 2 = 2", "1"},  // the commonest condition there is
      {"1 <> 2 and 3 <> 4", "1"},
      {"1 < 2 and 2 < 1", "0"},
      {"1 > 2 or 2 > 1", "1"},
      {"1 or 1 and 0", "1"},
      {"0 and 1 or 1", "1"},
      {"3 = 1 + 2", "1"},
      {"1 <> 1 + 1", "1"},
      {"1 < 0 + 2", "1"},
      {"2 > 1 + 1", "0"},
      {"2 <= 1 + 1", "1"},
      {"3 >= 1 + 2", "1"},
      {"11 in 1 & 1", "1"},
      {"'ab' = 'a' & 'b'", "1"},
      {"1 + 2 * 3", "7"},
      {"8 - 4 / 2", "6"},
      {"'a' & 2 * 3", "a6"},
      {"1 + 2 & 3", "33"},  // one level: from the left
      {"1 & 2 - 3", "9"},
  };
  for (const auto& c : cases) EXPECT_EQ(Eval(c.expression), c.value) << c.expression;
  EXPECT_EQ(Eval("Flag := 0 or 1"), "1");
  EXPECT_EQ(GetVar(db_.get(), "Flag", ""), "1") << "the assignment takes the whole right side";
}

TEST_F(Expressions, ComparisonsAndLogic) {
  EXPECT_EQ(Eval("1.0 = 1"), "0") << "= compares text";
  EXPECT_EQ(Eval("1.0 <= 1"), "1") << "ordering compares numbers";
  EXPECT_EQ(Eval("'a' = 'A'"), "0");
  EXPECT_EQ(Eval("'a' <> 'A'"), "1");
  EXPECT_EQ(Eval("10 > 9"), "1");
  EXPECT_EQ(Eval("'10' < '9'"), "0");
  EXPECT_EQ(Eval("2 >= 3"), "0");
  EXPECT_EQ(Eval("1 and 10"), "1");
  EXPECT_EQ(Eval("1 and 0"), "0");
  EXPECT_EQ(Eval("0 or 1"), "1");
  EXPECT_EQ(Eval("not 1"), "0");
  EXPECT_EQ(Eval("not 'True'"), "1") << "only a leading 1 is true";
  EXPECT_EQ(Eval("'abc' & 1"), "abc1");
}

TEST_F(Expressions, InComparesCommaItemsIgnoringCase) {
  EXPECT_EQ(Eval("1 in '0,1'"), "1");
  EXPECT_EQ(Eval("b in 'a, b'"), "0") << "items are not trimmed";
  EXPECT_EQ(Eval("B in 'a,b'"), "1");
  EXPECT_EQ(Eval("'' in 'a,,b'"), "0") << "empty items are skipped";
  EXPECT_EQ(Eval("'a,b' in 'a,b'"), "0");
}

TEST_F(Expressions, AssignmentSetsAVariable) {
  EXPECT_EQ(Eval("x := 1 + 2"), "3");
  EXPECT_EQ(GetVar(db_.get(), "x", ""), "3");
  EXPECT_EQ(Eval("Count := %Count% + 1"), "42");
  EXPECT_EQ(GetVar(db_.get(), "Count", ""), "42");
}

TEST_F(Expressions, ReferencesInOperands) {
  EXPECT_EQ(Eval("'50%%'"), "50%");
  EXPECT_EQ(Eval("%InstallDir%"), "C:\\Apps");
  EXPECT_EQ(Eval("[Caption]"), "Setup");
  EXPECT_EQ(Eval("%InstallDir% & '\\bin'"), "C:\\Apps\\bin");
  EXPECT_EQ(Eval("'50%%'", false), "50%%");
  EXPECT_EQ(Eval("%InstallDir%", false), "%InstallDir%");
  EXPECT_EQ(Eval("[Caption]", false), "[Caption]");
  EXPECT_EQ(Eval("1.5", false), "1.5") << "a decimal number is one operand";
}

TEST_F(Expressions, LineBreaksAreRemoved) {
  SetVar(db_.get(), "aand", "joined");
  EXPECT_EQ(Eval("%a\r\nand%"), "joined");
  EXPECT_EQ(Eval("1\n+\r2"), "3");
}

TEST_F(Expressions, ArithmeticFaults) {
  EXPECT_THROW(Eval("1 / 0"), EMathError);
  EXPECT_THROW(Eval("1 / 'x'"), EMathError);
  EXPECT_THROW(Eval("1e308 * 10"), EMathError);
  try {
    Eval("5 / 0");
  } catch (const EMathError& error) {
    EXPECT_STREQ(error.what(), "Floating point division by zero");
  }
}

TEST_F(Expressions, SyntaxErrorsOfTheLanguage) {
  EXPECT_EQ(ErrorOf("a=-1"), "Unknown operator. @2");
  EXPECT_EQ(Eval("a = -1"), "0");
  EXPECT_EQ(ErrorOf("ActiveInstallType()").substr(0, 20), "Expression expected.");
  EXPECT_EQ(ErrorOf("Length('a', 'b')").substr(0, 41), "Wrong quantity of parameters in function.");
  EXPECT_EQ(Eval("Length('abc')"), "3");
}

TEST_F(Expressions, PluginFunctions) {
  TcvEvaluator evaluator;
  int owner = 0;
  const std::int32_t id = evaluator.RegisterPluginFunction(&owner, "Twice", 1);
  EXPECT_GT(id, 0);
  EXPECT_EQ(evaluator.RegisterPluginFunction(&owner, "twice", 1), 0) << "already there";
  EXPECT_GT(evaluator.RegisterPluginFunction(&owner, "Twice", 2), id) << "another count";
  EXPECT_EQ(evaluator.RegisterPluginFunction(&owner, "Length", 1), 0) << "a built-in wins";
  EXPECT_EQ(evaluator.EvaluateFor(db_.get(), 0, 0, true, "Twice('x')"), "")
      << "no plug-in host to ask";
  std::vector<std::string> calls;
  evaluator.SetPluginFunctionRoutine(
      [&](const TkeFunction& function, const FunctionArgs* args, const TcvEvalContext& context) {
        calls.push_back(function.Name + ":" + std::to_string(context.Extra));
        EXPECT_EQ(function.Owner, &owner);
        return args ? (*args)[0] + (*args)[0] : std::string();
      });
  EXPECT_EQ(evaluator.EvaluateFor(db_.get(), 0, 7, true, "Twice('ab') & '!'"), "abab!");
  EXPECT_EQ(calls, (std::vector<std::string>{"Twice:7"}));
}

TEST_F(Expressions, EngineEntryShowsErrorsOnceThenAbortsSilently) {
  EXPECT_EQ(EvaluateExpression(nullptr, 0, "%InstallDir%", 0, true), "C:\\Apps")
      << "no database: the main one";
  EXPECT_THROW(EvaluateExpression(nullptr, 0, "1 +", 0, true), SilentAbort);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0], "Expression expected.\r\n\r\nExpression: 1 +\r\nPosition: 4");
  EXPECT_THROW(EvaluateExpression(nullptr, 0, "1/0", 0, true), SilentAbort);
  ASSERT_EQ(shown_.size(), 2u);
  EXPECT_EQ(shown_[1], "Floating point division by zero");
}

TEST_F(Expressions, ConditionsThroughTheModelHook) {
  EXPECT_TRUE(EvaluateCondition(nullptr, 0, "10", 0, true));
  EXPECT_FALSE(EvaluateCondition(nullptr, 0, "'True'", 0, true));
  EXPECT_FALSE(EvaluateCondition(nullptr, 0, "-1", 0, true));
  EXPECT_TRUE(EvaluateCondition(nullptr, 0, "%Count% > 40", 0, true));
  ASSERT_EQ(ConditionHook, &EvaluateCondition);
  // Conditions of the model use the evaluator once evaluation is switched on.
  auto feature = TcvFeature::New(db_->Features.get());
  feature->Condition = "%Count% = 41";
  SetConditionEvaluation(true);
  EXPECT_TRUE(IsEnabled(*feature));
  SetVar(db_.get(), "Count", "1");
  EXPECT_FALSE(IsEnabled(*feature));
  SetConditionEvaluation(false);
}

TEST_F(Expressions, HashSegmentsInVariableValues) {
  auto variable = TcvVariable::New();
  variable->Name = "Sum";
  variable->Value = "#1+2# items";
  variable->Flags = {TcvFlag::calc_expression};
  db_->Variables->Add(std::move(variable));
  EXPECT_EQ(GetVar(db_.get(), "Sum", ""), "3 items");
}

TEST(NumberText, ReadsAndWritesWithAPoint) {
  EXPECT_EQ(NumberFromText(" 1.5 "), 1.5);
  EXPECT_EQ(NumberFromText("1,5"), 0);
  EXPECT_EQ(NumberFromText("-2e2"), -200);
  EXPECT_EQ(NumberToText(3), "3");
  EXPECT_EQ(NumberToText(-0.25), "-0.25");
  EXPECT_EQ(NumberToText(123456789012345678.0), "1.23456789012346e+17");
  EXPECT_EQ(NumberToText(1e15), "1e+15");
  EXPECT_EQ(NumberToText(999999999999999.0), "999999999999999");
  EXPECT_THROW(NumberToText(std::numeric_limits<double>::infinity()), EMathError);
  EXPECT_THROW(NumberToText(std::numeric_limits<double>::quiet_NaN()), EMathError);
}

}  // namespace
}  // namespace cv
