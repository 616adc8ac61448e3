#pragma once
// Sends from other threads delivered through a window: the request goes by
// pointer, with kCrossThreadMessage, to a window of the dispatching thread,
// whose procedure answers it with AnswerCrossThreadMessage (or passes the
// record to RunCrossThreadRequest and frees it itself).

#include <windows.h>

#include "plugins/message_dispatch.h"

namespace cv {

// Installs the delivery that sends each request synchronously to `window`
// and answers the previous routine. A window that no longer exists takes
// nothing: the sender then answers 0 without running any handler. Null
// removes the delivery.
CrossThreadDelivery InstallWindowDelivery(HWND window);

// For the window procedure: runs the request whose pointer came as wParam on
// the window's thread, frees it and answers the result; 0, touching nothing,
// when wParam is no request a sender of this process waits for.
LRESULT AnswerCrossThreadMessage(WPARAM wParam);

}  // namespace cv
