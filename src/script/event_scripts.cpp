#include "script/event_scripts.h"

#include <atomic>
#include <exception>
#include <memory>
#include <utility>

#include "database/main_database.h"
#include "platform/case_map.h"
#include "platform/numbers.h"
#include "plugins/message_dispatch.h"
#include "script/evaluate_expression.h"
#include "script/silent_abort.h"

namespace cv {

namespace {

std::atomic<std::uint64_t> loopLimit{kDefaultScriptLoopLimit};

std::string Evaluate(const ScriptRun& run, const std::string& expression) {
  return EvaluateExpression(run.Context, run.PluginId, expression, run.Extra, true);
}

// A value that is dropped: an empty expression has nothing to do.
void EvaluateDropped(const ScriptRun& run, const std::string& expression) {
  if (!expression.empty()) (void)Evaluate(run, expression);
}

bool Holds(const ScriptRun& run, const std::string& expression) {
  return EvaluateCondition(run.Context, run.PluginId, expression, run.Extra, true);
}

bool ConditionHolds(const ScriptRun& run, const TcvConditionObjectList& object) {
  return object.Condition.empty() || Holds(run, object.Condition);
}

void CountLoopPass(ScriptRun& run) {
  const std::uint64_t limit = ScriptLoopLimit();
  if (++run.LoopPasses <= limit) return;
  ReportEvaluationError("The script was stopped after " + std::to_string(limit) +
                        " loop passes: a loop that does not end would stop the setup.");
  throw SilentAbort();
}

void ExecuteLoop(const TcvAction& loop, ScriptRun& run, std::string& result, ControlCode& code) {
  EvaluateDropped(run, loop.InitExpression);
  for (;;) {
    if (loop.LoopType == TcvLoopType::ltPreCond && !Holds(run, loop.Expression)) return;
    CountLoopPass(run);
    ExecuteActions(loop, run, result, code);
    if (code == ControlCode::return_) return;
    if (code == ControlCode::break_) {
      code = ControlCode::normal;
      return;
    }
    if (code == ControlCode::continue_) code = ControlCode::normal;
    EvaluateDropped(run, loop.LoopExpression);
    if (loop.LoopType == TcvLoopType::ltPostCond && !Holds(run, loop.Expression)) return;
  }
}

void ExecuteSwitch(const TcvAction& action, ScriptRun& run, std::string& result,
                   ControlCode& code) {
  const std::string value = Evaluate(run, action.Expression);
  for (int i = 0; i < action.Count(); ++i) {
    const auto* branch = action.ItemAs<TcvAction>(i);
    if (!branch) continue;
    // Exact comparison; the cases' own conditions are not consulted.
    if (Evaluate(run, branch->Expression) == value) {
      ExecuteAction(*branch, run, result, code);
      return;
    }
  }
  if (action.IfElse) ExecuteActions(*action.IfElse, run, result, code);
}

}  // namespace

std::uint64_t SetScriptLoopLimit(std::uint64_t limit) {
  return loopLimit.exchange(limit == 0 ? kDefaultScriptLoopLimit : limit);
}

std::uint64_t ScriptLoopLimit() { return loopLimit.load(); }

void ExecuteActions(const TcvActions& actions, ScriptRun& run, std::string& result,
                    ControlCode& code) {
  result.clear();
  code = ControlCode::normal;
  for (int i = 0; i < actions.Count(); ++i) {
    const auto* action = actions.ItemAs<TcvAction>(i);
    if (!action || !ConditionHolds(run, *action)) continue;
    std::string actionResult;
    ExecuteAction(*action, run, actionResult, code);
    if (code == ControlCode::normal) continue;
    if (code == ControlCode::return_) result = std::move(actionResult);
    return;  // break and continue belong to an enclosing loop
  }
}

void ExecuteAction(const TcvAction& action, ScriptRun& run, std::string& result,
                   ControlCode& code) {
  result.clear();
  switch (action.Kind) {
    case ActionKind::action: EvaluateDropped(run, action.Expression); return;
    case ActionKind::return_:
      result = Evaluate(run, action.Expression);
      code = ControlCode::return_;
      return;
    case ActionKind::if_: {
      const TcvActions* branch = Holds(run, action.Expression) ? action.IfThen.get()
                                                               : action.IfElse.get();
      if (branch) ExecuteActions(*branch, run, result, code);
      return;
    }
    case ActionKind::loop: ExecuteLoop(action, run, result, code); return;
    case ActionKind::break_: code = ControlCode::break_; return;
    case ActionKind::continue_: code = ControlCode::continue_; return;
    case ActionKind::switch_: ExecuteSwitch(action, run, result, code); return;
    case ActionKind::case_: ExecuteActions(action, run, result, code); return;
  }
}

std::int32_t RunEvents(const TcvEvents* events, TXMLObject* context, std::int32_t pluginId,
                       bool processAll, TcvEventWhenHandle when, const std::string& name) {
  std::int32_t answer = 0;
  if (!events) return answer;
  // By position, re-checked each time: a script may reload the project.
  for (int i = 0; i < events->Count(); ++i) {
    const TcvEvent* event = events->Event(i);
    if (!event || event->WhenHandle != when || !SameTextNoCase(event->EventID, name)) continue;
    if (!IsEnabled(*event)) continue;
    ScriptRun run{context, pluginId, 0, 0};
    std::string text;
    ControlCode code = ControlCode::normal;
    ExecuteActions(*event, run, text, code);
    answer = StrToIntDef(text, 0);
    if (answer != 0 && !processAll) break;
  }
  return answer;
}

std::string RunActionsText(TXMLObject* context, std::int32_t pluginId, const std::string& xml,
                           std::intptr_t extra) {
  const std::unique_ptr<TcvActions> actions = TcvActions::New();
  try {
    actions->LoadFromString(xml, "actions");
  } catch (const std::exception& error) {
    ReportEvaluationError(error.what());
    throw SilentAbort();
  }
  ScriptRun run{context, pluginId, extra, 0};
  std::string text;
  ControlCode code = ControlCode::normal;
  ExecuteActions(*actions, run, text, code);
  return text;
}

void InstallEventScripts(ScriptContextRoutine contextOf) {
  MessageHandlers handlers = SetMessageHandlers({});
  handlers.Scripts = [contextOf = std::move(contextOf)](std::int32_t sender,
                                                        const std::string& name,
                                                        TcvEventWhenHandle when, bool processAll) {
    TcvMainDatabase* database = MainDatabase();
    if (!database) return std::int32_t{0};
    return RunEvents(database->Events.get(), contextOf ? contextOf(sender) : nullptr, sender,
                     processAll, when, name);
  };
  handlers.ScriptsFor = [](const std::string& name) {
    const TcvMainDatabase* database = MainDatabase();
    const TcvEvents* events = database ? database->Events.get() : nullptr;
    for (int i = 0; events && i < events->Count(); ++i) {
      const TcvEvent* event = events->Event(i);
      if (event && SameTextNoCase(event->EventID, name)) return true;
    }
    return false;
  };
  SetMessageHandlers(std::move(handlers));
}

void RemoveEventScripts() {
  MessageHandlers handlers = SetMessageHandlers({});
  handlers.Scripts = nullptr;
  handlers.ScriptsFor = nullptr;
  SetMessageHandlers(std::move(handlers));
}

}  // namespace cv
