#pragma once
// Clearing what a previous installation of the product left in the way,
// read from its install log before the new files are copied: old shortcuts
// (backed up, so a rollback gives them back), its empty folders and its
// uninstall registrations.

#include <string>
#include <vector>

namespace cv {

// The keys of a log section sorted without regard to case.
std::vector<std::string> SortedLogKeys(const std::string& logFile, const std::string& section);

// The key lies directly in the Uninstall branch of a four-letter root
// ("HKLM\SOFTWARE\...\Uninstall\..." or "HKCU\..."), compared without
// regard to case.
bool IsUninstallRegistration(const std::string& key);

// Works from the log `logFile`; true unless an old shortcut could not be
// backed up.
bool RemoveOldReferences(const std::string& logFile);

}  // namespace cv
