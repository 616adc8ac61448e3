#pragma once
// Raised after an expression error has already been shown to the user: it
// ends the run without a second message.

#include "platform/error.h"

namespace cv {

class SilentAbort : public Error {
 public:
  SilentAbort() : Error("Operation aborted") {}
};

}  // namespace cv
