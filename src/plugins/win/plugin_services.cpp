#include "plugins/win/plugin_services.h"

#include <string>

#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"
#include "plugins/win/plugin_host.h"

namespace cv {

namespace {

// The first exception caught while a plug-in runs wins: it is what ended the
// request the plug-in made, and is raised again when the plug-in returns.
thread_local std::exception_ptr pendingException;

template <typename Result, typename Action>
Result Guarded(Result fallback, Action action) noexcept {
  try {
    return action();
  } catch (...) {
    if (!pendingException) pendingException = std::current_exception();
    return fallback;
  }
}

template <typename Action>
void GuardedVoid(Action action) noexcept {
  Guarded(0, [&] {
    action();
    return 0;
  });
}

std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

// Flags arrive as 32-bit values, but plug-ins written with one-byte Booleans
// leave the upper bytes undefined: only the low byte counts.
bool Flag(std::int32_t value) { return (value & 0xFF) != 0; }

std::int32_t CV_PLUGIN_CALL RegisterMessageService(std::int32_t, const char* name) {
  return Guarded(0, [&] { return RegisterMessage(Text(name)); });
}

std::int32_t CV_PLUGIN_CALL SendMessageService(std::int32_t sender, std::int32_t id,
                                               std::int32_t in, std::int32_t out,
                                               std::int32_t processAll, std::int32_t freeIn) {
  return Guarded(0, [&] {
    return SendMessageById(sender, id, in, Flag(freeIn), Flag(processAll), out);
  });
}

std::int32_t CV_PLUGIN_CALL SendMessageByNameService(std::int32_t sender, const char* name,
                                                     std::int32_t in, std::int32_t out,
                                                     std::int32_t processAll,
                                                     std::int32_t freeIn) {
  return Guarded(0, [&] {
    return SendMessageById(sender, RegisterMessage(Text(name)), in, Flag(freeIn), Flag(processAll),
                           out);
  });
}

std::int32_t SendToPluginId(std::int32_t target, std::int32_t id, std::int32_t in,
                            std::int32_t out, bool freeIn) {
  TPlugin* plugin = FindPlugin(target);
  if (!plugin) {
    // Nobody takes the block the sender gave away.
    if (freeIn) DestroyBlock(in);
    return 0;
  }
  return SendToPlugin(plugin, id, in, freeIn, out);
}

std::int32_t CV_PLUGIN_CALL SendToPluginService(std::int32_t target, std::int32_t id,
                                                std::int32_t in, std::int32_t out,
                                                std::int32_t freeIn) {
  return Guarded(0, [&] { return SendToPluginId(target, id, in, out, Flag(freeIn)); });
}

std::int32_t CV_PLUGIN_CALL SendToPluginByNameService(std::int32_t target, const char* name,
                                                      std::int32_t in, std::int32_t out,
                                                      std::int32_t freeIn) {
  return Guarded(0, [&] {
    return SendToPluginId(target, RegisterMessage(Text(name)), in, out, Flag(freeIn));
  });
}

std::int32_t CV_PLUGIN_CALL CreateBlockService() {
  return Guarded(0, [] { return CreateBlock(); });
}
void CV_PLUGIN_CALL DestroyBlockService(std::int32_t block) {
  GuardedVoid([&] { DestroyBlock(block); });
}
std::int32_t CV_PLUGIN_CALL GetCountService(std::int32_t block) {
  return Guarded(0, [&] { return GetCount(block); });
}
void CV_PLUGIN_CALL SetCountService(std::int32_t block, std::int32_t count) {
  GuardedVoid([&] { SetCount(block, count); });
}
std::int32_t CV_PLUGIN_CALL GetTypeService(std::int32_t block, std::int32_t index) {
  return Guarded(0, [&] { return static_cast<std::int32_t>(GetKind(block, index)); });
}
const char* CV_PLUGIN_CALL GetStrService(std::int32_t block, std::int32_t index) {
  return Guarded("", [&] { return GetStrData(block, index); });
}
std::int32_t CV_PLUGIN_CALL GetIntService(std::int32_t block, std::int32_t index) {
  return Guarded(0, [&] { return GetInt(block, index); });
}
std::int32_t CV_PLUGIN_CALL GetBoolService(std::int32_t block, std::int32_t index) {
  return Guarded(0, [&] { return GetBool(block, index) ? -1 : 0; });
}
void CV_PLUGIN_CALL SetStrService(std::int32_t block, std::int32_t index, const char* text) {
  GuardedVoid([&] { SetStr(block, index, Text(text)); });
}
void CV_PLUGIN_CALL SetIntService(std::int32_t block, std::int32_t index, std::int32_t value) {
  GuardedVoid([&] { SetInt(block, index, value); });
}
void CV_PLUGIN_CALL SetBoolService(std::int32_t block, std::int32_t index, std::int32_t value) {
  GuardedVoid([&] { SetBool(block, index, value != 0); });
}
void CV_PLUGIN_CALL AddStrService(std::int32_t block, const char* text) {
  GuardedVoid([&] { AddStr(block, Text(text)); });
}
void CV_PLUGIN_CALL AddIntService(std::int32_t block, std::int32_t value) {
  GuardedVoid([&] { AddInt(block, value); });
}
void CV_PLUGIN_CALL AddBoolService(std::int32_t block, std::int32_t value) {
  GuardedVoid([&] { AddBool(block, value != 0); });
}

}  // namespace

CvStartupInfo MakeStartupRecord() {
  CvStartupInfo record{};
  record.EngineVersion = CV_PLUGIN_ENGINE_VERSION;
  record.MaxVersion = CV_PLUGIN_MAX_VERSION;
  record.PluginId = 0;
  record.RegisterMessage = RegisterMessageService;
  record.SendMessageById = SendMessageService;
  record.SendMessageByName = SendMessageByNameService;
  record.SendToPlugin = SendToPluginService;
  record.SendToPluginByName = SendToPluginByNameService;
  record.CreateParamsBlock = CreateBlockService;
  record.DestroyParamsBlock = DestroyBlockService;
  record.GetParamCount = GetCountService;
  record.SetParamCount = SetCountService;
  record.GetParamType = GetTypeService;
  record.GetParamStr = GetStrService;
  record.GetParamInt = GetIntService;
  record.GetParamBool = GetBoolService;
  record.SetParamStr = SetStrService;
  record.SetParamInt = SetIntService;
  record.SetParamBool = SetBoolService;
  record.AddParamStr = AddStrService;
  record.AddParamInt = AddIntService;
  record.AddParamBool = AddBoolService;
  return record;
}

std::exception_ptr TakeServiceException() {
  std::exception_ptr taken = pendingException;
  pendingException = nullptr;
  return taken;
}

}  // namespace cv
