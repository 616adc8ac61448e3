#include "engine/abort_run.h"

#include "engine/run_state.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_store.h"

namespace cv {

void AbortRun() {
  Run().Cancelled = true;
  SendMessageById(0, EV_ABORTINSTALL, 0, false, true, 0);
}

}  // namespace cv
