#include "check_evaluator.h"

#include <algorithm>

#include "script/builtin_functions.h"
#include "script/cv_evaluator.h"

namespace cv::build {

namespace {

// A value that no literal can hold: marks results computed at run time, so
// a function argument built from them is not taken for a literal name.
const std::string kComputed("\x01", 1);

// The expression language's operators, looked up in the engine's evaluator
// so that priorities and arities are the engine's.
constexpr const char* kOperatorNames[] = {":=", "+",   "-", "*", "/", "&",  "=",  "<>",
                                          "and", "or", "not", "<", ">", "<=", ">=", "in"};

}  // namespace

CheckEvaluator::CheckEvaluator() {
  const TcvEvaluator engine;
  IdentifierChars = engine.IdentifierChars;
  OperatorSymbolChars = engine.OperatorSymbolChars;
  OperatorWordChars = engine.OperatorWordChars;
  QuoteChars = engine.QuoteChars;
  for (const char* name : kOperatorNames) {
    if (const TkeOperator* op = engine.FindOperator(name)) AddOperator(op->Name, op->Arities, op->Priority);
  }
  for (const auto& [name, count] : BuiltinFunctionSignatures()) AddFunction(name, count);
}

ParsedExpression CheckEvaluator::Check(std::string_view expression) {
  std::string text(expression);
  std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
  ParsedExpression parsed;
  current_ = &parsed;
  try {
    Evaluate(text, TcvEvalContext{});
  } catch (const TkeEvaluatorError& error) {
    parsed.SyntaxOk = false;
    parsed.ErrorText = error.Text();
    parsed.ErrorPosition = error.Position();
  }
  current_ = nullptr;
  return parsed;
}

bool CheckEvaluator::ResolveOperand(std::string& operand, const TcvEvalContext&) {
  if (current_) current_->Operands.push_back(operand);
  // A reference is replaced at run time: the operand is not a literal then.
  if (operand.find_first_of("%[#") != std::string::npos) operand = kComputed;
  return true;
}

void CheckEvaluator::ApplyOperator(const TkeOperator& op, int, std::string& result,
                                   const TcvEvalContext&, const std::string& right,
                                   const std::string* left) {
  // The name an assignment sets is a literal the checker learns from.
  if (current_ && op.Name == ":=" && left && *left != kComputed) {
    current_->Calls.push_back({":=", {*left}});
  }
  (void)right;
  result = kComputed;
}

void CheckEvaluator::CallFunction(const TkeFunction& function, const FunctionArgs* args,
                                  std::string& result, const TcvEvalContext&) {
  if (current_) {
    ParsedCall call;
    const std::string& name = function.Name;
    call.Name = name;
    if (args) {
      for (const std::string& argument : *args) {
        if (argument == kComputed) {
          call.Arguments.emplace_back(std::nullopt);
        } else {
          call.Arguments.emplace_back(argument);
        }
      }
    }
    current_->Calls.push_back(std::move(call));
  }
  result = kComputed;
}

}  // namespace cv::build
