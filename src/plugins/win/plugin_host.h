#pragma once
// The plug-in host: wizard plug-ins loaded from the package's folder, the
// service table they call, and the delivery of messages to them.
//
// One process-wide list holds the loaded plug-ins in load order and owns
// them. Everything here runs on the dispatching (user-interface) thread;
// plug-ins reach it from their own threads through the dispatcher's
// cross-thread path.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "corvane/plugin_api.h"

namespace cv {

class TXMLObject;
class TcvPackage;
class TcvPlugin;

class TPlugin {
 public:
  TPlugin() = default;
  // Frees the DLL.
  ~TPlugin();
  TPlugin(const TPlugin&) = delete;
  TPlugin& operator=(const TPlugin&) = delete;

  CvGetPluginInfoExport GetPluginInfo = nullptr;
  CvSetStartupInfoExport SetStartupInfo = nullptr;
  std::string Path;
  HMODULE Module = nullptr;
  CvPluginInfo Info{};
  // The project's entry, with the configuration and custom configuration;
  // the project database owns it and outlives every plug-in.
  const TcvPlugin* Entry = nullptr;
  std::int32_t Id = 0;
  TcvPackage* Package = nullptr;
  // Names this plug-in as the owner of the functions it registers; never
  // given to another plug-in, unlike its address and its id, so a function
  // outliving its plug-in can never reach a later one.
  void* FunctionOwner = nullptr;

  // Calls the plug-in's message entry (0 without one). An exception that a
  // service routine caught inside this call (it cannot cross the plug-in's
  // frames) is raised again here, once the plug-in returned.
  std::int32_t Deliver(std::int32_t id, const std::string& name, std::int32_t in,
                       std::int32_t out);
};

using TPluginList = std::vector<std::unique_ptr<TPlugin>>;

// The process's list, in load order.
TPluginList& Plugins();

// Fills the startup record every plug-in gets a copy of: the interface
// versions and the service routines.
void PreparePluginStartupRecord();

// Loads the plug-ins of one package from its folder "plugins\<i>\"; shows
// "Cannot load "<ID>" plug-in." and fails for the first entry none of whose
// DLLs could be taken.
bool LoadPlugins(TcvPackage& package);
// True when the DLL was taken as one of the package's plug-ins (also when it
// was then dropped by its condition or refused EV_LOAD).
bool LoadPlugin(TcvPackage& package, const std::string& path);
// EV_UNLOAD, then the DLL is freed and the plug-in removed.
void UnloadPlugin(std::size_t index);
// From the last plug-in to the first.
void UnloadAll();

TPlugin* FindPlugin(std::int32_t id);
// The plug-in's package, or the main database for the engine (id 0) and
// for an id that names no plug-in.
TXMLObject* PluginContext(std::int32_t id);
// The ID of the plug-in's project entry; empty for the engine or an unknown
// id.
std::string PluginEntryId(std::int32_t id);
// The plug-in that is the `owner` of a registered function (its
// FunctionOwner), when it is still loaded.
TPlugin* PluginOfOwner(const void* owner);

// Connects the list to the dispatcher: broadcasts and sends to one plug-in.
void InstallPluginHandlers();

// Computes a function a plug-in registered: EV_CALCFUNCTION to its owner
// alone. "" when the owner is gone or answers 0.
std::string CallPluginFunction(const void* owner, std::int32_t serial, const std::string& name,
                               const std::vector<std::string>& args, std::int32_t extra);

}  // namespace cv
