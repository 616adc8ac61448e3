#include "engine/win/engine_install_host.h"

#include "engine/engine_services.h"
#include "engine/run_state.h"
#include "engine/win/engine.h"
#include "engine/win/file_copy_step.h"
#include "database/variable_access.h"
#include "install/install_log.h"
#include "install/win/action_list.h"
#include "install/win/component_program.h"
#include "install/win/environment_step.h"
#include "install/win/font_step.h"
#include "install/win/ini_step.h"
#include "install/win/old_references.h"
#include "install/win/registry_step.h"
#include "install/win/server_step.h"
#include "install/win/shortcut_step.h"
#include "install/win/uninstall_registration.h"
#include "platform/win/message_box.h"
#include "script/references.h"

namespace cv {

const std::string& EngineInstallHost::SetupFileName() { return Run().SetupFileName; }
const std::string& EngineInstallHost::WorkFolder() { return Run().WorkFolder; }
bool& EngineInstallHost::ResumeMode() { return Run().ResumeMode; }
bool& EngineInstallHost::Cancelled() { return Run().Cancelled; }
bool& EngineInstallHost::ResumePending() { return Run().ResumePending; }

bool EngineInstallHost::PasswordAccepted() {
  return CheckPackagePassword(database_, database_.Password);
}

std::string EngineInstallHost::EngineString(int n) { return cv::EngineString(operations_, n); }

void EngineInstallHost::ShowStatusText(const std::string& text, int delayMs) {
  operations_.ShowStatusText(text, delayMs);
}

void EngineInstallHost::HideStatusText() { operations_.HideStatusText(); }

bool EngineInstallHost::RemoveComponentFiles() { return RemoveProjectFiles(*this); }

bool EngineInstallHost::CopyComponentFiles() { return CopyProjectFiles(*this); }

bool EngineInstallHost::RunProgram(TcvComponent& component, TcvRunApp& item) {
  const int index = component.RunApps->IndexOf(&item);
  return RunComponentProgram(database_, Run().ResumePending, ActiveWindowOwner(), component.ID(),
                             index, item,
                             {Resolve(item.CmdLine), Resolve(item.Arg), Resolve(item.WorkDir)});
}

bool EngineInstallHost::RegisterServers() { return cv::RegisterServers(ActionList()); }

bool EngineInstallHost::RegisterFonts() {
  FontStepSettings settings{GetVar(&database_, "Fonts", ""), Run().RepairMode};
  if (const std::string countError = EngineString(20); !countError.empty()) {
    settings.SharedCountError = countError;
  }
  return cv::RegisterFonts(ActionList(), settings);
}

bool EngineInstallHost::InstallShortcut(TcvComponent&, TcvShortcut& item) {
  // A shortcut that cannot be made is reported and skipped: the step goes on.
  cv::InstallShortcut(ActionList(),
                      ResolveShortcut(item, [&](const std::string& text) { return Resolve(text); }));
  return true;
}

ItemResult EngineInstallHost::InstallRegistryItem(TcvComponent&, TcvReg& item) {
  return cv::InstallRegistryItem(
      ActionList(), item, [&](const std::string& text) { return Resolve(text); }, ShowErrorBox);
}

ItemResult EngineInstallHost::InstallIniItem(TcvComponent&, TcvIni& item) {
  return cv::InstallIniItem(
      ActionList(), item, [&](const std::string& text) { return Resolve(text); }, ShowErrorBox);
}

bool EngineInstallHost::SetEnvironmentVariables() {
  const auto resolve = [](TXMLObject* context, const std::string& text) {
    return ExpandReferences(context, 0, text, true, true, false);
  };
  return SetEnvironmentItems(database_, ActionList(),
                             {resolve, ShowErrorBox, BroadcastEnvironmentChange});
}

bool EngineInstallHost::RemoveOldReferences() { return cv::RemoveOldReferences(LogFileName()); }

bool EngineInstallHost::RegisterUninstall() {
  uninstallKey_ = RegisterUninstallKey(database_, SetupFileName(),
                                       [&](const std::string& text) { return Resolve(text); });
  return true;
}

bool EngineInstallHost::SaveSilentSettings() {
  return WriteSilentSettings(database_, uninstallKey_);
}

}  // namespace cv
