#pragma once
// Running the project's event scripts: the events that answer a message, and
// free-standing action lists that plug-ins hand in as XML.
//
// Every expression runs through EvaluateExpression, so an error in a script
// is shown once and ends the run (and the dispatch around it) with
// SilentAbort. A script is the project author's code running on the user's
// machine: the loop passes of one run are counted, and a run that exceeds
// the limit is reported like an expression error and ended the same way
// instead of hanging the setup without a word.

#include <cstdint>
#include <functional>
#include <string>

#include "database/event_actions.h"

namespace cv {

class TXMLObject;

// What one run of actions shares: where its expressions run, the result text
// of the last "return" and the control code that travels up the lists.
enum class ControlCode : std::uint8_t { normal = 0, return_ = 1, break_ = 2, continue_ = 3 };

struct ScriptRun {
  TXMLObject* Context = nullptr;  // the database the expressions see; null: the main one
  std::int32_t PluginId = 0;
  std::intptr_t Extra = 0;
  std::uint64_t LoopPasses = 0;  // counted against ScriptLoopLimit()
};

// Clears `result` and `code`, then executes each action whose condition
// holds until one leaves a control code: with "return" the list's result is
// that action's result; break and continue are left for an enclosing loop.
void ExecuteActions(const TcvActions& actions, ScriptRun& run, std::string& result,
                    ControlCode& code);
// One action by its kind (its result starts empty).
void ExecuteAction(const TcvAction& action, ScriptRun& run, std::string& result, ControlCode& code);

// Runs the events of `events` (may be null) registered for message `name`
// (ignoring case) with `when` whose condition holds, in list order. An
// event's answer is its return text read as an integer (0 when it is none).
// Without process-all the first non-zero answer ends the loop; the answer is
// that of the last event run, or 0.
std::int32_t RunEvents(const TcvEvents* events, TXMLObject* context, std::int32_t pluginId,
                       bool processAll, TcvEventWhenHandle when, const std::string& name);

// Reads `xml` as an element "actions", executes it and answers the text of
// its "return" (empty without one). Text that is no such element is reported
// like an expression error and raises SilentAbort.
std::string RunActionsText(TXMLObject* context, std::int32_t pluginId, const std::string& xml,
                           std::intptr_t extra);

// The most loop passes one run may make (one event, or one action text);
// answers the previous limit. 0 restores the default.
std::uint64_t SetScriptLoopLimit(std::uint64_t limit);
std::uint64_t ScriptLoopLimit();
inline constexpr std::uint64_t kDefaultScriptLoopLimit = 10'000'000;

// Installs the main database's events as the dispatcher's scripts, before
// and after the plug-ins, leaving the other handlers as they are. The
// routine gives the context for a sender (its package; the engine's is the
// first package).
using ScriptContextRoutine = std::function<TXMLObject*(std::int32_t sender)>;
void InstallEventScripts(ScriptContextRoutine contextOf);
// Takes them out of the dispatcher again.
void RemoveEventScripts();

}  // namespace cv
