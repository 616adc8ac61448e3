#pragma once
// The engine's EV_ messages as the installation steps send them: dispatched
// on the spot with the engine as sender, after the run's journal has taken
// the actions recorded so far; the answer is what the handlers, scripts and
// plug-ins said (zero: go on).

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "plugins/message_params.h"

namespace cv {

std::int32_t SendRunEvent(std::int32_t id, std::initializer_list<MessageParamValue> values);
std::int32_t SendRunEvent(std::int32_t id, const std::vector<MessageParamValue>& values);

}  // namespace cv
