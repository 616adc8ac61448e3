// The operator and function tables, the initial character classes, the
// nesting limit, very large expressions, and use from several threads.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "script/ke_evaluator.h"
#include "test_evaluator.h"

namespace cv {
namespace {

using test::At;
using test::ErrorOf;
using test::TestEvaluator;

// The core with nothing registered: operands only.
class BareEvaluator : public TkeEvaluator {
 protected:
  void ApplyOperator(const TkeOperator&, int, std::string&, const TcvEvalContext&,
                     const std::string&, const std::string*) override {}
  void CallFunction(const TkeFunction&, const FunctionArgs*, std::string&,
                    const TcvEvalContext&) override {}
};

CharClass ClassOf(std::string_view chars) {
  CharClass set;
  for (const char c : chars) set.set(static_cast<unsigned char>(c));
  return set;
}

std::string Repeated(std::string_view piece, int count) {
  std::string out;
  out.reserve(piece.size() * static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

TEST(EvaluatorTables, InitialCharacterClasses) {
  BareEvaluator e;
  const std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  const std::string lower = "abcdefghijklmnopqrstuvwxyz";
  EXPECT_EQ(e.IdentifierChars, ClassOf(upper + lower + "0123456789_"));
  EXPECT_EQ(e.OperatorSymbolChars, ClassOf("!#$%&*+-/:<=>?@\\^|~"));
  EXPECT_EQ(e.OperatorWordChars, ClassOf(upper + lower));
  EXPECT_EQ(e.QuoteChars, ClassOf("\"'"));
}

TEST(EvaluatorTables, TheBaseAcceptsOperandsUnchanged) {
  BareEvaluator e;
  const TcvEvalContext context;
  EXPECT_EQ(e.Evaluate("abc", context), "abc");
  EXPECT_EQ(e.Evaluate("'a b'", context), "a b");
  EXPECT_EQ(e.Evaluate("(x_1)", context), "x_1");
}

TEST(EvaluatorTables, OperatorsAreNumberedAndFoundIgnoringCaseFirstOneWins) {
  TestEvaluator e;
  EXPECT_EQ(e.OperatorCount(), 13u);
  const TkeOperator* plus = e.FindOperator("+");
  ASSERT_NE(plus, nullptr);
  EXPECT_EQ(plus->Index, 1);
  EXPECT_EQ(plus->Priority, 4);
  EXPECT_EQ(plus->Arities, kUnary | kBinary);
  ASSERT_NE(e.FindOperator("AnD"), nullptr);
  EXPECT_EQ(e.FindOperator("AnD")->Index, 8);
  EXPECT_EQ(e.FindOperator("xor"), nullptr);
  EXPECT_EQ(e.FindOperator(""), nullptr);
  EXPECT_EQ(e.FindOperator("an"), nullptr);

  TkeOperator& again = e.AddOperator("+", kBinary, 9);
  EXPECT_EQ(again.Index, 13);
  EXPECT_EQ(e.FindOperator("+"), plus);  // still the first one
  TkeOperator& power = e.AddOperator("^", kBinary, 7);
  EXPECT_EQ(power.Index, 14);
  EXPECT_EQ(e.FindOperator("^"), &power);
}

TEST(EvaluatorTables, EmptyNamesNameNothing) {
  TestEvaluator e;
  e.AddOperator("", kUnary | kBinary, 1);
  e.AddFunction("", -1);
  EXPECT_EQ(e.FindOperator(""), nullptr);
  EXPECT_EQ(e.FindFunction("", -1), nullptr);
  EXPECT_EQ(ErrorOf(e, "1 + )"), At("Expression expected.", 4));
}

TEST(EvaluatorTables, FindFunctionMatchesAliasesAndArgumentCounts) {
  TestEvaluator e;
  const TkeFunction* length = e.FindFunction("Length", 1);
  ASSERT_NE(length, nullptr);
  EXPECT_EQ(length->Name, "Length,Len");
  EXPECT_EQ(e.FindFunction("len", 1), length);
  EXPECT_EQ(e.FindFunction("LENGTH", -1), length);  // any count
  EXPECT_EQ(e.FindFunction("Length", 2), nullptr);
  EXPECT_EQ(e.FindFunction("Length", 0), nullptr);
  EXPECT_EQ(e.FindFunction("Lengt", 1), nullptr);
  EXPECT_EQ(e.FindFunction("Length,Len", 1), nullptr);

  const TkeFunction* count = e.FindFunction("Count", 5);  // ParamCount -1
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->ParamCount, -1);
  EXPECT_EQ(e.FindFunction("Count", 0), count);

  const TkeFunction* pickTwo = e.FindFunction("Pick", 2);
  const TkeFunction* pickThree = e.FindFunction("Pick", 3);
  ASSERT_NE(pickTwo, nullptr);
  ASSERT_NE(pickThree, nullptr);
  EXPECT_NE(pickTwo, pickThree);
  EXPECT_EQ(pickThree->ParamCount, 3);
  EXPECT_EQ(e.FindFunction("Pick", -1), pickTwo);  // first in registration order
  EXPECT_EQ(e.FindFunction("Pick", 4), nullptr);

  // Empty aliases name nothing; aliases are not trimmed.
  const TkeFunction& spaced = e.AddFunction("First,, Second,", 0);
  EXPECT_EQ(e.FindFunction("First", 0), &spaced);
  EXPECT_EQ(e.FindFunction(" Second", 0), &spaced);
  EXPECT_EQ(e.FindFunction("Second", 0), nullptr);
  EXPECT_EQ(e.FindFunction("", -1), nullptr);
  EXPECT_EQ(e.FindFunction("", 0), nullptr);
}

TEST(EvaluatorTables, AnyCountFunctionRegisteredFirstShadowsLaterExactOnes) {
  BareEvaluator e;
  const TkeFunction& any = e.AddFunction("F", -1);
  e.AddFunction("F", 2);
  EXPECT_EQ(e.FindFunction("F", 2), &any);
}

TEST(EvaluatorTables, FunctionsGetSerialNumbersFromOneAndOwners) {
  BareEvaluator e;
  int owner = 0;
  EXPECT_EQ(e.AddFunction("A", 0).ID, 1);
  EXPECT_EQ(e.AddFunction("B", 1).ID, 2);
  const TkeFunction& c = e.AddFunction("C", -1, {}, &owner);
  EXPECT_EQ(c.ID, 3);
  EXPECT_EQ(c.Owner, &owner);
  EXPECT_EQ(c.ParamCount, -1);
  EXPECT_FALSE(c.Handler);
  EXPECT_EQ(e.FunctionCount(), 3u);
}

TEST(EvaluatorTables, EntriesKeepTheirAddressesAndLateFunctionsWorkAtOnce) {
  TestEvaluator e;
  const TkeFunction* length = e.FindFunction("Length", 1);
  const TkeOperator* plus = e.FindOperator("+");
  for (int i = 0; i < 5000; ++i) {
    e.AddFunction("Late" + std::to_string(i), 1,
                  [i](const FunctionArgs* args, const TcvEvalContext&, std::string& result) {
                    result = args->at(0) + "#" + std::to_string(i);
                  });
    e.AddOperator("op" + std::to_string(i), kBinary, 1);
  }
  EXPECT_EQ(e.FindFunction("Length", 1), length);
  EXPECT_EQ(length->Name, "Length,Len");
  EXPECT_EQ(e.FindOperator("+"), plus);
  EXPECT_EQ(e.FindFunction("Late4999", 1)->ID, static_cast<std::int32_t>(e.FunctionCount()));
  EXPECT_EQ(e.Eval("Late4999('x') & Length('ab')"), "x#49992");
}

TEST(EvaluatorLimits, NestingUpToTheLimitWorks) {
  TestEvaluator e;
  e.recording = false;
  const int limit = kMaxExpressionNesting;
  EXPECT_EQ(limit, 256);
  EXPECT_EQ(e.Eval(Repeated("(", limit) + "1" + Repeated(")", limit)), "1");
  EXPECT_EQ(e.Eval(Repeated("Len(", limit) + "'x'" + Repeated(")", limit)), "1");
  // Depth is counted per open level, not per evaluation.
  const std::string deep = Repeated("(", limit) + "1" + Repeated(")", limit);
  EXPECT_EQ(e.Eval(deep + " + " + deep + " + " + deep), "3");
  // Missing ")" at the end: every open level closes.
  EXPECT_EQ(e.Eval(Repeated("(1 + ", limit) + "1"), std::to_string(limit + 1));
}

TEST(EvaluatorLimits, OneLevelMoreIsAnErrorAtItsParenthesis) {
  TestEvaluator e;
  e.recording = false;
  const std::string tooDeep = "Expression is nested too deeply.";
  const int limit = kMaxExpressionNesting;
  EXPECT_EQ(ErrorOf(e, Repeated("(", limit + 1) + "1" + Repeated(")", limit + 1)),
            At(tooDeep, limit + 1));
  EXPECT_EQ(ErrorOf(e, Repeated("Len(", limit + 1) + "'x'" + Repeated(")", limit + 1)),
            At(tooDeep, 4 * (limit + 1)));
  EXPECT_EQ(ErrorOf(e, "1 + " + Repeated("(", 100000)), At(tooDeep, 4 + limit + 1));
  EXPECT_EQ(ErrorOf(e, Repeated("Count(1, ", 300)), At(tooDeep, 9 * (limit + 1) - 3));
}

TEST(EvaluatorLimits, VeryLongTokensAndLiterals) {
  TestEvaluator e;
  e.recording = false;
  const std::string name = Repeated("abcdefgh", 128 * 1024);  // 1 MiB
  EXPECT_EQ(e.Eval(name), name);
  EXPECT_EQ(e.Eval("Length(" + name + ")"), std::to_string(name.size()));
  const std::string literal = "'" + Repeated("it''s ", 100000) + "'";
  EXPECT_EQ(e.Eval(literal), Repeated("it's ", 100000));
  EXPECT_EQ(ErrorOf(e, "1 + " + Repeated("=", 100000) + " 1"), At("Unknown operator.", 5));
}

TEST(EvaluatorLimits, VeryLongExpressionsManyArgumentsAndPrefixChains) {
  TestEvaluator e;
  e.recording = false;
  EXPECT_EQ(e.Eval("1" + Repeated(" + 1", 99999)), "100000");
  EXPECT_EQ(e.Eval("1" + Repeated(" + 2 * 1", 50000)), "100001");
  EXPECT_EQ(e.Eval("Count(1" + Repeated(", 1", 99999) + ")"), "100000");
  EXPECT_EQ(e.Eval(Repeated("- ", 100000) + "1"), "-1");
  EXPECT_EQ(e.Eval(Repeated("-", 1) + Repeated(" -", 99999) + "1"), "-1");
  EXPECT_EQ(ErrorOf(e, Repeated("not ", 100000) + "1"), At("Expression expected.", 7));
}

TEST(EvaluatorLimits, OneEvaluatorServesSeveralThreadsWhileFunctionsAreAdded) {
  TestEvaluator e;
  e.recording = false;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&e, &wrong, t] {
      const TcvEvalContext context;
      for (int i = 0; i < 300; ++i) {
        const std::string n = std::to_string(t * 1000 + i);
        if (e.Evaluate("Length('" + n + "') + " + n + " * 2", context) !=
            std::to_string(n.size() + static_cast<std::size_t>(t * 1000 + i) * 2)) {
          ++wrong;
        }
        try {
          e.Evaluate("Pick(" + n, context);
          ++wrong;
        } catch (const TkeEvaluatorError& error) {
          if (error.Position() != static_cast<int>(n.size()) + 6) ++wrong;
        }
      }
    });
  }
  for (int i = 0; i < 2000; ++i) e.AddFunction("Added" + std::to_string(i), 0);
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_NE(e.FindFunction("Added1999", 0), nullptr);
}

}  // namespace
}  // namespace cv
