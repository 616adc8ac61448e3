#pragma once
// The routines through which the project model reaches the expression
// evaluator, the reference expander and the language tables. They live
// elsewhere and are installed once at start-up, so the model does not depend
// on them; until then conditions hold and texts are taken as stored.

#include <cstdint>
#include <string>

namespace cv {

class TXMLObject;

// `database` is the main database or a package; null stands for the main
// database. `pluginId` is 0 for the engine itself.
using ExpressionRoutine = std::string (*)(TXMLObject* database, std::int32_t pluginId,
                                          const std::string& expression, std::intptr_t extra,
                                          bool expandReferences);
using ConditionRoutine = bool (*)(TXMLObject* database, std::int32_t pluginId,
                                  const std::string& expression, std::intptr_t extra,
                                  bool expandReferences);
// A language string, or a variable's text with its references resolved;
// `defaultValue` when there is none.
using NamedTextRoutine = std::string (*)(TXMLObject* database, std::int32_t pluginId,
                                         const std::string& name, const std::string& defaultValue);

extern ExpressionRoutine ExpressionHook;
extern ConditionRoutine ConditionHook;
extern NamedTextRoutine LanguageStringHook;
extern NamedTextRoutine VariableTextHook;

// Conditions count as true until the main flow switches their evaluation on:
// the predefined variables and the databases must be complete first.
void SetConditionEvaluation(bool on);
bool ConditionEvaluationOn();

}  // namespace cv
