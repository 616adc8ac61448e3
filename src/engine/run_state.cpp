#include "engine/run_state.h"

namespace cv {

RunState& Run() {
  static RunState state;
  return state;
}

}  // namespace cv
