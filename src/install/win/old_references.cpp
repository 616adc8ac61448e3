#include "install/win/old_references.h"

#include <algorithm>

#include "install/win/action_list.h"
#include "install/win/uninstall_registration.h"
#include "platform/case_map.h"
#include "platform/ini_cache.h"
#include "platform/paths.h"
#include "platform/win/file_system.h"
#include "platform/win/registry_path.h"

namespace cv {

std::vector<std::string> SortedLogKeys(const std::string& logFile, const std::string& section) {
  std::vector<std::string> keys;
  IniReadSectionKeys(logFile, section, keys);
  std::stable_sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
    return CaseMapUpper(a) < CaseMapUpper(b);
  });
  return keys;
}

bool IsUninstallRegistration(const std::string& key) {
  const std::string_view branch = kUninstallKeyRoot;
  return key.size() > 4 + branch.size() &&
         SameTextNoCase(std::string_view(key).substr(4, branch.size()), branch);
}

bool RemoveOldReferences(const std::string& logFile) {
  bool ok = true;
  for (const std::string& link : SortedLogKeys(logFile, "Shortcuts")) {
    for (const std::string& file : {link, ChangeExtension(link, ".pif")}) {
      if (!AddRemovedFile(ActionList(), file, TcvFlags{TcvFlag::dont_log})) ok = false;
    }
  }
  const std::vector<std::string> folders = SortedLogKeys(logFile, "CreateDirs");
  // Children sort after their parents: from the last, so each folder is
  // empty when its turn comes (a folder that still holds something stays).
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) RemoveDirectoryA(it->c_str());
  const std::vector<std::string> keys = SortedLogKeys(logFile, "CreateKeys");
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
    if (IsUninstallRegistration(*it)) RegDeleteKeyPath(*it, true);
  }
  return ok;
}

}  // namespace cv
