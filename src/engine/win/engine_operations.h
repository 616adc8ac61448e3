#pragma once
// The operations of the main flow as far as the engine has them: messages to
// plug-ins and event scripts, sends handed over from other threads, and the
// switch for condition evaluation. The rest still answers through
// NotBuiltOperations.

#include "engine/win/not_built_operations.h"

namespace cv {

class EngineOperations : public NotBuiltOperations {
 public:
  void EnableConditionEvaluation() override;
  // The values become the in-block, which is freed after the dispatch.
  std::int32_t SendEvent(EngineEvent event, const std::vector<MessageValue>& in) override;
  std::int32_t DispatchCrossThread(const CrossThreadRequest& request) override;
};

}  // namespace cv
