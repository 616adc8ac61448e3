#pragma once
// Making the product known to the system's list of installed programs: the
// Uninstall key with its values, and the silent settings that a later repair
// or silent reinstallation reads back.

#include <functional>
#include <string>
#include <vector>

#include "database/main_database.h"

namespace cv {

inline constexpr char kUninstallKeyRoot[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// "<root>\SOFTWARE\...\Uninstall\<AppID>", with "App" for a missing or
// empty AppID; `root` is "HKLM" or "HKCU".
std::string UninstallKeyFor(const std::string& root, TcvMainDatabase& database);

using TextResolver = std::function<std::string(const std::string&)>;

// The values of the key in the order they are written, texts resolved;
// empty texts are kept here and skipped by the writer. "Uninstall.exe" lies
// in the folder of `UninstallPath`; `logFile` is the install log.
std::vector<std::pair<std::string, std::string>> UninstallValues(
    TcvMainDatabase& database, const std::string& setupFileName, const std::string& logFile,
    const TextResolver& resolve);

// Chooses the machine-wide key, or the user's when the machine's cannot be
// written, logs it for the uninstaller and writes its values. Answers the
// key. Registry writes have no error path: a value that cannot be written
// is simply missing.
std::string RegisterUninstallKey(TcvMainDatabase& database, const std::string& setupFileName,
                                 const TextResolver& resolve);

// The names never carried into the silent settings: the product's identity
// and the switches that belong to one run.
const std::vector<std::string>& SilentSettingsExcludedNames();

// Fills `settings` from the database: its variables (except those whose
// condition fails and the excluded names), the active install type and one
// ID-only feature per selected feature, in tree order.
void FillSilentSettings(TcvMainDatabase& database, TcvSilentSettings& settings);

// Unless DisableRepair: the install log's ".sss" file (an earlier one backed
// up for rollback) and the key's "SilentSettings" value naming it. False
// when the file could not be backed up or written.
bool WriteSilentSettings(TcvMainDatabase& database, const std::string& uninstallKey);

}  // namespace cv
