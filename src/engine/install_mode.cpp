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

}  // namespace cv
