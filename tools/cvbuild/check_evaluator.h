#pragma once
// The engine's expression parser run without effects: the same operators,
// character classes and function table, but no operator computes and no
// function runs. It reports the parser's own syntax errors and collects what
// an expression names (references in operands, function calls with their
// literal arguments) so the project checker can verify them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/ke_evaluator.h"

namespace cv::build {

struct ParsedCall {
  std::string Name;
  // An argument's text when it is a plain literal; nullopt when computed.
  std::vector<std::optional<std::string>> Arguments;
};

struct ParsedExpression {
  bool SyntaxOk = true;
  std::string ErrorText;  // the evaluator's own message
  int ErrorPosition = 0;  // 1-based within the expression
  std::vector<std::string> Operands;  // each operand as written (quotes removed)
  std::vector<ParsedCall> Calls;
};

class CheckEvaluator : public TkeEvaluator {
 public:
  CheckEvaluator();
  // Parses `expression` as the engine does (line breaks removed first).
  ParsedExpression Check(std::string_view expression);
  // Evaluates nothing; plug-ins add functions only at run time, so a
  // project that loads plug-ins may call names this table lacks.
  bool KnowsFunctionName(std::string_view name) const { return FindFunction(name, -1) != nullptr; }

 protected:
  bool ResolveOperand(std::string& operand, const TcvEvalContext& context) override;
  void ApplyOperator(const TkeOperator& op, int arity, std::string& result,
                     const TcvEvalContext& context, const std::string& right,
                     const std::string* left) override;
  void CallFunction(const TkeFunction& function, const FunctionArgs* args, std::string& result,
                    const TcvEvalContext& context) override;

 private:
  ParsedExpression* current_ = nullptr;
};

}  // namespace cv::build
