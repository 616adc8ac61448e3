#pragma once
// The authoring sub-commands of cvbuild: check, eval, expand and explain.

#include <cstdio>
#include <string>
#include <vector>

namespace cv::build {

// Whether the first argument names a sub-command.
bool IsAuthoringCommand(const std::vector<std::string>& arguments);

// Runs the sub-command; answers the exit code. Results go to `out`,
// usage errors to `messages`.
int RunAuthoringCommand(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* messages);

// Escapes `text` as a JSON string, quotes included.
std::string JsonString(const std::string& text);

}  // namespace cv::build
