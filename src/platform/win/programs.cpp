#include "platform/win/programs.h"

namespace cv {

std::atomic<bool>& StopWaitingForPrograms() {
  static std::atomic<bool> flag{false};
  return flag;
}

}  // namespace cv
