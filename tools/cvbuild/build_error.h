#pragma once
// Errors of a build. The kind decides the tool's exit code: a mistake on the
// command line, a fault in what the build reads (the project document and the
// files it names), or a failure to write the results.

#include <stdexcept>
#include <string>

namespace cv::build {

enum class BuildErrorKind { Usage, Input, Output };

class BuildError : public std::runtime_error {
 public:
  BuildError(BuildErrorKind kind, const std::string& message)
      : std::runtime_error(message), kind_(kind) {}
  BuildErrorKind Kind() const { return kind_; }

 private:
  BuildErrorKind kind_;
};

[[noreturn]] inline void ThrowInput(const std::string& message) {
  throw BuildError(BuildErrorKind::Input, message);
}
[[noreturn]] inline void ThrowOutput(const std::string& message) {
  throw BuildError(BuildErrorKind::Output, message);
}

}  // namespace cv::build
