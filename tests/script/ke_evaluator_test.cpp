// What the evaluator core computes: operands and quoting, prefixes,
// precedence with two pending operators, groups, function calls, operand
// resolution, and handlers' exceptions.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "script/ke_evaluator.h"
#include "test_evaluator.h"

namespace cv {
namespace {

using test::TestEvaluator;
using Log = std::vector<std::string>;

TEST(Evaluator, EmptyAndBlankExpressionsGiveTheEmptyString) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval(""), "");
  EXPECT_EQ(e.Eval("   "), "");
  EXPECT_EQ(e.Eval("\t\r\n \x01"), "");
  EXPECT_TRUE(e.log.empty());
}

TEST(Evaluator, TrimsBlanksAndControlCharactersAndSkipsBlanksBetweenTokens) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("\t 1 + 2 \r\n"), "3");
  EXPECT_EQ(e.Eval("1   +    2"), "3");
  EXPECT_EQ(e.Eval("1+2"), "3");
}

TEST(Evaluator, BareNamesAndQuotedTextsAreOperands) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("hello"), "hello");
  EXPECT_EQ(e.Eval("hello & world_2"), "helloworld_2");
  EXPECT_EQ(e.Eval("'abc' & 1"), "abc1");
  EXPECT_EQ(e.Eval("abc + 1"), "1");  // abc reads as 0 in this evaluator
  EXPECT_EQ(e.Eval("1.5 + 1"), "2.5");
  EXPECT_EQ(e.Eval("' padded '"), " padded ");
  // Quoted texts are never operators, functions or groups.
  EXPECT_EQ(e.Eval("'not'"), "not");
  EXPECT_EQ(e.Eval("'Length'"), "Length");
  EXPECT_EQ(e.Eval("'1 + 2'"), "1 + 2");
  EXPECT_EQ(e.Eval("'(a)'"), "(a)");
  EXPECT_EQ(e.abortCalls, 0);
  EXPECT_EQ(e.Eval("'Abort'"), "Abort");
  EXPECT_EQ(e.abortCalls, 0);
}

TEST(Evaluator, QuotingRules) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("'It''s'"), "It's");
  EXPECT_EQ(e.Eval("\"It's\""), "It's");
  EXPECT_EQ(e.Eval("'say \"hi\"'"), "say \"hi\"");
  EXPECT_EQ(e.Eval("\"a\"\"b\""), "a\"b");
  EXPECT_EQ(e.Eval("'a''''b'"), "a''b");
  EXPECT_EQ(e.Eval("''''"), "'");
  EXPECT_EQ(e.Eval("''"), "");
  EXPECT_EQ(e.Eval("'' & ''"), "");
  EXPECT_EQ(e.Eval("Count('')"), "1");
  EXPECT_EQ(e.Eval("'a'&'b'"), "ab");
}

TEST(Evaluator, EqualPrioritiesGroupFromTheLeft) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("8 - 2 - 1"), "5");
  EXPECT_EQ(e.Eval("2 * 3 * 4"), "24");
  EXPECT_EQ(e.Eval("1 < 2 = 1"), "1");    // (1 < 2) = 1
  EXPECT_EQ(e.Eval("'a' & 1 + 2"), "2");  // ('a' & 1) + 2, "a1" reads as 0
}

TEST(Evaluator, TwoPriorityLevelsGroupAsUsual) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("2 + 3 * 4"), "14");
  EXPECT_EQ(e.Eval("2 * 3 + 4"), "10");
  EXPECT_EQ(e.Eval("1 + 2 * 3 - 4"), "3");
  EXPECT_EQ(e.Eval("1 or 0 and 0"), "1");
  EXPECT_EQ(e.Eval("0 and 1 or 1"), "1");
  e.log.clear();
  EXPECT_EQ(e.Eval("2 * 3 + 4"), "10");
  EXPECT_EQ(e.log,
            (Log{"resolve:2", "resolve:3", "resolve:4", "apply:*/1(2,3)", "apply:+/1(6,4)"}));
}

TEST(Evaluator, AThirdRisingLevelJoinsThePendingRightHandSide) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("20 = 2 + 3 * 4"), "1");
  EXPECT_EQ(e.Eval("14 = 2 + 3 * 4"), "0");
  EXPECT_EQ(e.Eval("14 = (2 + 3 * 4)"), "1");
  e.log.clear();
  e.Eval("20 = 2 + 3 * 4");
  EXPECT_EQ(e.log, (Log{"resolve:20", "resolve:2", "resolve:3", "apply:+/1(2,3)", "resolve:4",
                        "apply:*/1(5,4)", "apply:=/1(20,20)"}));
}

TEST(Evaluator, AssignmentBindsLoosest) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("x := 1 + 2"), "3");
  EXPECT_EQ(e.variables["x"], "3");
  EXPECT_EQ(e.Eval("y := 'a' & 'b'"), "ab");
  EXPECT_EQ(e.variables["y"], "ab");
}

TEST(Evaluator, PrefixOperatorsBindTighterThanEveryBinaryOperator) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("-1"), "-1");
  EXPECT_EQ(e.Eval("+5"), "5");
  EXPECT_EQ(e.Eval("2 * -3"), "-6");
  EXPECT_EQ(e.Eval("- 2 * 3"), "-6");
  EXPECT_EQ(e.Eval("-(1 + 2)"), "-3");
  EXPECT_EQ(e.Eval("not 1"), "0");
  EXPECT_EQ(e.Eval("NOT 0"), "1");
  EXPECT_EQ(e.Eval("not 1 or 1"), "1");
  EXPECT_EQ(e.Eval("not (1 or 1)"), "0");
  EXPECT_EQ(e.Eval("a = -1"), "0");
  EXPECT_EQ(e.Eval("-1 = -1"), "1");
}

TEST(Evaluator, ALaterSymbolPrefixReplacesTheEarlierOne) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("- -1"), "-1");
  EXPECT_EQ(e.log, (Log{"resolve:1", "apply:-/0(1)"}));
  EXPECT_EQ(e.Eval("- + 1"), "1");
  EXPECT_EQ(e.Eval("not -1"), "-1");
}

TEST(Evaluator, AWordOperatorStandingLastIsAnOperand) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("not"), "not");
  EXPECT_EQ(e.Eval("1 & not"), "1not");
  EXPECT_EQ(e.Eval("x & and"), "xand");
}

TEST(Evaluator, OperatorNamesIgnoreCaseAndWordOperatorsEndAtOtherCharacters) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("1 AND 1"), "1");
  EXPECT_EQ(e.Eval("0 Or 1"), "1");
  EXPECT_EQ(e.Eval("1 and1"), "1");
  EXPECT_EQ(e.Eval("1 and2"), "0");
  EXPECT_EQ(e.Eval("1<>2"), "1");
}

TEST(Evaluator, OperatorsWithoutHandlerGoToApplyOperatorByIndexOthersToTheirHandler) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("1 in '0,1'"), "1");
  EXPECT_EQ(e.Eval("b in 'a, b'"), "0");
  EXPECT_EQ(e.Eval("B in 'a,,b'"), "1");
  e.log.clear();
  EXPECT_EQ(e.Eval("23 in 2 & 3"), "1");  // 23 in (2 & 3)
  EXPECT_EQ(e.log,
            (Log{"resolve:23", "resolve:2", "resolve:3", "apply:&/1(2,3)", "handler:in/1(23,23)"}));
}

TEST(Evaluator, GroupsAndUnmatchedParentheses) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("((1))"), "1");
  EXPECT_EQ(e.Eval("(1 + 2) * 3"), "9");
  EXPECT_EQ(e.Eval("((1 + 2) * (3 + 4))"), "21");
  EXPECT_EQ(e.Eval("( 1 + 2 )"), "3");
  // A missing ")" at the end is tolerated.
  EXPECT_EQ(e.Eval("(1 + 2"), "3");
  EXPECT_EQ(e.Eval("1 + (2"), "3");
  EXPECT_EQ(e.Eval("1 + ((2 + 3) * 2"), "11");
  // The parse stops at an unmatched ")"; the rest is not read.
  EXPECT_EQ(e.Eval("1 + 2) * 5"), "3");
  e.log.clear();
  EXPECT_EQ(e.Eval("1) & Mark(2)"), "1");
  EXPECT_EQ(e.log, (Log{"resolve:1"}));
}

TEST(Evaluator, GroupResultsAreOperandsResolvedOnce) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("(1) & 'a'"), "1a");
  EXPECT_EQ(e.log, (Log{"resolve:1", "resolve:1", "resolve:a", "apply:&/1(1,a)"}));
}

TEST(Evaluator, FunctionCallsWithArguments) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("Length('abc')"), "3");
  EXPECT_EQ(e.Eval("Length('')"), "0");
  EXPECT_EQ(e.Eval("Length ( 'ab' )"), "2");
  EXPECT_EQ(e.Eval("Length(1 + 2 * 50)"), "3");
  EXPECT_EQ(e.Eval("Length(Count(1, 2, 3) & 'xy')"), "3");
  EXPECT_EQ(e.Eval("2 * Length('abc') + 1"), "7");
  EXPECT_EQ(e.Eval("-Length('abc')"), "-3");
  // A missing ")" at the end is tolerated here too.
  EXPECT_EQ(e.Eval("Length('abc'"), "3");
  EXPECT_EQ(e.Eval("Count(1, (2"), "2");
}

TEST(Evaluator, AliasesIgnoreCase) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("LEN('abcd')"), "4");
  EXPECT_EQ(e.Eval("len('ab')"), "2");
  EXPECT_EQ(e.Eval("lEnGtH('a')"), "1");
}

TEST(Evaluator, TheArgumentCountPicksAmongFunctionsOfOneName) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("Pick(1, 2)"), "two:1,2");
  EXPECT_EQ(e.Eval("Pick(1, 2, 3)"), "three:1,2,3");
  EXPECT_EQ(e.Eval("pick(1 + 1, 'x')"), "two:2,x");
}

TEST(Evaluator, AnyCountFunctions) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("Count(1)"), "1");
  EXPECT_EQ(e.Eval("Count(1, 2, 3)"), "3");
  EXPECT_EQ(e.Eval("Count"), "none");  // called without an argument list
  EXPECT_EQ(e.Eval("Count & Count(Count)"), "none1");
}

TEST(Evaluator, FunctionsWithoutArgumentListAreCalledWithNoList) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("Abort"), "aborted");
  EXPECT_EQ(e.Eval("Abort & '!'"), "aborted!");
  EXPECT_EQ(e.Eval("(Abort)"), "aborted");
  EXPECT_EQ(e.Eval("Count(Abort, Abort)"), "2");
  EXPECT_EQ(e.Eval("abort"), "aborted");
  EXPECT_EQ(e.abortCalls, 6);
  EXPECT_EQ(e.log.front(), "call:Abort");
}

TEST(Evaluator, FunctionsWithoutHandlerGoToCallFunctionWithOwnerAndContext) {
  TestEvaluator e;
  e.context.Extra = 7;
  EXPECT_EQ(e.Eval("Plugin('x' & 1)"), "plugin:x1");
  EXPECT_EQ(e.Eval("Status"), "status");
  EXPECT_EQ(e.log,
            (Log{"resolve:x", "resolve:1", "apply:&/1(x,1)", "plugin:Plugin(x1) owner extra 7",
                 "resolve:plugin:x1", "plugin:Status owner extra 7", "resolve:status"}));
}

TEST(Evaluator, EverythingIsEvaluatedFromLeftToRightWithoutShortCircuit) {
  TestEvaluator e;
  EXPECT_EQ(e.Eval("0 and Mark(1)"), "0");
  EXPECT_EQ(e.Eval("1 or Mark(2)"), "1");
  EXPECT_EQ(e.Eval("Mark(3, Mark(4)) & Mark(5)"), "35");
  Log calls;
  for (const std::string& entry : e.log) {
    if (entry.rfind("call:", 0) == 0) calls.push_back(entry);
  }
  EXPECT_EQ(calls, (Log{"call:Mark(1)", "call:Mark(2)", "call:Mark(4)", "call:Mark(3,4)",
                        "call:Mark(5)"}));
}

TEST(Evaluator, ResolveOperandMayRewriteEveryKindOfOperand) {
  TestEvaluator e;
  e.substitutions = {{"x", "X"}, {"3", "three"}, {"7", "seven"}};
  EXPECT_EQ(e.Eval("x & y"), "Xy");
  EXPECT_EQ(e.Eval("'x' & 'y'"), "Xy");
  EXPECT_EQ(e.Eval("Length('abc')"), "three");
  EXPECT_EQ(e.Eval("(2 + 5)"), "seven");
  // The rewritten operand is what the operators see.
  EXPECT_EQ(e.Eval("-x"), "-0");
}

TEST(Evaluator, ExceptionsOfHandlersPassThroughUnchanged) {
  TestEvaluator e;
  try {
    e.Eval("Mark(1) & Fail('boom')");
    FAIL() << "no exception";
  } catch (const std::logic_error& error) {
    EXPECT_EQ(std::string(error.what()), "boom");
  }
  EXPECT_EQ(e.log.back(), "resolve:boom");
  try {
    e.Eval("1 / 0");
    FAIL() << "no exception";
  } catch (const std::domain_error& error) {
    EXPECT_EQ(std::string(error.what()), "Floating point division by zero");
  }
  // A handler's exception is not turned into a syntax error.
  EXPECT_THROW(e.Eval("(x := 1) & Fail('a') + ("), std::logic_error);
  EXPECT_EQ(e.variables["x"], "1");
}

TEST(Evaluator, TheCharacterClassesSteerTheTokenizer) {
  TestEvaluator e;
  // "%" is an operator symbol character until it is moved to the identifier
  // characters.
  EXPECT_EQ(test::ErrorOf(e, "%x% & 1"), "Unknown operator.@1");
  e.OperatorSymbolChars.reset('%');
  e.IdentifierChars.set('%');
  EXPECT_EQ(e.Eval("%x% & 1"), "%x%1");
  // "." was added to the identifier characters of this evaluator only.
  e.IdentifierChars.reset('.');
  EXPECT_EQ(test::ErrorOf(e, "1.5"), "Operator expected.@1");
  // Another quote character.
  e.QuoteChars.set('`');
  EXPECT_EQ(e.Eval("`a'b` & 'c`d'"), "a'bc`d");
}

TEST(Evaluator, OneEvaluatorMayBeUsedAgainFromItsOwnHandler) {
  TestEvaluator e;
  e.AddFunction("Eval", 1,
                [&e](const FunctionArgs* args, const TcvEvalContext& context, std::string& result) {
                  result = e.Evaluate(args->at(0), context);
                });
  EXPECT_EQ(e.Eval("Eval('1 + (2' & ' * 3') + 1"), "8");
  EXPECT_EQ(test::ErrorOf(e, "Eval('1 +')"), "Expression expected.@4 [expression: 1 +]");
}

}  // namespace
}  // namespace cv
