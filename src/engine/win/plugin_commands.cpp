#include "engine/win/plugin_commands.h"

#include <windows.h>

#include <vector>

#include "database/feature_selection.h"
#include "database/feature_sizes.h"
#include "database/packages.h"
#include "database/plugin_config.h"
#include "database/variable_access.h"
#include "engine/abort_run.h"
#include "engine/engine_services.h"
#include "engine/run_state.h"
#include "engine/win/engine.h"
#include "install/install_log.h"
#include "install/win/file_copy.h"
#include "install/win/install_thread.h"
#include "platform/case_map.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"
#include "plugins/win/plugin_host.h"
#include "script/cv_evaluator.h"
#include "script/evaluate_expression.h"
#include "script/event_scripts.h"
#include "script/install_control.h"
#include "script/references.h"

namespace cv {

namespace {

// One request: the sender, its blocks and the run it acts on.
class Command {
 public:
  Command(SetupOperations& operations, TcvMainDatabase& database, std::int32_t sender,
          std::int32_t in, std::int32_t out)
      : ops_(operations), db_(database), sender_(sender), in_(in), out_(out),
        context_(PluginContext(sender)) {}

  std::int32_t Run(std::int32_t id);

 private:
  std::string In(int index) const { return GetStr(in_, index); }
  std::int32_t InInt(int index) const { return GetInt(in_, index); }
  void Out(const std::string& text) const { AddStr(out_, text); }
  std::string Expanded(const std::string& text) const { return ExpandText(context_, sender_, text); }
  const TcvPluginSimpleConfig* Config() const {
    const TPlugin* plugin = FindPlugin(sender_);
    return plugin && plugin->Entry ? plugin->Entry->Config.get() : nullptr;
  }

  std::int32_t GetLanguage();
  std::int32_t GetFeature();
  std::int32_t GetInstallType();
  std::int32_t InstallIcon();
  void AddLogRecord();

  SetupOperations& ops_;
  TcvMainDatabase& db_;
  std::int32_t sender_;
  std::int32_t in_;
  std::int32_t out_;
  TXMLObject* context_;
};

std::int32_t Command::GetLanguage() {
  const std::vector<LanguageEntry>& list = cv::Run().LanguageList;
  const std::string id = In(0);
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (!id.empty() && CaseMapUpper(list[i].Id) != CaseMapUpper(id)) continue;
    Out(list[i].Id);
    Out(list[i].Name);
    Out(i + 1 < list.size() ? list[i + 1].Id : std::string());
    return 0;
  }
  return -1;
}

std::int32_t Command::GetFeature() {
  if (!db_.Features) return -1;
  TcvFeature* parent = nullptr;
  TcvFeature* next = nullptr;
  const TcvFeature* feature = FindFeature(*db_.Features, In(0), &parent, &next);
  if (!feature) return -1;
  Out(feature->ID);
  Out(Expanded(feature->Name));
  Out(Expanded(feature->Description));
  AddBool(out_, feature->Required);
  Out(parent ? parent->ID : std::string());
  Out(next ? next->ID : std::string());
  return 0;
}

std::int32_t Command::GetInstallType() {
  if (!db_.InstallTypes) return -1;
  TcvInstallType* next = nullptr;
  const TcvInstallType* type = FindType(*db_.InstallTypes, In(0), &next);
  if (!type) return -1;
  Out(type->ID);
  Out(Expanded(type->Name));
  Out(Expanded(type->Description));
  AddBool(out_, type->Custom);
  Out(next ? next->ID : std::string());
  return 0;
}

std::int32_t Command::InstallIcon() {
  const int size = InInt(0) != 0 ? 16 : 32;
  const HANDLE icon =
      LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, size, size, LR_SHARED);
  // Icon handles carry 32 significant bits on every Windows.
  return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(icon));
}

// A section and "key=value" (split at the first "="), references resolved.
void Command::AddLogRecord() {
  const std::string record = Expanded(In(1));
  const std::size_t equals = record.find('=');
  LogWriteSection(Expanded(In(0)), record.substr(0, equals),
                  equals == std::string::npos ? std::string() : record.substr(equals + 1));
}

std::int32_t Command::Run(std::int32_t id) {
  switch (id) {
    case CM_ABORTINSTALL: AbortRun(); return 0;
    case CM_PARSETEXT: Out(Expanded(In(0))); return 0;
    case CM_GETLANGUAGE: return GetLanguage();
    case CM_SETLANGUAGE: return SelectLanguage(ops_, In(0)) ? 0 : 1;
    case CM_GETVARIABLE: Out(GetVariableText(context_, sender_, In(0), "")); return 0;
    case CM_SETVARIABLE: SetVar(context_, In(0), In(1)); return 0;
    case CM_GETFEATURE: return GetFeature();
    case CM_GETFEATURESTATE: {
      const TcvFeature* feature = db_.Features ? FindFeature(*db_.Features, In(0)) : nullptr;
      return feature ? FeatureState(*feature) : 0;
    }
    case CM_SETFEATURESTATE: {
      const std::string feature = In(0);
      if (!SetFeatureState(db_, feature, InInt(1) == 1)) return -1;
      db_.UserFeatures.insert(feature);
      return 0;
    }
    case CM_GETINSTALLTYPE: return GetInstallType();
    case CM_SETINSTALLTYPE: return SetInstallType(db_, In(0));
    case CM_SETPASSWORD: return SetPackagePassword(db_, In(0));
    case CM_GETPCPARAM: {
      const TcvPluginSimpleConfig* config = Config();
      Out(config ? config->GetParam(In(0), In(1), In(2)) : In(2));
      return 0;
    }
    case CM_GETPCGROUPNAMES:
    case CM_GETPCPARAMNAMES: {
      std::vector<std::string> names;
      if (const TcvPluginSimpleConfig* config = Config()) {
        if (id == CM_GETPCGROUPNAMES) {
          config->GetGroupNames(names);
        } else {
          config->GetParamNames(In(0), names);
        }
      }
      for (const std::string& name : names) Out(name);
      return 0;
    }
    case CM_GETPCCUSTOMCONFIG: {
      const TPlugin* plugin = FindPlugin(sender_);
      const TXMLTag* custom = plugin && plugin->Entry ? plugin->Entry->CustomConfig.get() : nullptr;
      Out(custom ? custom->AsXML() : std::string());
      return 0;
    }
    case CM_CALCEXPRESSION: Out(EvaluateExpression(context_, sender_, In(0), InInt(1), true)); return 0;
    case CM_CALCBOOLEXPRESSION:
      return EvaluateCondition(context_, sender_, In(0), InInt(1), true) ? 1 : 0;
    case CM_REGISTERFUNCTION: {
      TPlugin* plugin = FindPlugin(sender_);
      return plugin ? TheEvaluator().RegisterPluginFunction(plugin->FunctionOwner, In(0), InInt(1))
                    : 0;
    }
    case CM_GETINSTALLICON: return InstallIcon();
    case CM_ISPASSWORDVALID: return CheckPackagePassword(db_, db_.Password) ? 0 : 1;
    case CM_GETFEATURESIZE: {
      const TcvFeature* feature = db_.Features ? FindFeature(*db_.Features, In(0)) : nullptr;
      return feature ? FeatureSize(*feature, false) : 0;
    }
    case CM_GETSETUPSIZE: return db_.Features ? TotalSize(*db_.Features, true) : 0;
    case CM_CALCACTIONS: Out(RunActionsText(context_, sender_, In(0), InInt(1))); return 0;
    case CM_SUSPENDINSTALL: SuspendInstallThread(); return 0;
    case CM_RESUMEINSTALL: ResumeInstallThread(); return 0;
    case CM_ADDLOGRECORD: AddLogRecord(); return 0;
    default: return 0;
  }
}

// Scripts run in the sending plug-in's package; for the engine's own
// messages in the main database's first package.
TXMLObject* ScriptContext(std::int32_t sender) {
  const TPlugin* plugin = FindPlugin(sender);
  if (plugin && plugin->Package) return plugin->Package;
  TcvMainDatabase* database = MainDatabase();
  if (database && database->Packages && database->Packages->Count() > 0) {
    return database->Packages->Package(0);
  }
  return database;
}

}  // namespace

void InstallPluginHost(SetupOperations& operations, TcvMainDatabase& database) {
  InstallPluginHandlers();
  MessageHandlers handlers = SetMessageHandlers({});
  handlers.Command = [&operations, &database](std::int32_t sender, std::int32_t id,
                                              std::int32_t in, std::int32_t out,
                                              std::int32_t& result) {
    if (id < kFirstCommandId || id > kLastCommandId) return false;
    result = Command(operations, database, sender, in, out).Run(id);
    return true;
  };
  SetMessageHandlers(std::move(handlers));
  InstallEventScripts(ScriptContext);
  InstallControlRoutines control;
  control.AbortInstall = [] { AbortRun(); };
  control.SuspendInstall = [] { SuspendInstallThread(); };
  control.ResumeInstall = [] { ResumeInstallThread(); };
  control.SetLanguage = [&operations](const std::string& id) { SelectLanguage(operations, id); };
  control.SetPassword = [&database](const std::string& password) {
    SetPackagePassword(database, password);
  };
  control.LogOperation = [](const std::string& section, const std::string& key,
                            const std::string& value) { LogWriteSection(section, key, value); };
  control.Copy = [](const std::string& source, const std::string& target) {
    return BufferedCopyFile(source, target);
  };
  SetInstallControl(std::move(control));

  TheEvaluator().SetPluginFunctionRoutine(
      [](const TkeFunction& function, const FunctionArgs* args, const TcvEvalContext& context) {
        return CallPluginFunction(function.Owner, function.ID, function.Name,
                                  args ? *args : std::vector<std::string>(), context.Extra);
      });
  SetPluginIdRoutine([](std::int32_t pluginId) { return PluginEntryId(pluginId); });
}

void RemovePluginCommands() {
  MessageHandlers handlers = SetMessageHandlers({});
  handlers.Command = nullptr;
  handlers.Scripts = nullptr;
  SetMessageHandlers(std::move(handlers));
  SetInstallControl({});
}

}  // namespace cv
