// cvbuild: turns an authoring project into a setup file and package files.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "authoring_commands.h"
#include "build_error.h"
#include "builder.h"
#include "command_line.h"

int main(int argc, char** argv) {
  using namespace cv::build;
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (IsAuthoringCommand(arguments)) return RunAuthoringCommand(arguments, stdout, stderr);
  CommandLine command;
  try {
    command = ParseCommandLine(arguments, std::getenv("SOURCE_DATE_EPOCH"));
  } catch (const BuildError& error) {
    std::fprintf(stderr, "cvbuild: %s\nTry 'cvbuild --help'.\n", error.what());
    return kExitUsage;
  }
  if (command.Help) {
    std::fputs(HelpText().c_str(), stdout);
    return kExitOk;
  }
  if (command.Version) {
    std::puts("cvbuild 1.0");
    return kExitOk;
  }
  return RunBuild(command, stderr);
}
