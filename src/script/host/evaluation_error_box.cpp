#include <cstdio>

#include "script/evaluate_expression.h"

namespace cv {

// No message boxes here: the text goes to the error stream.
void ShowEvaluationError(const std::string& message) {
  std::fprintf(stderr, "Expression evaluation error: %s\n", message.c_str());
}

}  // namespace cv
