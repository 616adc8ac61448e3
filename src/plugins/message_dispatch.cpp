#include "plugins/message_dispatch.h"

#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "plugins/message_params.h"
#include "plugins/message_state.h"
#include "plugins/message_store.h"

namespace cv {

namespace {

// --- Handlers ---

std::mutex handlersLock;
std::shared_ptr<const MessageHandlers> installedHandlers = std::make_shared<MessageHandlers>();

std::shared_ptr<const MessageHandlers> CurrentHandlers() {
  std::lock_guard lock(handlersLock);
  return installedHandlers;
}

// --- The dispatching thread ---

// Recorded during static initialisation, which runs on the program's first
// thread, the one that later creates the windows.
std::atomic<std::thread::id> dispatchThread{std::this_thread::get_id()};

bool OnDispatchThread() { return std::this_thread::get_id() == dispatchThread.load(); }

// --- Dispatch on this thread ---

// Destroys the in-block when the sender asked for it, on every way out.
class InBlockRelease {
 public:
  InBlockRelease(std::int32_t block, bool release) : block_(release ? block : 0) {}
  ~InBlockRelease() {
    if (block_ != 0) DestroyBlock(block_);
  }
  InBlockRelease(const InBlockRelease&) = delete;
  InBlockRelease& operator=(const InBlockRelease&) = delete;

 private:
  std::int32_t block_;
};

std::int32_t DispatchHere(std::int32_t sender, std::int32_t id, std::int32_t in, bool freeIn,
                          bool processAll, std::int32_t out) {
  const InBlockRelease release(in, freeIn);
  const std::shared_ptr<const MessageHandlers> handlers = CurrentHandlers();
  std::int32_t result = 0;
  if (handlers->Command && handlers->Command(sender, id, in, out, result)) return result;

  const std::string name = MessageName(id);
  const TMessageState state(in, out);
  if (handlers->Scripts) {
    result = handlers->Scripts(sender, name, TcvEventWhenHandle::before_plugins, processAll);
    if (result != 0 && !processAll) return result;
  }
  if (handlers->Plugins) {
    result = handlers->Plugins(sender, id, name, in, out, processAll);
    if (result != 0 && !processAll) return result;
  }
  result = 0;
  if (handlers->Scripts) {
    result = handlers->Scripts(sender, name, TcvEventWhenHandle::after_plugins, processAll);
  }
  return result;
}

std::int32_t SendToPluginHere(void* plugin, std::int32_t id, std::int32_t in, bool freeIn,
                              std::int32_t out) {
  const InBlockRelease release(in, freeIn);
  const std::string name = MessageName(id);
  if (name.empty()) return 0;
  const std::shared_ptr<const MessageHandlers> handlers = CurrentHandlers();
  const TMessageState state(in, out);
  return handlers->Plugin ? handlers->Plugin(plugin, id, name, in, out) : 0;
}

// --- Sends from other threads ---

std::mutex deliveryLock;
CrossThreadDelivery installedDelivery;

// What a waiting sender knows about its request beyond the record: whether it
// is meant for one plug-in, and where a handler's exception goes. It lives on
// the sender's stack while the sender waits.
struct PendingSend {
  bool ToPlugin = false;
  void* Plugin = nullptr;
  std::exception_ptr Error;
};

// The requests whose senders are waiting, by record address. The receiver
// takes its entry out before the record is freed, so a new record at the
// same address never meets a stale entry; a sender whose record was freed
// without reaching RunCrossThreadRequest removes its entry only while it is
// still its own.
std::mutex pendingLock;
std::unordered_map<const CrossThreadRequest*, PendingSend*> pendingSends;

void AddPending(const CrossThreadRequest* request, PendingSend* pending) {
  std::lock_guard lock(pendingLock);
  pendingSends.insert_or_assign(request, pending);
}

void RemovePending(const CrossThreadRequest* request, const PendingSend* pending) {
  std::lock_guard lock(pendingLock);
  auto at = pendingSends.find(request);
  if (at != pendingSends.end() && at->second == pending) pendingSends.erase(at);
}

PendingSend* TakePending(const CrossThreadRequest* request) {
  std::lock_guard lock(pendingLock);
  auto at = pendingSends.find(request);
  if (at == pendingSends.end()) return nullptr;
  PendingSend* pending = at->second;
  pendingSends.erase(at);
  return pending;
}

}  // namespace

std::size_t PendingCrossThreadSends() {
  std::lock_guard lock(pendingLock);
  return pendingSends.size();
}

namespace {

std::int32_t SendAcross(const CrossThreadRequest& fields, PendingSend& pending) {
  CrossThreadDelivery delivery;
  {
    std::lock_guard lock(deliveryLock);
    delivery = installedDelivery;
  }
  if (!delivery) {
    if (fields.FreeInBlock) DestroyBlock(fields.InBlock);
    return 0;
  }
  auto request = std::make_unique<CrossThreadRequest>(fields);
  AddPending(request.get(), &pending);
  std::int32_t result = 0;
  bool handedOver = false;
  try {
    handedOver = delivery(request.get(), result);
  } catch (...) {
    // A routine that raises breaks its contract: whether the receiver got
    // the record is unknown, so it is left alone rather than freed twice.
    RemovePending(request.get(), &pending);
    (void)request.release();
    throw;
  }
  RemovePending(request.get(), &pending);
  if (!handedOver) {
    if (fields.FreeInBlock) DestroyBlock(fields.InBlock);
    return 0;
  }
  (void)request.release();  // the receiver's now
  if (pending.Error) std::rethrow_exception(pending.Error);
  return result;
}

}  // namespace

MessageHandlers SetMessageHandlers(MessageHandlers handlers) {
  auto next = std::make_shared<const MessageHandlers>(std::move(handlers));
  std::lock_guard lock(handlersLock);
  MessageHandlers previous = *installedHandlers;
  installedHandlers = std::move(next);
  return previous;
}

std::int32_t SendMessageById(std::int32_t senderId, std::int32_t messageId, std::int32_t inBlock,
                             bool freeInBlock, bool processAll, std::int32_t outBlock) {
  if (!OnDispatchThread()) {
    PendingSend pending;
    return SendAcross(CrossThreadRequest{senderId, messageId, inBlock, outBlock,
                                         static_cast<std::uint8_t>(processAll ? 1 : 0),
                                         static_cast<std::uint8_t>(freeInBlock ? 1 : 0)},
                      pending);
  }
  return DispatchHere(senderId, messageId, inBlock, freeInBlock, processAll, outBlock);
}

bool EventHasReceivers(std::int32_t messageId) {
  const std::shared_ptr<const MessageHandlers> handlers = CurrentHandlers();
  if (handlers->Plugins && (!handlers->AnyPlugin || handlers->AnyPlugin())) return true;
  return handlers->Scripts && (!handlers->ScriptsFor || handlers->ScriptsFor(MessageName(messageId)));
}

std::int32_t SendMessageByName(const std::string& name, std::int32_t inBlock, std::int32_t outBlock,
                               bool freeInBlock, bool processAll) {
  return SendMessageById(0, RegisterMessage(name), inBlock, freeInBlock, processAll, outBlock);
}

std::int32_t SendToPlugin(void* plugin, std::int32_t messageId, std::int32_t inBlock,
                          bool freeInBlock, std::int32_t outBlock) {
  if (!OnDispatchThread()) {
    PendingSend pending;
    pending.ToPlugin = true;
    pending.Plugin = plugin;
    return SendAcross(CrossThreadRequest{0, messageId, inBlock, outBlock, 0,
                                         static_cast<std::uint8_t>(freeInBlock ? 1 : 0)},
                      pending);
  }
  return SendToPluginHere(plugin, messageId, inBlock, freeInBlock, outBlock);
}

void InitMessaging() { dispatchThread.store(std::this_thread::get_id()); }

std::thread::id DispatchThread() { return dispatchThread.load(); }

void SetDispatchThread(std::thread::id thread) { dispatchThread.store(thread); }

CrossThreadDelivery SetCrossThreadDelivery(CrossThreadDelivery delivery) {
  std::lock_guard lock(deliveryLock);
  return std::exchange(installedDelivery, std::move(delivery));
}

std::int32_t RunCrossThreadRequest(const CrossThreadRequest& request) noexcept {
  PendingSend* pending = TakePending(&request);
  try {
    if (pending && pending->ToPlugin) {
      return SendToPluginHere(pending->Plugin, request.MessageId, request.InBlock,
                              request.FreeInBlock != 0, request.OutBlock);
    }
    return DispatchHere(request.SenderId, request.MessageId, request.InBlock,
                        request.FreeInBlock != 0, request.ProcessAll != 0, request.OutBlock);
  } catch (...) {
    // Nothing may leave through the window procedure: the sender raises it.
    if (pending) pending->Error = std::current_exception();
    return 0;
  }
}

CrossThreadRequest* ClaimCrossThreadRequest(std::uintptr_t address) noexcept {
  std::lock_guard lock(pendingLock);
  for (const auto& [request, pending] : pendingSends) {
    // Records are compared by address only: nothing is read through a value
    // that is not one of them.
    if (reinterpret_cast<std::uintptr_t>(request) == address) {
      return const_cast<CrossThreadRequest*>(request);
    }
  }
  return nullptr;
}

std::int32_t DispatchCrossThreadRequest(CrossThreadRequest* request) noexcept {
  const std::unique_ptr<CrossThreadRequest> owned(request);
  return owned ? RunCrossThreadRequest(*owned) : 0;
}

}  // namespace cv
