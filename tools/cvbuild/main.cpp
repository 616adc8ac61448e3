// cvbuild: turns an authoring project into a setup file and package files,
// and checks, tries and explains them (the authoring sub-commands).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "authoring_commands.h"
#include "build_error.h"
#include "builder.h"
#include "command_line.h"
#include "project_check.h"

namespace {

constexpr const char kAuthoringHelp[] =
    "\nAuthoring sub-commands:\n"
    "  cvbuild check [--strict] [--json] PROJECT\n"
    "  cvbuild eval [--var NAME=VALUE]... [--json] PROJECT EXPRESSION\n"
    "  cvbuild expand [--var NAME=VALUE]... [--json] PROJECT TEXT\n"
    "  cvbuild explain [--password TEXT] [--json] SETUPFILE\n"
    "A build checks the project first and refuses one with errors; --no-check skips that.\n";

// The project's errors on `messages`; false when it has any.
bool ProjectPassesCheck(const std::string& projectPath, std::FILE* messages) {
  const cv::build::CheckReport report = cv::build::CheckProject(projectPath);
  for (const cv::build::Diagnostic& diagnostic : report.Diagnostics) {
    std::fprintf(messages, "%s\n", cv::build::FormatDiagnostic(diagnostic).c_str());
  }
  if (report.Errors() == 0) return true;
  std::fprintf(messages, "cvbuild: error: the project has %d error(s); nothing was written (--no-check builds anyway)\n",
               report.Errors());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace cv::build;
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (IsAuthoringCommand(arguments)) return RunAuthoringCommand(arguments, stdout, stderr);
  const auto noCheck = std::find(arguments.begin(), arguments.end(), "--no-check");
  const bool check = noCheck == arguments.end();
  if (!check) arguments.erase(noCheck);
  CommandLine command;
  try {
    command = ParseCommandLine(arguments, std::getenv("SOURCE_DATE_EPOCH"));
  } catch (const BuildError& error) {
    std::fprintf(stderr, "cvbuild: %s\nTry 'cvbuild --help'.\n", error.what());
    return kExitUsage;
  }
  if (command.Help) {
    std::fputs(HelpText().c_str(), stdout);
    std::fputs(kAuthoringHelp, stdout);
    return kExitOk;
  }
  if (command.Version) {
    std::puts("cvbuild 1.0");
    return kExitOk;
  }
  if (check && !ProjectPassesCheck(command.Build.ProjectPath, stderr)) return kExitInput;
  return RunBuild(command, stderr);
}
