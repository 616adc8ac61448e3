#pragma once
// Delivering a message to the engine's command handler, the project's event
// scripts and the loaded plug-ins.
//
// All handlers run on one thread, the dispatching (user-interface) thread. A
// send from any other thread is handed to that thread and waits there for the
// answer (see "Sends from other threads" below).
//
// Order of one dispatch:
//  1. the command handler (the engine's CM_ commands); when it handles the id
//     its result is the answer and nothing else sees the message;
//  2. otherwise, with a TMessageState in place (event variables set, blocks
//     created from here on released afterwards): the event scripts to run
//     before plug-ins, the plug-ins except the sender, the event scripts to
//     run after plug-ins. Without process-all the first of these steps that
//     answers non-zero ends the dispatch with that answer; with process-all
//     every step runs and the answer is that of the last step;
//  3. with the free-in-block flag, the in-block is destroyed.
// The state is restored and the in-block freed on every way out; an
// exception from a handler then passes on to the sender.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "database/project_enums.h"
#include "plugins/cross_thread_request.h"

namespace cv {

// The parties a message reaches, installed by the subsystems that provide
// them. A handler that is not set answers 0.
struct MessageHandlers {
  // The engine's command handler. Sets `result` and answers true when it
  // handled the id.
  std::function<bool(std::int32_t sender, std::int32_t id, std::int32_t in, std::int32_t out,
                     std::int32_t& result)>
      Command;
  // Runs the event scripts for message `name` registered with `when`; the
  // sender chooses the scripts' context (its package, or the first package
  // for the engine). Without process-all it stops at the first script that
  // answers non-zero and answers that; otherwise it answers the last one's.
  std::function<std::int32_t(std::int32_t sender, const std::string& name, TcvEventWhenHandle when,
                             bool processAll)>
      Scripts;
  // Sends the message to every loaded plug-in in load order except the one
  // whose id is `sender`. Without process-all it stops at the first non-zero
  // answer and answers that; with process-all every plug-in is called.
  std::function<std::int32_t(std::int32_t sender, std::int32_t id, const std::string& name,
                             std::int32_t in, std::int32_t out, bool processAll)>
      Plugins;
  // Sends the message to one plug-in (SendToPlugin), given as the plug-in
  // host's own object.
  std::function<std::int32_t(void* plugin, std::int32_t id, const std::string& name,
                             std::int32_t in, std::int32_t out)>
      Plugin;
  // Whether a script is registered for message `name`; without it, Scripts
  // counts as listening to every message.
  std::function<bool(const std::string& name)> ScriptsFor;
  // Whether any plug-in is loaded; without it, Plugins counts as listening.
  std::function<bool()> AnyPlugin;
};

// Installs the handlers for every later dispatch and answers the previous
// ones (so that a caller can put them back). A dispatch already running keeps
// the handlers it started with.
MessageHandlers SetMessageHandlers(MessageHandlers handlers);

// Sends a message; the sender is 0 for the engine and scripts, else the
// sending plug-in's id. The answer is 0 when nobody handled it.
std::int32_t SendMessageById(std::int32_t senderId, std::int32_t messageId, std::int32_t inBlock,
                             bool freeInBlock, bool processAll, std::int32_t outBlock);
// Whether an event message (not a command) would reach a script or a plug-in.
// The installation sends several per file, many of them from its worker
// thread; with nobody to receive one, its answer is 0 and the trip to the
// dispatching thread and back can be saved.
bool EventHasReceivers(std::int32_t messageId);
// RegisterMessage(name), then SendMessageById with sender 0.
std::int32_t SendMessageByName(const std::string& name, std::int32_t inBlock, std::int32_t outBlock,
                               bool freeInBlock, bool processAll);
// Delivers a message to one plug-in only, with the same state around the
// call as a dispatch. An id without a name calls nothing and answers 0. With
// the free flag the in-block is destroyed in every case, exceptions
// included.
std::int32_t SendToPlugin(void* plugin, std::int32_t messageId, std::int32_t inBlock,
                          bool freeInBlock, std::int32_t outBlock);

// --- The dispatching thread ---

// Makes the calling thread the dispatching thread. Without a call, the thread
// that initialised the program (the one running static initialisation) is.
void InitMessaging();
std::thread::id DispatchThread();
// For tests: another dispatching thread (put the previous one back after).
void SetDispatchThread(std::thread::id thread);

// For tests: sends from other threads whose request is still out, waiting for
// the dispatching thread to run it.
std::size_t PendingCrossThreadSends();

// --- Sends from other threads ---
//
// A send from another thread is packed into a CrossThreadRequest allocated
// with new and handed to the installed delivery routine, which must bring it
// synchronously to the dispatching thread, where it is passed to
// RunCrossThreadRequest (or DispatchCrossThreadRequest). The sender waits;
// the handlers' answer becomes its answer, and an exception raised by a
// handler is raised again in the sender's thread after the dispatching
// thread restored its state. SendToPlugin travels the same way.
//
// Without an installed routine a send from another thread calls no handler:
// it answers 0 (and destroys the in-block when asked to), since running
// plug-ins and scripts on the wrong thread is never safe.

// Answers true when it handed the request over: the receiving side then owns
// and frees it, and `result` holds the answer. False when it could not (no
// window): the sender still owns the request. It must not throw.
using CrossThreadDelivery = std::function<bool(CrossThreadRequest* request, std::int32_t& result)>;

// Installs the routine and answers the previous one.
CrossThreadDelivery SetCrossThreadDelivery(CrossThreadDelivery delivery);

// The receiving side, on the dispatching thread: runs the dispatch the
// request describes on the calling thread and answers its result. Never
// raises: an exception from a handler is handed to the waiting sender (or,
// for a request that no sender of this module is waiting for, dropped) and
// the answer is 0. This one leaves freeing the record to the caller.
std::int32_t RunCrossThreadRequest(const CrossThreadRequest& request) noexcept;
// The same, then frees the record (null answers 0).
std::int32_t DispatchCrossThreadRequest(CrossThreadRequest* request) noexcept;
// For a window that receives requests by address: the record at `address`
// when a sender of this module handed it over and waits for it, else null.
// Only such records may be run and freed; any other value (a stray or forged
// message from another program) is not even read.
CrossThreadRequest* ClaimCrossThreadRequest(std::uintptr_t address) noexcept;

}  // namespace cv
