#include "script/evaluate_expression.h"

#include <exception>
#include <mutex>

#include "database/model_hooks.h"
#include "script/cv_evaluator.h"
#include "script/references.h"
#include "script/silent_abort.h"

namespace cv {

namespace {

std::mutex reporterMutex;
EvaluationErrorReporter reporter;

}  // namespace

void ReportEvaluationError(const std::string& message) {
  EvaluationErrorReporter current;
  {
    const std::lock_guard lock(reporterMutex);
    current = reporter;
  }
  if (current) {
    current(message);
  } else {
    ShowEvaluationError(message);
  }
}

std::string EvaluateExpression(TXMLObject* database, std::int32_t pluginId,
                               const std::string& expression, std::intptr_t extra,
                               bool expandReferences) {
  try {
    return TheEvaluator().EvaluateFor(database, pluginId, static_cast<std::int32_t>(extra),
                                      expandReferences, expression);
  } catch (const SilentAbort&) {
    throw;  // already shown where it began
  } catch (const std::exception& error) {
    ReportEvaluationError(error.what());
  } catch (...) {
    ReportEvaluationError("Unknown error");
  }
  throw SilentAbort();
}

bool EvaluateCondition(TXMLObject* database, std::int32_t pluginId, const std::string& expression,
                       std::intptr_t extra, bool expandReferences) {
  const std::string value =
      EvaluateExpression(database, pluginId, expression, extra, expandReferences);
  return !value.empty() && value.front() == '1';
}

void SetEvaluationErrorReporter(EvaluationErrorReporter newReporter) {
  const std::lock_guard lock(reporterMutex);
  reporter = std::move(newReporter);
}

void InstallEvaluatorHooks() {
  ExpressionHook = EvaluateExpression;
  ConditionHook = EvaluateCondition;
  InstallReferenceHooks();
}

}  // namespace cv
