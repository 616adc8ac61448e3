#pragma once
// The generic expression evaluator: a tokenizer and operator-precedence parser
// driven by tables. It knows no operators or functions of its own; a subclass
// registers them, widens the character classes, and computes operators and
// functions that have no handler of their own.
//
// Every value is a string. One pass reads the expression from left to right
// and computes each operand, operator and function call as it is read. The
// parser keeps an accumulator and at most two pending binary operators: when
// an operand completes after two pending operators, the first is applied if it
// binds at least as tightly as the second, otherwise the second is folded into
// the pending right-hand side. So "20 = 2 + 3 * 4" computes 20 = ((2 + 3) * 4),
// which existing projects rely on.
//
// One evaluator serves every thread: all state of an evaluation lives in the
// call, and the operator and function tables are guarded by a lock, so
// plug-ins may register functions while other threads evaluate. Table entries
// never move once added, so pointers returned by the lookups stay valid.

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "script/eval_context.h"

namespace cv {

// Error texts of the evaluator, as the user sees them.
inline constexpr std::string_view kUnknownOperatorText = "Unknown operator.";
inline constexpr std::string_view kUnknownFunctionText = "Unknown function.";
inline constexpr std::string_view kExpressionExpectedText = "Expression expected.";
inline constexpr std::string_view kCannotParseIdentifierText = "Cannot parse identifier.";
inline constexpr std::string_view kWrongParameterCountText =
    "Wrong quantity of parameters in function.";
inline constexpr std::string_view kOperatorExpectedText = "Operator expected.";
inline constexpr std::string_view kFunctionParametersExpectedText = "Function parameters expected.";
inline constexpr std::string_view kQuoteInUnquotedText =
    "You may not use the quotation mark symbols in an expression that is not enclosed by "
    "quotation marks itself.";
inline constexpr std::string_view kClosingQuoteExpectedText = "Closing quotation mark is expected.";
inline constexpr std::string_view kWrongArityText =
    "Wrong operator arity (for example binary operator is used as unary).";
inline constexpr std::string_view kNestedTooDeeplyText = "Expression is nested too deeply.";

// Parentheses and argument lists may nest this deep; one more level is an
// error at its opening parenthesis. It bounds the memory a hostile expression
// can make one evaluation use.
inline constexpr int kMaxExpressionNesting = 256;

// A syntax error: the text, the whole expression and the 1-based position.
class TkeEvaluatorError : public Error {
 public:
  TkeEvaluatorError(std::string text, std::string expression, int position);

  const std::string& Text() const { return text_; }
  const std::string& Expression() const { return expression_; }
  int Position() const { return position_; }

 private:
  std::string text_;
  std::string expression_;
  int position_;
};

enum : std::uint8_t { kUnary = 1, kBinary = 2 };  // bits of TkeOperator::Arities

using OperatorHandler =
    std::function<void(int arity /*0 unary, 1 binary*/, const std::string* left /*null: unary*/,
                       const std::string& right, std::string& result, const TcvEvalContext&)>;

struct TkeOperator {
  std::string Name;  // compared ignoring case
  std::uint8_t Arities = 0;
  std::int32_t Priority = 0;  // higher binds tighter
  OperatorHandler Handler;    // none: the evaluator's ApplyOperator
  int Index = 0;              // position in the operator list
};

using FunctionArgs = std::vector<std::string>;

using FunctionHandler =
    std::function<void(const FunctionArgs* args /*null: called without an argument list*/,
                       const TcvEvalContext&, std::string& result)>;

struct TkeFunction {
  std::string Name;              // comma-separated aliases, each compared ignoring case
  std::int32_t ParamCount = -1;  // exact number of arguments, -1: any number
  FunctionHandler Handler;       // none: the evaluator's CallFunction
  void* Owner = nullptr;         // the plug-in that supplied the function, or none
  std::int32_t ID = 0;           // serial number in the function list, from 1
};

using CharClass = std::bitset<256>;

class TkeEvaluator {
 public:
  TkeEvaluator();
  virtual ~TkeEvaluator();
  TkeEvaluator(const TkeEvaluator&) = delete;
  TkeEvaluator& operator=(const TkeEvaluator&) = delete;

  // Trims blanks and control characters; an empty expression gives "".
  // Throws TkeEvaluatorError on a syntax error; exceptions of handlers and of
  // the virtual operations pass through unchanged.
  std::string Evaluate(std::string_view expression, const TcvEvalContext& context);

  TkeOperator& AddOperator(std::string name, std::uint8_t arities, std::int32_t priority,
                           OperatorHandler handler = {});
  TkeFunction& AddFunction(std::string name, std::int32_t paramCount, FunctionHandler handler = {},
                           void* owner = nullptr);

  // The first operator named `name`, ignoring case; null when none. An empty
  // name finds nothing.
  const TkeOperator* FindOperator(std::string_view name) const;
  // The first function, in registration order, one of whose aliases is
  // `name` (ignoring case) and that takes `count` arguments: `count` -1 or a
  // ParamCount of -1 accept any number. An empty name finds nothing.
  const TkeFunction* FindFunction(std::string_view name, std::int32_t count) const;

  std::size_t OperatorCount() const;
  std::size_t FunctionCount() const;

  // Identifier characters make up operands and names; operator symbol and
  // operator word characters make up operators (one class per operator
  // token); quote characters open and close literals.
  CharClass IdentifierChars, OperatorSymbolChars, OperatorWordChars, QuoteChars;

 protected:
  // Called for every completed operand; false rejects it ("Cannot parse
  // identifier."). The base accepts every operand unchanged.
  virtual bool ResolveOperand(std::string& operand, const TcvEvalContext& context);
  // Computes an operator without a handler; `left` is null for a prefix use.
  virtual void ApplyOperator(const TkeOperator& op, int arity, std::string& result,
                             const TcvEvalContext& context, const std::string& right,
                             const std::string* left) = 0;
  // Computes a function without a handler; `args` is null for a call without
  // an argument list.
  virtual void CallFunction(const TkeFunction& function, const FunctionArgs* args,
                            std::string& result, const TcvEvalContext& context) = 0;

 private:
  class Parse;  // the state of one evaluation

  mutable std::shared_mutex tablesLock_;
  std::deque<TkeOperator> operators_;
  std::deque<TkeFunction> functions_;
  std::int32_t lastFunctionId_ = 0;
};

}  // namespace cv
