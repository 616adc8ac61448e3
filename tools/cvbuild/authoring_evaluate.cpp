// `cvbuild eval` and `cvbuild expand`: the project loaded as the engine's
// main database, with condition evaluation on and the evaluator installed,
// as the engine has it before the first installation step.

#include <exception>

#include "authoring_commands.h"
#include "authoring_options.h"
#include "build_error.h"
#include "command_line.h"
#include "database/model_hooks.h"
#include "database/variable_access.h"
#include "project.h"
#include "script/cv_evaluator.h"
#include "script/evaluate_expression.h"
#include "script/references.h"
#include "script/silent_abort.h"

namespace cv::build {

namespace {

void PrintResult(const AuthoringOptions& options, std::FILE* out, const std::string& input,
                 const std::string* value, const std::string& error) {
  if (options.Json) {
    std::string json = "{\"input\":" + JsonString(input) + ",\"ok\":" + (value ? "true" : "false");
    json += value ? ",\"value\":" + JsonString(*value) : ",\"error\":" + JsonString(error);
    if (value && options.Command == "eval") {
      json += std::string(",\"true\":") + (!value->empty() && value->front() == '1' ? "true" : "false");
    }
    std::fputs((json + "}\n").c_str(), out);
  } else if (value) {
    std::fprintf(out, "%s\n", value->c_str());
  }
}

}  // namespace

int RunEvaluate(const AuthoringOptions& options, std::FILE* out, std::FILE* messages) {
  std::unique_ptr<Project> project;
  try {
    project = Project::Load(options.Positional[0]);
  } catch (const BuildError& error) {
    std::fprintf(messages, "cvbuild: %s\n", error.what());
    return kExitInput;
  }
  TcvMainDatabase& database = project->Database();
  SetMainDatabase(&database);
  InstallEvaluatorHooks();
  SetConditionEvaluation(true);
  std::string reported;
  SetEvaluationErrorReporter([&](const std::string& message) { reported = message; });
  const std::string& input = options.Positional[1];
  std::string value;
  std::string error;
  try {
    for (const auto& [name, text] : options.Variables) SetVar(&database, name, text);
    if (options.Command == "eval") {
      value = TheEvaluator().EvaluateFor(&database, 0, 0, true, input);
    } else {
      value = ExpandReferences(&database, 0, input, true, true, false);
    }
  } catch (const TkeEvaluatorError& failure) {
    error = failure.what();
  } catch (const SilentAbort&) {
    error = reported.empty() ? "the evaluation was aborted" : reported;
  } catch (const std::exception& failure) {
    error = failure.what();
  }
  SetEvaluationErrorReporter({});
  SetConditionEvaluation(false);
  SetMainDatabase(nullptr);
  if (!error.empty()) {
    PrintResult(options, out, input, nullptr, error);
    std::fprintf(messages, "cvbuild %s: %s\n", options.Command.c_str(), error.c_str());
    return kExitInput;
  }
  PrintResult(options, out, input, &value, error);
  return kExitOk;
}

}  // namespace cv::build
