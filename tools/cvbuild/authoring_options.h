#pragma once
// The parsed command line of an authoring sub-command.

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace cv::build {

struct AuthoringOptions {
  std::string Command;                 // check, eval, expand or explain
  std::vector<std::string> Positional;  // the project or setup file, then the text
  bool Json = false;
  bool Strict = false;
  std::vector<std::pair<std::string, std::string>> Variables;  // --var NAME=VALUE, in order
  std::string Password;
};

// `eval PROJECT EXPRESSION` and `expand PROJECT TEXT`.
int RunEvaluate(const AuthoringOptions& options, std::FILE* out, std::FILE* messages);
// `explain SETUPFILE`.
int RunExplain(const AuthoringOptions& options, std::FILE* out, std::FILE* messages);

}  // namespace cv::build
