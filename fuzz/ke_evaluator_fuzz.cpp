// The generic evaluator on arbitrary text with a small table of operators and
// functions: it either computes a value or raises a syntax error that names
// the trimmed expression and a position inside it (or one past its end).
// Exceptions of handlers are the only others that may leave it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/trim.h"
#include "script/ke_evaluator.h"

namespace {

struct HandlerFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

bool IsTrue(const std::string& text) { return !text.empty() && text[0] == '1'; }

// Integers only, so results stay short and no floating-point formatting is
// involved; large values wrap.
long long IntegerOf(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 10); }

class FuzzEvaluator : public cv::TkeEvaluator {
 public:
  FuzzEvaluator() {
    IdentifierChars.set('.');
    IdentifierChars.set('%');
    OperatorSymbolChars.reset('%');
    AddOperator(":=", cv::kBinary, 0);
    AddOperator("+", cv::kUnary | cv::kBinary, 4);
    AddOperator("-", cv::kUnary | cv::kBinary, 4);
    AddOperator("*", cv::kBinary, 5);
    AddOperator("&", cv::kBinary, 4);
    AddOperator("=", cv::kBinary, 3);
    AddOperator("<>", cv::kBinary, 3);
    AddOperator("and", cv::kBinary, 2);
    AddOperator("or", cv::kBinary, 1);
    AddOperator("not", cv::kUnary, 6);
    AddOperator("in", cv::kBinary, 3,
                [](int, const std::string* left, const std::string& right, std::string& result,
                   const cv::TcvEvalContext&) {
                  result = right.find(*left) == std::string::npos ? "0" : "1";
                });
    AddFunction("Length,Len", 1,
                [](const cv::FunctionArgs* args, const cv::TcvEvalContext&, std::string& result) {
                  result = std::to_string(args->at(0).size());
                });
    AddFunction("Count", -1,
                [](const cv::FunctionArgs* args, const cv::TcvEvalContext&, std::string& result) {
                  result = args == nullptr ? "none" : std::to_string(args->size());
                });
    AddFunction("Pick", 2, {});
    AddFunction("Pick", 3, {});
    AddFunction("Abort", 0, {});
    AddFunction("Fail", 1, [](const cv::FunctionArgs*, const cv::TcvEvalContext&, std::string&) {
      throw HandlerFailure("handler failed");
    });
  }

  std::map<std::string, std::string> variables;

 protected:
  bool ResolveOperand(std::string& operand, const cv::TcvEvalContext&) override {
    if (operand == "bad") return false;
    if (operand.size() > 2 && operand.front() == '%' && operand.back() == '%') {
      const auto found = variables.find(operand.substr(1, operand.size() - 2));
      operand = found == variables.end() ? "" : found->second;
    }
    return true;
  }

  void ApplyOperator(const cv::TkeOperator& op, int arity, std::string& result,
                     const cv::TcvEvalContext&, const std::string& right,
                     const std::string* left) override {
    if ((arity == 0) != (left == nullptr)) std::abort();
    const unsigned long long r = static_cast<unsigned long long>(IntegerOf(right));
    const unsigned long long l =
        left == nullptr ? 0 : static_cast<unsigned long long>(IntegerOf(*left));
    switch (op.Index) {
      case 0:
        if (variables.size() < 64) variables[*left] = right.substr(0, 64);
        result = right;
        break;
      case 1: result = std::to_string(static_cast<long long>(left == nullptr ? r : l + r)); break;
      case 2:
        result = std::to_string(static_cast<long long>(left == nullptr ? 0 - r : l - r));
        break;
      case 3: result = std::to_string(static_cast<long long>(l * r)); break;
      case 4: result = (*left + right).substr(0, 4096); break;
      case 5: result = *left == right ? "1" : "0"; break;
      case 6: result = *left != right ? "1" : "0"; break;
      case 7: result = IsTrue(*left) && IsTrue(right) ? "1" : "0"; break;
      case 8: result = IsTrue(*left) || IsTrue(right) ? "1" : "0"; break;
      case 9: result = IsTrue(right) ? "0" : "1"; break;
      default: std::abort();  // every other operator has a handler
    }
  }

  void CallFunction(const cv::TkeFunction& function, const cv::FunctionArgs* args,
                    std::string& result, const cv::TcvEvalContext&) override {
    if (args != nullptr && function.ParamCount != -1 &&
        args->size() != static_cast<std::size_t>(function.ParamCount)) {
      std::abort();  // the argument count must match the function chosen
    }
    result = args == nullptr ? function.Name : args->back();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzEvaluator evaluator;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  evaluator.variables.clear();
  try {
    (void)evaluator.Evaluate(text, cv::TcvEvalContext{});
  } catch (const cv::TkeEvaluatorError& error) {
    const std::string_view trimmed = cv::Trim(text);
    if (trimmed.empty() || error.Expression() != trimmed) std::abort();
    if (error.Position() < 0 || static_cast<std::size_t>(error.Position()) > trimmed.size() + 1) {
      std::abort();
    }
  } catch (const HandlerFailure&) {
  }
  return 0;
}
