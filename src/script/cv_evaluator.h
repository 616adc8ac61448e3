#pragma once
// The project's expression language on top of the generic evaluator: the
// sixteen operators, numbers as text, references expanded in every operand,
// the built-in functions, and functions that plug-ins add at run time.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "script/eval_context.h"
#include "script/ke_evaluator.h"

namespace cv {

class TcvEvaluator : public TkeEvaluator {
 public:
  // Registers the operators and the built-in functions.
  TcvEvaluator();

  // `expression` with its line breaks removed (not turned into blanks),
  // evaluated for that database and plug-in.
  std::string EvaluateFor(TXMLObject* database, std::int32_t pluginId, std::int32_t extra,
                          bool expandReferences, std::string_view expression);

  // Adds a function that its plug-in computes, unless one of that name
  // already takes that many arguments. Its serial number, or 0.
  std::int32_t RegisterPluginFunction(void* owner, const std::string& name, std::int32_t paramCount);

  // How a plug-in's function is computed: the plug-in host asks the plug-in
  // that registered it. Without a routine such functions give "".
  using PluginFunctionRoutine =
      std::function<std::string(const TkeFunction& function, const FunctionArgs* args,
                                const TcvEvalContext& context)>;
  void SetPluginFunctionRoutine(PluginFunctionRoutine routine);

 protected:
  bool ResolveOperand(std::string& operand, const TcvEvalContext& context) override;
  void ApplyOperator(const TkeOperator& op, int arity, std::string& result,
                     const TcvEvalContext& context, const std::string& right,
                     const std::string* left) override;
  void CallFunction(const TkeFunction& function, const FunctionArgs* args, std::string& result,
                    const TcvEvalContext& context) override;

 private:
  PluginFunctionRoutine pluginFunctions_;
};

// The process's evaluator, made on first use.
TcvEvaluator& TheEvaluator();

}  // namespace cv
