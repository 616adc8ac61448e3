#include "plugins/win/window_delivery.h"

namespace cv {

CrossThreadDelivery InstallWindowDelivery(HWND window) {
  if (!window) return SetCrossThreadDelivery({});
  return SetCrossThreadDelivery([window](CrossThreadRequest* request, std::int32_t& result) {
    if (!IsWindow(window)) return false;
    // The window procedure frees the request; the answer is a 32-bit value.
    const LRESULT answer =
        SendMessageA(window, kCrossThreadMessage, reinterpret_cast<WPARAM>(request), 0);
    result = static_cast<std::int32_t>(answer);
    return true;
  });
}

LRESULT AnswerCrossThreadMessage(WPARAM wParam) {
  // A message that carries no awaited request is ignored: another program
  // can post this message id too.
  return DispatchCrossThreadRequest(ClaimCrossThreadRequest(wParam));
}

}  // namespace cv
