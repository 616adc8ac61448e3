#pragma once
// Raised after an expression error has already been shown to the user: it
// ends the run without a second message.

#include <stdexcept>

namespace cv {

class SilentAbort : public std::runtime_error {
 public:
  SilentAbort() : std::runtime_error("Operation aborted") {}
};

}  // namespace cv
