#pragma once
// The engine-wide entry to the expression language. An error in an
// expression is shown to the user once, in a box titled "Expression
// evaluation error", and then ends the operation that asked for the value
// with a silent abort.

#include <cstdint>
#include <functional>
#include <string>

namespace cv {

class TXMLObject;

// `database` null: the main database. Raises SilentAbort after reporting any
// error of the evaluation.
std::string EvaluateExpression(TXMLObject* database, std::int32_t pluginId,
                               const std::string& expression, std::intptr_t extra,
                               bool expandReferences);
// True when the value begins with "1".
bool EvaluateCondition(TXMLObject* database, std::int32_t pluginId, const std::string& expression,
                       std::intptr_t extra, bool expandReferences);

// Where an evaluation error is shown; by default the engine's error box (a
// line on the error stream in the native Linux build). Tests install their
// own; an empty routine restores the default.
using EvaluationErrorReporter = std::function<void(const std::string& message)>;
void SetEvaluationErrorReporter(EvaluationErrorReporter reporter);

// Shows a message as an evaluation error is shown (the installed reporter,
// else the platform's box); for failures of a script that are not in one
// expression.
void ReportEvaluationError(const std::string& message);

// The platform's way of showing an evaluation error.
void ShowEvaluationError(const std::string& message);

// Installs the evaluator, the reference expander and the language strings as
// the project model's hooks.
void InstallEvaluatorHooks();

}  // namespace cv
