#include "script/ke_evaluator.h"

#include <climits>
#include <mutex>
#include <utility>

#include "platform/case_map.h"
#include "platform/trim.h"

namespace cv {

namespace {

CharClass CharsOf(std::string_view chars) {
  CharClass set;
  for (const char c : chars) set.set(static_cast<unsigned char>(c));
  return set;
}

CharClass CharRange(char first, char last) {
  CharClass set;
  for (int c = static_cast<unsigned char>(first); c <= static_cast<unsigned char>(last); ++c) {
    set.set(static_cast<std::size_t>(c));
  }
  return set;
}

int ClampToInt(std::size_t value) {
  return value > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(value);
}

// Whether one of the comma-separated aliases in `names` is `name`, ignoring
// case. Empty aliases name nothing.
bool HasAlias(std::string_view names, std::string_view name) {
  for (;;) {
    const std::size_t comma = names.find(',');
    const std::string_view alias = names.substr(0, comma);
    if (!alias.empty() && SameTextNoCase(alias, name)) return true;
    if (comma == std::string_view::npos) return false;
    names.remove_prefix(comma + 1);
  }
}

std::string FormatEvaluatorError(const std::string& text, const std::string& expression,
                                 int position) {
  return text + "\r\n\r\nExpression: " + expression + "\r\nPosition: " + std::to_string(position);
}

}  // namespace

TkeEvaluatorError::TkeEvaluatorError(std::string text, std::string expression, int position)
    : Error(FormatEvaluatorError(text, expression, position)),
      text_(std::move(text)),
      expression_(std::move(expression)),
      position_(position) {}

// One evaluation: a state machine over the characters of the trimmed
// expression with one position counter. Parentheses and argument lists open
// levels on an explicit stack instead of recursing, so their depth is bounded
// by kMaxExpressionNesting and not by the thread's stack.
//
// Positions reported in errors are 1-based: `pos_` counts the characters
// consumed, so after a character is read it is that character's position,
// and after a step back it is the position of the character before. At the
// end of the text it is one past the end.
class TkeEvaluator::Parse {
 public:
  Parse(TkeEvaluator& owner, std::string_view text, const TcvEvalContext& context)
      : owner_(owner), text_(text), context_(context) {}

  std::string Run() {
    levels_.emplace_back();
    while (pos_ < text_.size()) {
      if (Step(text_[pos_++])) return TakeValue();
    }
    AtEnd();
    return TakeValue();
  }

 private:
  enum class State { kOperand, kToken, kQuoted, kOperator, kOperatorText, kFunctionName };
  enum class Mode { kTop, kGroup, kArguments };

  // One parse level: the whole expression, a parenthesised group, or an
  // argument list. Holds Acc op1 R1 op2 R2 and a pending prefix operator.
  struct Level {
    Mode mode = Mode::kTop;
    std::string_view functionName;  // of an argument list
    FunctionArgs args;
    std::string acc, r1, r2;
    const TkeOperator* op1 = nullptr;
    const TkeOperator* op2 = nullptr;
    const TkeOperator* prefix = nullptr;
    bool leftPending = false;  // an operand stands before the next operator
  };

  Level& Top() { return levels_.back(); }

  [[noreturn]] void Fail(std::string_view text, std::size_t position) const {
    throw TkeEvaluatorError(std::string(text), std::string(text_), ClampToInt(position));
  }

  // Handles the character just read; true when a ")" ends the whole parse
  // (the rest of the text is not read).
  bool Step(char c) {
    const auto u = static_cast<unsigned char>(c);
    switch (state_) {
      case State::kOperand:
        if (c == ' ') return false;
        if (owner_.OperatorSymbolChars[u]) {
          // A prefix operator: it has no left operand.
          Top().leftPending = false;
          StartOperatorText(owner_.OperatorSymbolChars);
        } else if (owner_.QuoteChars[u]) {
          quote_ = c;
          literal_.clear();
          state_ = State::kQuoted;
        } else if (c == '(') {
          Open(Mode::kGroup, {});
        } else {
          --pos_;
          tokenStart_ = pos_;
          state_ = State::kToken;
        }
        return false;

      case State::kToken:
        if (owner_.QuoteChars[u]) Fail(kQuoteInUnquotedText, pos_);
        if (owner_.IdentifierChars[u]) return false;
        --pos_;
        EndToken(c);
        return false;

      case State::kQuoted:
        if (c != quote_) {
          literal_ += c;
        } else if (pos_ < text_.size() && text_[pos_] == quote_) {
          literal_ += c;  // the quote written twice
          ++pos_;
        } else {
          CompleteOperand(std::move(literal_));
        }
        return false;

      case State::kOperator:
        if (c == ' ') return false;
        if (c == ')') return Close();
        if (c == ',') {
          if (Top().mode != Mode::kArguments) Fail(kOperatorExpectedText, pos_);
          NextArgument();
        } else if (owner_.OperatorSymbolChars[u]) {
          StartOperatorText(owner_.OperatorSymbolChars);
        } else if (owner_.OperatorWordChars[u]) {
          StartOperatorText(owner_.OperatorWordChars);
        } else {
          Fail(kOperatorExpectedText, pos_ - 1);
        }
        return false;

      case State::kOperatorText:
        if ((*operatorClass_)[u]) return false;
        --pos_;
        EndOperatorText();
        return false;

      case State::kFunctionName:
        if (c == ' ') return false;
        if (c == '(') {
          Open(Mode::kArguments, functionName_);
        } else {
          const TkeFunction& function = ZeroArgumentFunction(functionName_);
          --pos_;
          CompleteOperand(Call(function, nullptr));
        }
        return false;
    }
    return false;
  }

  // The text ended: finish the token in hand, then every open level, as if
  // the missing ")" were there.
  void AtEnd() {
    pos_ = text_.size() + 1;
    switch (state_) {
      case State::kQuoted: Fail(kClosingQuoteExpectedText, pos_);
      case State::kOperand:
      case State::kOperatorText: Fail(kExpressionExpectedText, pos_);
      case State::kToken: {
        // Never empty: the character that starts a token is read again in
        // this state. A word operator standing last is an operand.
        const std::string_view token = text_.substr(tokenStart_);
        if (owner_.FindFunction(token, -1) != nullptr) {
          CompleteOperand(Call(ZeroArgumentFunction(token), nullptr));
        } else {
          CompleteOperand(std::string(token));
        }
        break;
      }
      case State::kFunctionName:  // only after blanks, which trimming removed
        CompleteOperand(Call(ZeroArgumentFunction(functionName_), nullptr));
        break;
      case State::kOperator: break;
    }
    while (levels_.size() > 1) {
      FinishLevel(Top());
      CompleteOperand(CloseNested());
    }
    FinishLevel(Top());
  }

  std::string TakeValue() { return std::move(Top().acc); }

  void StartOperatorText(const CharClass& chars) {
    operatorClass_ = &chars;
    operatorStart_ = pos_ - 1;
    state_ = State::kOperatorText;
  }

  // An unquoted token ended inside the text at `next`, which is not consumed.
  void EndToken(char next) {
    const std::string_view token = text_.substr(tokenStart_, pos_ - tokenStart_);
    if (token.empty()) Fail(kExpressionExpectedText, pos_);
    if (const TkeOperator* op = owner_.FindOperator(token)) {
      if (Top().prefix != nullptr) Fail(kExpressionExpectedText, pos_);
      Top().prefix = op;
      state_ = State::kOperand;
    } else if (owner_.FindFunction(token, -1) != nullptr) {
      functionName_ = token;
      state_ = State::kFunctionName;
    } else if (next == '(') {
      Fail(kUnknownFunctionText, tokenStart_);  // the character before the name
    } else {
      CompleteOperand(std::string(token));
    }
  }

  void EndOperatorText() {
    const std::string_view name = text_.substr(operatorStart_, pos_ - operatorStart_);
    const TkeOperator* op = owner_.FindOperator(name);
    if (op == nullptr) Fail(kUnknownOperatorText, operatorStart_ + 1);
    Level& level = Top();
    if (!level.leftPending) {
      level.prefix = op;  // a later prefix replaces an earlier one
    } else if (level.op1 == nullptr) {
      level.op1 = op;
    } else {
      level.op2 = op;
    }
    state_ = State::kOperand;
  }

  void Open(Mode mode, std::string_view functionName) {
    if (levels_.size() > static_cast<std::size_t>(kMaxExpressionNesting)) {
      Fail(kNestedTooDeeplyText, pos_);
    }
    levels_.emplace_back();
    levels_.back().mode = mode;
    levels_.back().functionName = functionName;
    state_ = State::kOperand;
  }

  // ")" after an operand: true when it ends the whole parse.
  bool Close() {
    FinishLevel(Top());
    if (Top().mode == Mode::kTop) return true;
    CompleteOperand(CloseNested());
    return false;
  }

  // The value of the finished innermost level: the group's value or the
  // result of the function called with the collected arguments.
  std::string CloseNested() {
    Level& level = Top();
    std::string value;
    if (level.mode == Mode::kArguments) {
      level.args.push_back(std::move(level.acc));
      const auto count = static_cast<std::int32_t>(
          level.args.size() > static_cast<std::size_t>(INT32_MAX) ? INT32_MAX : level.args.size());
      const TkeFunction* function = owner_.FindFunction(level.functionName, count);
      if (function == nullptr) Fail(kWrongParameterCountText, pos_);
      value = Call(*function, &level.args);
    } else {
      value = std::move(level.acc);
    }
    levels_.pop_back();
    return value;
  }

  void NextArgument() {
    Level& level = Top();
    FinishLevel(level);
    level.args.push_back(std::move(level.acc));
    level.acc.clear();
    level.leftPending = false;
    state_ = State::kOperand;
  }

  void FinishLevel(Level& level) {
    if (level.op1 == nullptr) return;
    level.acc = Apply(*level.op1, &level.acc, level.r1);
    level.op1 = nullptr;
    level.r1.clear();
  }

  void CompleteOperand(std::string value) {
    if (!owner_.ResolveOperand(value, context_)) Fail(kCannotParseIdentifierText, pos_);
    Level& level = Top();
    if (level.prefix != nullptr) {
      const TkeOperator& prefix = *level.prefix;
      level.prefix = nullptr;
      value = Apply(prefix, nullptr, value);
    }
    if (level.op2 != nullptr) {
      level.r2 = std::move(value);
      if (level.op1->Priority >= level.op2->Priority) {
        level.acc = Apply(*level.op1, &level.acc, level.r1);
        level.op1 = level.op2;
        level.r1 = std::move(level.r2);
      } else {
        level.r1 = Apply(*level.op2, &level.r1, level.r2);
      }
      level.op2 = nullptr;
      level.r2.clear();
    } else if (level.op1 != nullptr) {
      level.r1 = std::move(value);
    } else {
      level.acc = std::move(value);
    }
    level.leftPending = true;
    state_ = State::kOperator;
  }

  // `left` is null for a prefix use.
  std::string Apply(const TkeOperator& op, const std::string* left, const std::string& right) {
    const std::uint8_t use = left == nullptr ? kUnary : kBinary;
    if ((op.Arities & use) == 0) Fail(kWrongArityText, pos_);
    const int arity = left == nullptr ? 0 : 1;
    std::string result;
    if (op.Handler) {
      op.Handler(arity, left, right, result, context_);
    } else {
      owner_.ApplyOperator(op, arity, result, context_, right, left);
    }
    return result;
  }

  const TkeFunction& ZeroArgumentFunction(std::string_view name) const {
    const TkeFunction* function = owner_.FindFunction(name, 0);
    if (function == nullptr) Fail(kFunctionParametersExpectedText, pos_);
    return *function;
  }

  std::string Call(const TkeFunction& function, const FunctionArgs* args) {
    std::string result;
    if (function.Handler) {
      function.Handler(args, context_, result);
    } else {
      owner_.CallFunction(function, args, result, context_);
    }
    return result;
  }

  TkeEvaluator& owner_;
  const std::string_view text_;
  const TcvEvalContext& context_;
  std::size_t pos_ = 0;
  State state_ = State::kOperand;
  std::vector<Level> levels_;
  std::size_t tokenStart_ = 0;     // 0-based start of the unquoted token
  std::size_t operatorStart_ = 0;  // 0-based start of the operator text
  const CharClass* operatorClass_ = nullptr;
  char quote_ = 0;
  std::string literal_;
  std::string_view functionName_;
};

TkeEvaluator::TkeEvaluator()
    : IdentifierChars(CharRange('A', 'Z') | CharRange('a', 'z') | CharRange('0', '9') |
                      CharsOf("_")),
      OperatorSymbolChars(CharsOf("!#$%&*+-/:<=>?@\\^|~")),
      OperatorWordChars(CharRange('A', 'Z') | CharRange('a', 'z')),
      QuoteChars(CharsOf("\"'")) {}

TkeEvaluator::~TkeEvaluator() = default;

std::string TkeEvaluator::Evaluate(std::string_view expression, const TcvEvalContext& context) {
  const std::string_view text = Trim(expression);
  if (text.empty()) return {};
  return Parse(*this, text, context).Run();
}

TkeOperator& TkeEvaluator::AddOperator(std::string name, std::uint8_t arities,
                                       std::int32_t priority, OperatorHandler handler) {
  const std::unique_lock lock(tablesLock_);
  TkeOperator& op = operators_.emplace_back();
  op.Name = std::move(name);
  op.Arities = arities;
  op.Priority = priority;
  op.Handler = std::move(handler);
  op.Index = static_cast<int>(operators_.size() - 1);
  return op;
}

TkeFunction& TkeEvaluator::AddFunction(std::string name, std::int32_t paramCount,
                                       FunctionHandler handler, void* owner) {
  const std::unique_lock lock(tablesLock_);
  TkeFunction& function = functions_.emplace_back();
  function.Name = std::move(name);
  function.ParamCount = paramCount;
  function.Handler = std::move(handler);
  function.Owner = owner;
  function.ID = ++lastFunctionId_;
  return function;
}

const TkeOperator* TkeEvaluator::FindOperator(std::string_view name) const {
  if (name.empty()) return nullptr;
  const std::shared_lock lock(tablesLock_);
  for (const TkeOperator& op : operators_) {
    if (SameTextNoCase(op.Name, name)) return &op;
  }
  return nullptr;
}

const TkeFunction* TkeEvaluator::FindFunction(std::string_view name, std::int32_t count) const {
  if (name.empty()) return nullptr;
  const std::shared_lock lock(tablesLock_);
  for (const TkeFunction& function : functions_) {
    const bool countFits = count == -1 || function.ParamCount == -1 || function.ParamCount == count;
    if (countFits && HasAlias(function.Name, name)) return &function;
  }
  return nullptr;
}

std::size_t TkeEvaluator::OperatorCount() const {
  const std::shared_lock lock(tablesLock_);
  return operators_.size();
}

std::size_t TkeEvaluator::FunctionCount() const {
  const std::shared_lock lock(tablesLock_);
  return functions_.size();
}

bool TkeEvaluator::ResolveOperand(std::string& /*operand*/, const TcvEvalContext& /*context*/) {
  return true;
}

}  // namespace cv
