// Every syntax error of the evaluator core with the position it reports, and
// the error object itself.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "script/ke_evaluator.h"
#include "test_evaluator.h"

namespace cv {
namespace {

using test::At;
using test::ErrorOf;
using test::TestEvaluator;

// The texts exactly as the user sees them.
const std::string kUnknownOperator = "Unknown operator.";
const std::string kUnknownFunction = "Unknown function.";
const std::string kExpressionExpected = "Expression expected.";
const std::string kCannotParse = "Cannot parse identifier.";
const std::string kWrongQuantity = "Wrong quantity of parameters in function.";
const std::string kOperatorExpected = "Operator expected.";
const std::string kParametersExpected = "Function parameters expected.";
const std::string kQuoteInToken =
    "You may not use the quotation mark symbols in an expression that is not enclosed by "
    "quotation marks itself.";
const std::string kClosingQuote = "Closing quotation mark is expected.";
const std::string kWrongArity =
    "Wrong operator arity (for example binary operator is used as unary).";

TEST(EvaluatorError, MessageCarriesTextExpressionAndPosition) {
  const TkeEvaluatorError error("Unknown operator.", "a=-1", 2);
  EXPECT_EQ(std::string(error.what()), "Unknown operator.\r\n\r\nExpression: a=-1\r\nPosition: 2");
  EXPECT_EQ(error.Text(), "Unknown operator.");
  EXPECT_EQ(error.Expression(), "a=-1");
  EXPECT_EQ(error.Position(), 2);
}

TEST(EvaluatorError, IsARuntimeErrorWithTheTrimmedExpression) {
  TestEvaluator evaluator;
  try {
    evaluator.Eval(" \t a=-1\r\n");
    FAIL() << "no error";
  } catch (const Error& error) {
    const auto* evaluatorError = dynamic_cast<const TkeEvaluatorError*>(&error);
    ASSERT_NE(evaluatorError, nullptr);
    EXPECT_EQ(evaluatorError->Expression(), "a=-1");
    EXPECT_EQ(std::string(error.what()),
              "Unknown operator.\r\n\r\nExpression: a=-1\r\nPosition: 2");
  }
}

TEST(EvaluatorError, UnknownOperatorAtTheFirstCharacterOfItsToken) {
  TestEvaluator e;
  EXPECT_EQ(ErrorOf(e, "a=-1"), At(kUnknownOperator, 2));
  EXPECT_EQ(ErrorOf(e, "1 =- 2"), At(kUnknownOperator, 3));
  EXPECT_EQ(ErrorOf(e, "1 ! 2"), At(kUnknownOperator, 3));
  EXPECT_EQ(ErrorOf(e, "--1"), At(kUnknownOperator, 1));
  // Word operators are read from word characters only.
  EXPECT_EQ(ErrorOf(e, "1 andx 2"), At(kUnknownOperator, 3));
  EXPECT_EQ(ErrorOf(e, "'a'b 1"), At(kUnknownOperator, 4));
  // An operator still being read when the text ends is a missing operand.
  EXPECT_EQ(ErrorOf(e, "'a'b"), At(kExpressionExpected, 5));
  EXPECT_EQ(ErrorOf(e, "1 + 2 foo 3"), At(kUnknownOperator, 7));
  EXPECT_EQ(ErrorOf(e, "Length('abc')Length('de')"), At(kUnknownOperator, 14));
}

TEST(EvaluatorError, UnknownFunctionAtTheCharacterBeforeTheName) {
  TestEvaluator e;
  EXPECT_EQ(ErrorOf(e, "foo(1)"), At(kUnknownFunction, 0));
  EXPECT_EQ(ErrorOf(e, "1 + foo(2)"), At(kUnknownFunction, 4));
  EXPECT_EQ(ErrorOf(e, "(x(1))"), At(kUnknownFunction, 1));
  // With a blank before "(" the name is an operand and "(" cannot follow it.
  EXPECT_EQ(ErrorOf(e, "foo (1)"), At(kOperatorExpected, 4));
}

TEST(EvaluatorError, ExpressionExpectedInsideTheTextBeforeTheEndingCharacter) {
  TestEvaluator e;
  EXPECT_EQ(ErrorOf(e, "()"), At(kExpressionExpected, 1));
  EXPECT_EQ(ErrorOf(e, "1 + )"), At(kExpressionExpected, 4));
  EXPECT_EQ(ErrorOf(e, "1 + ,"), At(kExpressionExpected, 4));
  EXPECT_EQ(ErrorOf(e, "(1 + (2 *))"), At(kExpressionExpected, 9));
  // A second prefix word operator.
  EXPECT_EQ(ErrorOf(e, "not not 1"), At(kExpressionExpected, 7));
  EXPECT_EQ(ErrorOf(e, "- not 1"), At(kExpressionExpected, 5));
  // Empty arguments and empty argument lists.
  EXPECT_EQ(ErrorOf(e, "Abort()"), At(kExpressionExpected, 6));
  EXPECT_EQ(ErrorOf(e, "Count(1,)"), At(kExpressionExpected, 8));
  EXPECT_EQ(ErrorOf(e, "Count(,1)"), At(kExpressionExpected, 6));
  EXPECT_EQ(e.abortCalls, 0);
}

TEST(EvaluatorError, ExpressionExpectedAtTheEndOnePastTheText) {
  TestEvaluator e;
  EXPECT_EQ(ErrorOf(e, "("), At(kExpressionExpected, 2));
  EXPECT_EQ(ErrorOf(e, "1 +"), At(kExpressionExpected, 4));
  EXPECT_EQ(ErrorOf(e, "1 and"), At(kExpressionExpected, 6));
  EXPECT_EQ(ErrorOf(e, "x :="), At(kExpressionExpected, 5));
  EXPECT_EQ(ErrorOf(e, "-"), At(kExpressionExpected, 2));
  EXPECT_EQ(ErrorOf(e, "not -"), At(kExpressionExpected, 6));
  EXPECT_EQ(ErrorOf(e, "Count(1,"), At(kExpressionExpected, 9));
  EXPECT_EQ(ErrorOf(e, "Count(1, 2 *"), At(kExpressionExpected, 13));
}

TEST(EvaluatorError, CannotParseIdentifierAtTheCurrentCharacter) {
  TestEvaluator e;  // refuses the operand "bad"
  EXPECT_EQ(ErrorOf(e, "bad"), At(kCannotParse, 4));
  EXPECT_EQ(ErrorOf(e, "bad + 1"), At(kCannotParse, 3));
  EXPECT_EQ(ErrorOf(e, "1 + bad"), At(kCannotParse, 8));
  EXPECT_EQ(ErrorOf(e, "'bad'"), At(kCannotParse, 5));
  EXPECT_EQ(ErrorOf(e, "(bad)"), At(kCannotParse, 4));
  EXPECT_EQ(ErrorOf(e, "Length('bad')"), At(kCannotParse, 12));
  // A function result is an operand too.
  EXPECT_EQ(ErrorOf(e, "Refused + 1"), At(kCannotParse, 8));
  EXPECT_EQ(ErrorOf(e, "Mark(1) & Refused"), At(kCannotParse, 18));
  EXPECT_EQ(ErrorOf(e, "(Refused)"), At(kCannotParse, 8));
  EXPECT_EQ(ErrorOf(e, "Mark('bad')"), At(kCannotParse, 10));
}

TEST(EvaluatorError, WrongQuantityOfParametersAtTheClosingParenthesis) {
  TestEvaluator e;
  EXPECT_EQ(ErrorOf(e, "Length('a', 'b')"), At(kWrongQuantity, 16));
  EXPECT_EQ(ErrorOf(e, "Pick(1)"), At(kWrongQuantity, 7));
  EXPECT_EQ(ErrorOf(e, "Pick(1, 2, 3, 4)"), At(kWrongQuantity, 16));
  EXPECT_EQ(ErrorOf(e, "Abort(1)"), At(kWrongQuantity, 8));
  // A missing ")" at the end: one past the end.
  EXPECT_EQ(ErrorOf(e, "Pick(1"), At(kWrongQuantity, 7));
  EXPECT_EQ(e.abortCalls, 0);
}

TEST(EvaluatorError, OperatorExpectedBeforeTheOffendingCharacterOrAtTheComma) {
  TestEvaluator e;
  EXPECT_EQ(ErrorOf(e, "1 2"), At(kOperatorExpected, 2));
  EXPECT_EQ(ErrorOf(e, "(1)(2)"), At(kOperatorExpected, 3));
  EXPECT_EQ(ErrorOf(e, "'a' 'b'"), At(kOperatorExpected, 4));
  EXPECT_EQ(ErrorOf(e, "1\t+ 1"), At(kOperatorExpected, 1));
  EXPECT_EQ(ErrorOf(e, "Abort 1"), At(kOperatorExpected, 6));
  // A comma outside an argument list, also in a group inside one.
  EXPECT_EQ(ErrorOf(e, "1 , 2"), At(kOperatorExpected, 3));
  EXPECT_EQ(ErrorOf(e, "(1, 2)"), At(kOperatorExpected, 3));
  EXPECT_EQ(ErrorOf(e, "Count((1, 2))"), At(kOperatorExpected, 9));
}

TEST(EvaluatorError, LineBreaksAreNotRemovedByTheCore) {
  TestEvaluator e;
  EXPECT_EQ(ErrorOf(e, "1\r\n+ 1"), At(kOperatorExpected, 1));
  EXPECT_EQ(ErrorOf(e, "a\nand b"), At(kOperatorExpected, 1));
}

TEST(EvaluatorError, FunctionParametersExpectedWithoutAZeroArgumentVariant) {
  TestEvaluator e;
  EXPECT_EQ(ErrorOf(e, "Length"), At(kParametersExpected, 7));
  EXPECT_EQ(ErrorOf(e, "Length + 1"), At(kParametersExpected, 8));
  EXPECT_EQ(ErrorOf(e, "1 + Pick"), At(kParametersExpected, 9));
  EXPECT_EQ(ErrorOf(e, "(Length)"), At(kParametersExpected, 8));
}

TEST(EvaluatorError, QuoteInsideAnUnquotedToken) {
  TestEvaluator e;
  EXPECT_EQ(ErrorOf(e, "ab'c'"), At(kQuoteInToken, 3));
  EXPECT_EQ(ErrorOf(e, "ab\"c"), At(kQuoteInToken, 3));
  EXPECT_EQ(ErrorOf(e, "Length'x'"), At(kQuoteInToken, 7));
  EXPECT_EQ(ErrorOf(e, "1 + x'"), At(kQuoteInToken, 6));
}

TEST(EvaluatorError, ClosingQuoteExpectedOnePastTheEnd) {
  TestEvaluator e;
  EXPECT_EQ(ErrorOf(e, "'abc"), At(kClosingQuote, 5));
  EXPECT_EQ(ErrorOf(e, "'ab''"), At(kClosingQuote, 6));
  EXPECT_EQ(ErrorOf(e, "\"it's"), At(kClosingQuote, 6));
  EXPECT_EQ(ErrorOf(e, "Length('abc"), At(kClosingQuote, 12));
  EXPECT_EQ(ErrorOf(e, "'"), At(kClosingQuote, 2));
}

TEST(EvaluatorError, WrongArityAtTheCharacterWhereTheOperatorIsApplied) {
  TestEvaluator e;
  // Binary-only operators used as prefixes.
  EXPECT_EQ(ErrorOf(e, "* 2"), At(kWrongArity, 4));
  EXPECT_EQ(ErrorOf(e, "* 2 + 1"), At(kWrongArity, 3));
  EXPECT_EQ(ErrorOf(e, "1 + * 2"), At(kWrongArity, 8));
  EXPECT_EQ(ErrorOf(e, "and 1"), At(kWrongArity, 6));
  // A prefix-only operator used as a binary one: it fails only when applied.
  EXPECT_EQ(ErrorOf(e, "1 not 2"), At(kWrongArity, 8));
  EXPECT_EQ(ErrorOf(e, "1 not 2 + (3)"), At(kWrongArity, 13));
  EXPECT_EQ(ErrorOf(e, "(1 not 2) & 3"), At(kWrongArity, 9));
}

TEST(EvaluatorError, EffectsBeforeTheErrorStay) {
  TestEvaluator e;
  EXPECT_EQ(ErrorOf(e, "(x := 5) & Mark(1) & (1 +"), At(kExpressionExpected, 26));
  EXPECT_EQ(e.variables["x"], "5");
  EXPECT_NE(std::find(e.log.begin(), e.log.end(), "call:Mark(1)"), e.log.end());
}

}  // namespace
}  // namespace cv
