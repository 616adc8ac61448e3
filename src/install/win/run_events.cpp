#include "install/win/run_events.h"

#include "plugins/message_dispatch.h"

namespace cv {

std::int32_t SendRunEvent(std::int32_t id, std::initializer_list<MessageParamValue> values) {
  return SendMessageById(0, id, NewParamsBlock(values), true, false, 0);
}

std::int32_t SendRunEvent(std::int32_t id, const std::vector<MessageParamValue>& values) {
  return SendMessageById(0, id, NewParamsBlock(values), true, false, 0);
}

}  // namespace cv
