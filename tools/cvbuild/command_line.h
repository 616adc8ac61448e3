#pragma once
// The command line of cvbuild and its exit codes.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "builder.h"

namespace cv::build {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 2;   // the command line is wrong
inline constexpr int kExitInput = 3;   // the project or a file it names is missing or wrong
inline constexpr int kExitOutput = 4;  // an output file cannot be written
inline constexpr int kExitInternal = 5;

enum class ProgressMode { Auto, Always, Never };

struct CommandLine {
  bool Help = false;
  bool Version = false;
  BuildOptions Build;
  ProgressMode Progress = ProgressMode::Auto;
};

// Throws BuildError (usage). `sourceDateEpoch` is the environment's
// SOURCE_DATE_EPOCH (null when unset): a fixed time unless --timestamp is given.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments,
                             const char* sourceDateEpoch);

std::string HelpText();

// Runs the build, reporting warnings, progress and errors on `messages`;
// answers the exit code.
int RunBuild(const CommandLine& command, std::FILE* messages);

// Data cabinets from this size on show their progress in Auto mode.
inline constexpr std::uint64_t kProgressThreshold = std::uint64_t{16} << 20;

}  // namespace cv::build
