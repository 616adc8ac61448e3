#include "plugins/win/plugin_host.h"

#include <cstring>
#include <exception>

#include "database/main_database.h"
#include "database/packages.h"
#include "database/plugin_config.h"
#include "database/variable_access.h"
#include "platform/format_text.h"
#include "platform/win/file_system.h"
#include "platform/win/library.h"
#include "platform/win/message_box.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"
#include "plugins/win/plugin_services.h"

namespace cv {

// The public header's ids are the engine's own.
#define CV_SAME_ID(name) static_assert(static_cast<int>(::name) == static_cast<int>(cv::name));
CV_SAME_ID(EV_LOAD)
CV_SAME_ID(EV_UNLOAD)
CV_SAME_ID(EV_START)
CV_SAME_ID(EV_FINISH)
CV_SAME_ID(EV_SHOWDIALOGS)
CV_SAME_ID(EV_LANGUAGECHANGED)
CV_SAME_ID(EV_BEFOREINSTALL)
CV_SAME_ID(EV_AFTERINSTALL)
CV_SAME_ID(EV_BEFOREPROCESSITEMS)
CV_SAME_ID(EV_AFTERPROCESSITEMS)
CV_SAME_ID(EV_BEFOREPROCESSITEM)
CV_SAME_ID(EV_AFTERPROCESSITEM)
CV_SAME_ID(EV_INSTALLPROGRESS)
CV_SAME_ID(EV_FEATURESTATECHANGED)
CV_SAME_ID(EV_INSTALLTYPECHANGED)
CV_SAME_ID(EV_FILEVERSIONCONFLICT)
CV_SAME_ID(EV_GETPACKAGE)
CV_SAME_ID(EV_CHECKLAUNCHCONDITIONS)
CV_SAME_ID(EV_CALCFUNCTION)
CV_SAME_ID(EV_QUERYREBOOT)
CV_SAME_ID(EV_ABORTINSTALL)
CV_SAME_ID(EV_ROLLBACK)
CV_SAME_ID(CM_ABORTINSTALL)
CV_SAME_ID(CM_SUSPENDINSTALL)
CV_SAME_ID(CM_RESUMEINSTALL)
CV_SAME_ID(CM_PARSETEXT)
CV_SAME_ID(CM_GETLANGUAGE)
CV_SAME_ID(CM_SETLANGUAGE)
CV_SAME_ID(CM_GETVARIABLE)
CV_SAME_ID(CM_SETVARIABLE)
CV_SAME_ID(CM_GETFEATURE)
CV_SAME_ID(CM_GETFEATURESTATE)
CV_SAME_ID(CM_SETFEATURESTATE)
CV_SAME_ID(CM_GETINSTALLTYPE)
CV_SAME_ID(CM_SETINSTALLTYPE)
CV_SAME_ID(CM_SETPASSWORD)
CV_SAME_ID(CM_GETPCPARAM)
CV_SAME_ID(CM_GETPCGROUPNAMES)
CV_SAME_ID(CM_GETPCPARAMNAMES)
CV_SAME_ID(CM_GETPCCUSTOMCONFIG)
CV_SAME_ID(CM_CALCEXPRESSION)
CV_SAME_ID(CM_CALCBOOLEXPRESSION)
CV_SAME_ID(CM_REGISTERFUNCTION)
CV_SAME_ID(CM_ADDLOGRECORD)
CV_SAME_ID(CM_GETINSTALLICON)
CV_SAME_ID(CM_ISPASSWORDVALID)
CV_SAME_ID(CM_CALCACTIONS)
CV_SAME_ID(CM_GETFEATURESIZE)
CV_SAME_ID(CM_GETSETUPSIZE)
#undef CV_SAME_ID

namespace {

CvStartupInfo startupRecord{};
std::uintptr_t lastFunctionOwner = 0;

TPlugin* LoadedPlugin(const void* address) {
  for (const std::unique_ptr<TPlugin>& plugin : Plugins()) {
    if (plugin.get() == address) return plugin.get();
  }
  return nullptr;
}

std::string PluginIdText(const CvPluginInfo& info) {
  return std::string(info.ID, strnlen(info.ID, sizeof info.ID));
}

const TcvPlugin* EntryWithId(const TcvPackage& package, const std::string& id) {
  if (!package.Plugins) return nullptr;
  for (int i = 0; i < package.Plugins->Count(); ++i) {
    const TcvPlugin* entry = package.Plugins->Plugin(i);
    if (entry && entry->ID == id) return entry;
  }
  return nullptr;
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH * 2] = {};
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length > 0 && length < sizeof full ? std::string(full) : path;
}

// The DLLs of one folder in the order the search returns them.
std::vector<std::string> DllsIn(const std::string& folder) {
  std::vector<std::string> found;
  ForEachEntry(folder + "*.dll", [&](const FoundEntry& entry) {
    if (!entry.IsFolder()) found.push_back(folder + entry.Name);
    return true;
  });
  return found;
}

// "X:\..." or "\\server\...": a path the loader takes as it stands.
bool IsFullPath(const std::string& path) {
  const bool drive = path.size() > 2 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  const bool share = path.size() > 2 && path[0] == '\\' && path[1] == '\\';
  return drive || share;
}

std::size_t IndexOf(const TPlugin* plugin) {
  TPluginList& list = Plugins();
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i].get() == plugin) return i;
  }
  return list.size();
}

}  // namespace

TPlugin::~TPlugin() {
  if (Module) FreeLibrary(Module);
}

std::int32_t TPlugin::Deliver(std::int32_t id, const std::string& name, std::int32_t in,
                              std::int32_t out) {
  if (!Info.MessageEntry) return 0;
  const std::int32_t result = Info.MessageEntry(id, name.c_str(), in, out);
  if (std::exception_ptr failure = TakeServiceException()) std::rethrow_exception(failure);
  return result;
}

TPluginList& Plugins() {
  static TPluginList list;
  return list;
}

void PreparePluginStartupRecord() { startupRecord = MakeStartupRecord(); }

bool LoadPlugins(TcvPackage& package) {
  if (!package.Plugins) return true;
  const std::string base = package.TempPath + "plugins";
  for (int i = 0; i < package.Plugins->Count(); ++i) {
    const TcvPlugin* entry = package.Plugins->Plugin(i);
    if (!entry) continue;
    bool taken = false;
    if (!entry->DebugDll.empty()) {
      taken = LoadPlugin(package, FullPath(entry->DebugDll));
    } else {
      const std::string folder = FormatText("%s\\%d\\", {base, static_cast<long long>(i)});
      for (const std::string& dll : DllsIn(folder)) {
        if (LoadPlugin(package, dll)) {
          taken = true;
          break;
        }
      }
    }
    if (!taken) {
      ShowErrorBox("Error", FormatText("Cannot load \"%s\" plug-in.", {entry->ID}));
      return false;
    }
  }
  return true;
}

bool LoadPlugin(TcvPackage& package, const std::string& path) {
  if (startupRecord.EngineVersion == 0) PreparePluginStartupRecord();
  // A bare name would be looked for along the search path.
  if (!IsFullPath(path)) return false;
  // By full path only, and with the plug-in's own folder searched first for
  // what it imports, so that nothing is taken from the current folder.
  const HMODULE module = LoadLibraryQuiet(path, LoadMode::AlteredSearchPath);
  if (!module) return false;
  auto plugin = std::make_unique<TPlugin>();
  plugin->Path = path;
  plugin->Module = module;
  plugin->Id = static_cast<std::int32_t>(Plugins().size()) + 1;
  plugin->Package = &package;
  plugin->FunctionOwner = reinterpret_cast<void*>(++lastFunctionOwner);
  plugin->GetPluginInfo = reinterpret_cast<CvGetPluginInfoExport>(
      reinterpret_cast<void*>(GetProcAddress(module, CV_PLUGIN_GET_INFO_EXPORT)));
  plugin->SetStartupInfo = reinterpret_cast<CvSetStartupInfoExport>(
      reinterpret_cast<void*>(GetProcAddress(module, CV_PLUGIN_SET_STARTUP_EXPORT)));
  // Without either entry the DLL is no plug-in: a missing SetStartupInfo
  // must never be called.
  if (!plugin->GetPluginInfo || !plugin->SetStartupInfo) return false;

  std::memset(&plugin->Info, 0, sizeof plugin->Info);
  plugin->Info.EngineVersion = CV_PLUGIN_ENGINE_VERSION;
  plugin->GetPluginInfo(&plugin->Info);
  if (plugin->Info.PluginVersion > CV_PLUGIN_MAX_VERSION) return false;
  plugin->Entry = EntryWithId(package, PluginIdText(plugin->Info));
  if (!plugin->Entry) return false;
  if (!IsEnabled(*plugin->Entry)) return true;

  TPlugin* loaded = plugin.get();
  Plugins().push_back(std::move(plugin));
  CvStartupInfo record = startupRecord;
  record.PluginId = loaded->Id;
  loaded->SetStartupInfo(&record);
  // Requests made from SetStartupInfo end like requests made from messages.
  if (std::exception_ptr failure = TakeServiceException()) std::rethrow_exception(failure);

  if (SendToPlugin(loaded, EV_LOAD, 0, false, 0) != 0) {
    // Refused to run: gone without EV_UNLOAD.
    const std::size_t index = IndexOf(loaded);
    if (index < Plugins().size()) Plugins().erase(Plugins().begin() + static_cast<long>(index));
    return true;
  }
  const std::string language = GetVar(MainDatabase(), "LangID", "ENU");
  SendToPlugin(loaded, EV_LANGUAGECHANGED, NewParamsBlock({language}), true, 0);
  return true;
}

void UnloadPlugin(std::size_t index) {
  TPluginList& list = Plugins();
  if (index >= list.size()) return;
  TPlugin* plugin = list[index].get();
  try {
    SendToPlugin(plugin, EV_UNLOAD, 0, false, 0);
  } catch (...) {
    // The plug-in goes whatever its last request did.
  }
  const std::size_t at = IndexOf(plugin);
  if (at < list.size()) list.erase(list.begin() + static_cast<long>(at));
}

void UnloadAll() {
  while (!Plugins().empty()) UnloadPlugin(Plugins().size() - 1);
}

TPlugin* FindPlugin(std::int32_t id) {
  for (const std::unique_ptr<TPlugin>& plugin : Plugins()) {
    if (plugin->Id == id) return plugin.get();
  }
  return nullptr;
}

TXMLObject* PluginContext(std::int32_t id) {
  const TPlugin* plugin = FindPlugin(id);
  if (plugin && plugin->Package) return plugin->Package;
  return MainDatabase();
}

std::string PluginEntryId(std::int32_t id) {
  const TPlugin* plugin = FindPlugin(id);
  return plugin && plugin->Entry ? plugin->Entry->ID : std::string();
}

TPlugin* PluginOfOwner(const void* owner) {
  if (!owner) return nullptr;
  for (const std::unique_ptr<TPlugin>& plugin : Plugins()) {
    if (plugin->FunctionOwner == owner) return plugin.get();
  }
  return nullptr;
}

void InstallPluginHandlers() {
  MessageHandlers handlers = SetMessageHandlers({});
  handlers.AnyPlugin = [] { return !Plugins().empty(); };
  handlers.Plugins = [](std::int32_t sender, std::int32_t id, const std::string& name,
                        std::int32_t in, std::int32_t out, bool processAll) {
    std::int32_t result = 0;
    // By position, re-checked each time: a plug-in may leave the list while
    // the message travels.
    for (std::size_t i = 0; i < Plugins().size(); ++i) {
      TPlugin* plugin = Plugins()[i].get();
      if (plugin->Id == sender) continue;
      result = plugin->Deliver(id, name, in, out);
      if (result != 0 && !processAll) return result;
    }
    return result;
  };
  handlers.Plugin = [](void* plugin, std::int32_t id, const std::string& name, std::int32_t in,
                       std::int32_t out) {
    TPlugin* target = LoadedPlugin(plugin);
    return target ? target->Deliver(id, name, in, out) : 0;
  };
  SetMessageHandlers(std::move(handlers));
}

std::string CallPluginFunction(const void* owner, std::int32_t serial, const std::string& name,
                               const std::vector<std::string>& args, std::int32_t extra) {
  TPlugin* plugin = PluginOfOwner(owner);
  if (!plugin) return {};
  const std::int32_t in = CreateBlock();
  AddInt(in, serial);
  AddStr(in, name);
  AddInt(in, static_cast<std::int32_t>(args.size()));
  AddInt(in, extra);
  for (const std::string& arg : args) AddStr(in, arg);
  const std::int32_t out = CreateBlock();
  struct OutRelease {
    std::int32_t Block;
    ~OutRelease() { DestroyBlock(Block); }
  } release{out};
  if (cv::SendToPlugin(plugin, EV_CALCFUNCTION, in, true, out) == 0) return {};
  return GetStr(out, 0);
}

}  // namespace cv
