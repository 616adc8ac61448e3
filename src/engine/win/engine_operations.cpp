#include "engine/win/engine_operations.h"

#include "database/model_hooks.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"

namespace cv {

void EngineOperations::EnableConditionEvaluation() { SetConditionEvaluation(true); }

std::int32_t EngineOperations::SendEvent(EngineEvent event, const std::vector<MessageValue>& in) {
  const std::int32_t block = NewParamsBlock(std::span<const MessageParamValue>(in));
  return SendMessageById(0, static_cast<std::int32_t>(event), block, true, false, 0);
}

std::int32_t EngineOperations::DispatchCrossThread(const CrossThreadRequest& request) {
  return RunCrossThreadRequest(request);
}

}  // namespace cv
