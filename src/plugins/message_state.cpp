#include "plugins/message_state.h"

#include "database/main_database.h"
#include "plugins/message_params.h"

namespace cv {

namespace {

// The database's own variable of that name. Its condition is not asked: the
// two event variables are the engine's, and evaluating a condition here
// would run the evaluator in the middle of every dispatch.
TcvVariable* EventVariable(TcvMainDatabase* database, std::string_view name) {
  if (!database || !database->Variables) return nullptr;
  for (const auto& item : *database->Variables) {
    auto* variable = dynamic_cast<TcvVariable*>(item.get());
    if (variable && SameTextNoCase(variable->Name, name)) return variable;
  }
  return nullptr;
}

}  // namespace

TMessageState::TMessageState(std::int32_t inBlock, std::int32_t outBlock)
    : mark_(LastBlockId()), database_(MainDatabase()) {
  if (TcvVariable* params = EventVariable(database_, kEventParamsVariable)) {
    savedParams_ = params->Value;
    hadParams_ = true;
    params->Value = std::to_string(inBlock);
  }
  if (TcvVariable* result = EventVariable(database_, kEventResultVariable)) {
    savedResult_ = result->Value;
    hadResult_ = true;
    result->Value = std::to_string(outBlock);
  }
}

TMessageState::~TMessageState() {
  ReleaseBlocksAfter(mark_);
  if (!database_ || MainDatabase() != database_) return;
  // Moving the saved texts back allocates nothing, so this cannot throw.
  if (hadParams_) {
    if (TcvVariable* params = EventVariable(database_, kEventParamsVariable)) {
      params->Value = std::move(savedParams_);
    }
  }
  if (hadResult_) {
    if (TcvVariable* result = EventVariable(database_, kEventResultVariable)) {
      result->Value = std::move(savedResult_);
    }
  }
}

}  // namespace cv
