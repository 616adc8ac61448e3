#pragma once
// A small evaluator for the core's tests: a dozen operators computed by index
// (one with a handler), numbers read with "." and written with up to 15
// significant digits, variables in a map, and functions that record what they
// are given. Every operand, operator and call is written to `log` while
// `recording` is on.

#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/case_map.h"
#include "platform/numbers.h"
#include "platform/trim.h"
#include "script/ke_evaluator.h"

namespace cv::test {

inline std::string NumberText(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  return buffer;
}

inline double NumberOf(const std::string& text) { return StrToFloatDef(text, 0.0); }

inline std::string Truth(bool value) { return value ? "1" : "0"; }

inline bool IsTrue(const std::string& text) { return !text.empty() && text[0] == '1'; }

inline std::string Joined(const FunctionArgs& args) {
  std::string out;
  for (const std::string& arg : args) out += (out.empty() ? "" : ",") + arg;
  return out;
}

class TestEvaluator : public TkeEvaluator {
 public:
  // Operator indexes, in registration order.
  enum : int { kAssign, kPlus, kMinus, kTimes, kDivide, kConcat, kEqual, kNotEqual, kAnd, kOr };
  enum : int { kNot = 10, kLess, kIn };

  TestEvaluator() {
    IdentifierChars.set('.');  // decimal numbers read as one operand
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
    // The one operator with a handler of its own.
    AddOperator("in", kBinary, 3,
                [this](int arity, const std::string* left, const std::string& right,
                       std::string& result, const TcvEvalContext&) {
                  Record("handler:in/" + std::to_string(arity) + "(" + *left + "," + right + ")");
                  result = Truth(InList(*left, right));
                });

    AddFunction("Length,Len", 1,
                [](const FunctionArgs* args, const TcvEvalContext&, std::string& result) {
                  result = std::to_string(args->at(0).size());
                });
    AddFunction("Count", -1,
                [](const FunctionArgs* args, const TcvEvalContext&, std::string& result) {
                  result = args == nullptr ? "none" : std::to_string(args->size());
                });
    AddFunction("Abort", 0,
                [this](const FunctionArgs* args, const TcvEvalContext&, std::string& result) {
                  ++abortCalls;
                  Record(args == nullptr ? "call:Abort" : "call:Abort()");
                  result = "aborted";
                });
    AddFunction("Pick", 2,
                [](const FunctionArgs* args, const TcvEvalContext&, std::string& result) {
                  result = "two:" + Joined(*args);
                });
    AddFunction("Pick", 3,
                [](const FunctionArgs* args, const TcvEvalContext&, std::string& result) {
                  result = "three:" + Joined(*args);
                });
    AddFunction("Mark", -1,
                [this](const FunctionArgs* args, const TcvEvalContext&, std::string& result) {
                  Record("call:Mark(" + (args == nullptr ? "" : Joined(*args)) + ")");
                  result = args == nullptr || args->empty() ? "" : args->front();
                });
    AddFunction("Fail", 1, [](const FunctionArgs* args, const TcvEvalContext&, std::string&) {
      throw std::logic_error(args->at(0));
    });
    AddFunction("Refused", 0, [](const FunctionArgs*, const TcvEvalContext&, std::string& result) {
      result = "bad";
    });
    AddFunction("Plugin", 1, {}, &pluginTag);
    AddFunction("Status", 0, {}, &pluginTag);
  }

  // Whether `item` is one of the comma-separated items of `list`, ignoring
  // case; empty items are skipped.
  static bool InList(const std::string& item, const std::string& list) {
    std::size_t start = 0;
    for (;;) {
      const std::size_t comma = list.find(',', start);
      const std::string part = list.substr(start, comma - start);
      if (!part.empty() && SameTextNoCase(part, item)) return true;
      if (comma == std::string::npos) return false;
      start = comma + 1;
    }
  }

  std::string Eval(std::string_view expression) { return Evaluate(expression, context); }

  void Record(std::string entry) {
    if (recording) log.push_back(std::move(entry));
  }

  TcvEvalContext context;
  bool recording = true;
  std::vector<std::string> log;
  std::map<std::string, std::string> variables;
  std::map<std::string, std::string> substitutions;  // operand -> replacement
  int abortCalls = 0;
  int pluginTag = 0;  // the owner of the functions without handler

 protected:
  bool ResolveOperand(std::string& operand, const TcvEvalContext&) override {
    Record("resolve:" + operand);
    if (operand == "bad") return false;
    if (const auto found = substitutions.find(operand); found != substitutions.end()) {
      operand = found->second;
    }
    return true;
  }

  void ApplyOperator(const TkeOperator& op, int arity, std::string& result, const TcvEvalContext&,
                     const std::string& right, const std::string* left) override {
    Record("apply:" + op.Name + "/" + std::to_string(arity) + "(" +
           (left == nullptr ? "" : *left + ",") + right + ")");
    const double r = NumberOf(right);
    const double l = left == nullptr ? 0.0 : NumberOf(*left);
    switch (op.Index) {
      case kAssign:
        variables[*left] = right;
        result = right;
        break;
      case kPlus: result = NumberText(left == nullptr ? r : l + r); break;
      case kMinus: result = NumberText(left == nullptr ? -r : l - r); break;
      case kTimes: result = NumberText(l * r); break;
      case kDivide:
        if (r == 0) throw std::domain_error("Floating point division by zero");
        result = NumberText(l / r);
        break;
      case kConcat: result = *left + right; break;
      case kEqual: result = Truth(*left == right); break;
      case kNotEqual: result = Truth(*left != right); break;
      case kAnd: result = Truth(IsTrue(*left) && IsTrue(right)); break;
      case kOr: result = Truth(IsTrue(*left) || IsTrue(right)); break;
      case kNot: result = Truth(!IsTrue(right)); break;
      case kLess: result = Truth(l < r); break;
      default: throw std::logic_error("operator without computation: " + op.Name);
    }
  }

  void CallFunction(const TkeFunction& function, const FunctionArgs* args, std::string& result,
                    const TcvEvalContext& callContext) override {
    Record("plugin:" + function.Name + (args == nullptr ? "" : "(" + Joined(*args) + ")") +
           (function.Owner == &pluginTag ? " owner" : " no owner") + " extra " +
           std::to_string(callContext.Extra));
    result = args == nullptr ? "status" : "plugin:" + Joined(*args);
  }
};

// "text@position" of the syntax error `expression` raises, after checking
// that the error carries the trimmed expression and formats its message as
// the user sees it; "no error: <result>" when it evaluates.
inline std::string ErrorOf(TestEvaluator& evaluator, std::string_view expression) {
  try {
    return "no error: " + evaluator.Eval(expression);
  } catch (const TkeEvaluatorError& error) {
    std::string problems;
    if (error.Expression() != std::string(Trim(expression))) {
      problems += " [expression: " + error.Expression() + "]";
    }
    const std::string expected = error.Text() + "\r\n\r\nExpression: " + error.Expression() +
                                 "\r\nPosition: " + std::to_string(error.Position());
    if (expected != error.what()) problems += " [message: " + std::string(error.what()) + "]";
    return error.Text() + "@" + std::to_string(error.Position()) + problems;
  }
}

inline std::string At(std::string_view text, int position) {
  return std::string(text) + "@" + std::to_string(position);
}

}  // namespace cv::test
