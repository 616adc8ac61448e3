#include "engine/install_mode.h"

#include "platform/case_map.h"
#include "platform/paths.h"

namespace cv {

InstallMode DecideInstallMode(const InstalledApplication& installed, const std::string& setupFolder,
                              const std::string& appVersion, bool repairSwitch,
                              bool uninstallSwitch) {
  if (!installed.Installed) return InstallMode::Install;
  InstallMode mode = InstallMode::Install;
  if (!installed.Location.empty() &&
      SameTextNoCase(setupFolder, IncludeBackslash(installed.Location))) {
    mode = InstallMode::Uninstall;
  } else if (appVersion == installed.Version) {
    mode = InstallMode::Repair;
  }
  if (repairSwitch) mode = InstallMode::Repair;
  if (uninstallSwitch) mode = InstallMode::Uninstall;
  return mode;
}

std::string ArgumentsText(const ArgumentList& args) {
  std::string text;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (i > 1) text += ' ';
    if (args[i].find(' ') != std::string::npos) {
      text += '"' + args[i] + '"';
    } else {
      text += args[i];
    }
  }
  return text;
}

}  // namespace cv
