#include "install/win/environment_step.h"

#include <windows.h>

#include "database/condition_object.h"
#include "database/variable_access.h"
#include "install/path_list.h"
#include "platform/format_text.h"
#include "platform/system_info.h"
#include "platform/win/environment.h"
#include "platform/win/file_access.h"

namespace cv {

namespace {

class EnvironmentStep {
 public:
  EnvironmentStep(TInstallActions& list, const EnvironmentStepServices& services)
      : list_(list), services_(services) {}

  void SetAll(TXMLObject* context, const TcvVariables& variables) {
    for (int i = 0; i < variables.Count(); ++i) {
      const TcvVariable& variable = *variables.Variable(i);
      if (variable.VarType == TcvVarType::vtEnvVar && IsEnabled(variable)) Set(context, variable);
    }
  }
  bool Changed() const { return changed_; }

 private:
  void Set(TXMLObject* context, const TcvVariable& variable);

  TInstallActions& list_;
  const EnvironmentStepServices& services_;
  bool changed_ = false;
};

void EnvironmentStep::Set(TXMLObject* context, const TcvVariable& variable) {
  const std::string name = services_.Resolve(context, variable.Name);
  std::string value = services_.Resolve(context, variable.Value);
  const bool system = variable.Flags.Contains(TcvFlag::sys_envvar);
  const bool addPath = variable.Flags.Contains(TcvFlag::add_path);
  // As stored: references such as %SystemRoot% stay references in the value
  // the step writes back and in the one rollback restores.
  const std::string current = GetEnvVar(name, system, false);
  if (variable.Flags.Contains(TcvFlag::dont_overwrite) && !current.empty()) return;
  const ShortPathForm shortForm = [](const std::string& path) { return ShortPathName(path); };
  if (addPath) {
    value = NormalizePathList(value, shortForm, SystemInfo().Is9x());
    if (value.empty()) return;
  }
  auto& action = AddAction<TInstallEnvVar>(list_);
  action.Flags = variable.Flags;
  action.Log = !variable.Flags.Contains(TcvFlag::dont_log);
  action.Existed = !current.empty();
  action.Name = name;
  action.Value = value;
  action.OldValue = current;
  action.AddPath = addPath;
  action.SysVar = system;
  const std::string newValue = addPath ? AppendPathList(current, value, shortForm) : value;
  // Emptying a variable that is not there leaves nothing to do.
  if (newValue.empty() && current.empty()) return;
  if (SetEnvVar(name, newValue, system)) {
    changed_ = true;
  } else {
    services_.ShowErrorBox("Error",
                           FormatText("Error setting environment variable \"%s\".", {name}));
  }
}

}  // namespace

bool SetEnvironmentItems(TcvMainDatabase& database, TInstallActions& list,
                         const EnvironmentStepServices& services) {
  EnvironmentStep step(list, services);
  step.SetAll(&database, *database.Variables);
  for (int i = 0; i < database.Packages->Count(); ++i) {
    TcvPackage& package = *database.Packages->Package(i);
    step.SetAll(&package, *package.Variables);
  }
  if (step.Changed()) {
    if (SystemInfo().IsNT()) {
      services.AnnounceChange();
    } else {
      // The 9x family reads autoexec.bat at its next start only.
      SetVar(&database, "Reboot", "1");
    }
  }
  return true;
}

void BroadcastEnvironmentChange() {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Environment"),
                      SMTO_ABORTIFHUNG, 5000, &result);
}

}  // namespace cv
