#include "install/win/run_events.h"

#include "install/win/action_list.h"
#include "install/win/run_journal.h"
#include "plugins/message_dispatch.h"

namespace cv {

std::int32_t SendRunEvent(std::int32_t id, std::initializer_list<MessageParamValue> values) {
  return SendRunEvent(id, std::vector<MessageParamValue>(values));
}

std::int32_t SendRunEvent(std::int32_t id, const std::vector<MessageParamValue>& values) {
  // Between items the action list is whole; a handler may take its time (or
  // the process may die in it), so what is done so far goes on record first.
  CurrentRunJournal().Record(ActionList());
  if (!EventHasReceivers(id)) return 0;
  return SendMessageById(0, id, NewParamsBlock(values), true, false, 0);
}

}  // namespace cv
