#include "platform/win/message_box.h"
#include "script/evaluate_expression.h"

namespace cv {

void ShowEvaluationError(const std::string& message) {
  ShowErrorBox("Expression evaluation error", message);
}

}  // namespace cv
