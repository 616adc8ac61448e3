#include "database/model_hooks.h"

#include <atomic>

namespace cv {

ExpressionRoutine ExpressionHook = nullptr;
ConditionRoutine ConditionHook = nullptr;
NamedTextRoutine LanguageStringHook = nullptr;
NamedTextRoutine VariableTextHook = nullptr;

namespace {
// Read by the worker threads of the installation run as well.
std::atomic<bool> conditionEvaluation{false};
}  // namespace

void SetConditionEvaluation(bool on) { conditionEvaluation.store(on); }
bool ConditionEvaluationOn() { return conditionEvaluation.load(); }

}  // namespace cv
