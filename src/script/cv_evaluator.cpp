#include "script/cv_evaluator.h"

#include <algorithm>

#include "database/main_database.h"
#include "database/variable_access.h"
#include "platform/case_map.h"
#include "script/builtin_functions.h"
#include "script/number_text.h"
#include "script/references.h"

namespace cv {

namespace {

// The operators in the order that gives each its index.
enum OperatorIndex {
  kAssign,
  kPlus,
  kMinus,
  kTimes,
  kDivide,
  kConcat,
  kEqual,
  kNotEqual,
  kAnd,
  kOr,
  kNot,
  kLess,
  kGreater,
  kLessEqual,
  kGreaterEqual,
  kIn,
};

bool IsTrue(std::string_view text) { return !text.empty() && text.front() == '1'; }
std::string Truth(bool value) { return value ? "1" : "0"; }

// Whether `item` is one of the non-empty comma-separated items of `list`,
// ignoring case; items are compared as they stand, blanks included.
bool InCommaList(std::string_view item, std::string_view list) {
  while (!list.empty()) {
    const auto comma = list.find(',');
    const std::string_view piece = list.substr(0, comma);
    if (!piece.empty() && SameTextNoCase(piece, item)) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

TXMLObject* ContextDatabase(const TcvEvalContext& context) {
  return context.Database ? context.Database : MainDatabase();
}

}  // namespace

TcvEvaluator::TcvEvaluator() {
  IdentifierChars.set('%').set('.').set('[').set(']');
  OperatorSymbolChars.reset('%');
  AddOperator(":=", kBinary, 0);
  AddOperator("+", kUnary | kBinary, 4);
  AddOperator("-", kUnary | kBinary, 4);
  AddOperator("*", kBinary, 5);
  AddOperator("/", kBinary, 5);
  AddOperator("&", kBinary, 4);
  AddOperator("=", kBinary, 3);
  AddOperator("<>", kBinary, 3);
  AddOperator("and", kBinary, 2);
  AddOperator("or", kBinary, 1);
  AddOperator("not", kUnary, 6);
  AddOperator("<", kBinary, 3);
  AddOperator(">", kBinary, 3);
  AddOperator("<=", kBinary, 3);
  AddOperator(">=", kBinary, 3);
  AddOperator("in", kBinary, 3);
  RegisterBuiltinFunctions(*this);
}

std::string TcvEvaluator::EvaluateFor(TXMLObject* database, std::int32_t pluginId,
                                      std::int32_t extra, bool expandReferences,
                                      std::string_view expression) {
  std::string text(expression);
  std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
  TcvEvalContext context;
  context.Database = database;
  context.PluginId = pluginId;
  context.ExpandReferences = expandReferences;
  context.Extra = extra;
  return Evaluate(text, context);
}

std::int32_t TcvEvaluator::RegisterPluginFunction(void* owner, const std::string& name,
                                                  std::int32_t paramCount) {
  if (name.empty() || FindFunction(name, paramCount)) return 0;
  return AddFunction(name, paramCount, {}, owner).ID;
}

void TcvEvaluator::SetPluginFunctionRoutine(PluginFunctionRoutine routine) {
  pluginFunctions_ = std::move(routine);
}

bool TcvEvaluator::ResolveOperand(std::string& operand, const TcvEvalContext& context) {
  if (context.ExpandReferences) {
    operand = ExpandText(ContextDatabase(context), context.PluginId, operand);
  }
  return true;
}

void TcvEvaluator::ApplyOperator(const TkeOperator& op, int arity, std::string& result,
                                 const TcvEvalContext& context, const std::string& right,
                                 const std::string* left) {
  const bool unary = arity == 0 || left == nullptr;
  const std::string& a = unary ? right : *left;
  auto number = [](const std::string& text) { return NumberFromText(text); };
  switch (op.Index) {
    case kAssign:
      SetVar(ContextDatabase(context), a, right);
      result = right;
      break;
    case kPlus:
      result = NumberToText(unary ? number(right) : number(a) + number(right));
      break;
    case kMinus:
      result = NumberToText(unary ? -number(right) : number(a) - number(right));
      break;
    case kTimes: result = NumberToText(number(a) * number(right)); break;
    case kDivide: {
      const double divisor = number(right);
      if (divisor == 0) throw EMathError("Floating point division by zero");
      result = NumberToText(number(a) / divisor);
      break;
    }
    case kConcat: result = a + right; break;
    case kEqual: result = Truth(a == right); break;
    case kNotEqual: result = Truth(a != right); break;
    case kAnd: result = Truth(IsTrue(a) && IsTrue(right)); break;
    case kOr: result = Truth(IsTrue(a) || IsTrue(right)); break;
    case kNot: result = Truth(!IsTrue(right)); break;
    case kLess: result = Truth(number(a) < number(right)); break;
    case kGreater: result = Truth(number(a) > number(right)); break;
    case kLessEqual: result = Truth(number(a) <= number(right)); break;
    case kGreaterEqual: result = Truth(number(a) >= number(right)); break;
    case kIn: result = Truth(InCommaList(a, right)); break;
    default: break;
  }
}

void TcvEvaluator::CallFunction(const TkeFunction& function, const FunctionArgs* args,
                                std::string& result, const TcvEvalContext& context) {
  result = pluginFunctions_ ? pluginFunctions_(function, args, context) : std::string();
}

TcvEvaluator& TheEvaluator() {
  static TcvEvaluator evaluator;
  return evaluator;
}

}  // namespace cv
