#pragma once
// Whether this run installs, repairs or uninstalls, decided from what the
// registry says of an installed copy and from the command line.

#include <string>

namespace cv {

enum class InstallMode : int { Install = 0, Uninstall = 1, Repair = 2 };

struct InstalledApplication {
  bool Installed = false;  // its uninstall key exists
  std::string Version;     // "DisplayVersion"
  std::string Location;    // "InstallLocation"
};

// A setup started from the installed copy's own folder (as the uninstall
// entry starts it) uninstalls; the same version again repairs; anything else
// installs. The switches count only for an installed application: /r forces a
// repair and /u, stronger, an uninstall.
InstallMode DecideInstallMode(const InstalledApplication& installed, const std::string& setupFolder,
                              const std::string& appVersion, bool repairSwitch,
                              bool uninstallSwitch);

}  // namespace cv
