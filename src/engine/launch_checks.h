#pragma once
// The operating-system part of the launch requirements, as pure decisions.

#include <string>

#include "platform/system_info.h"

namespace cv {

// Whether the system is named in the comma-separated list "SupportedOS"
// (NT, NT4, 2K, XP, 2K3, 9X, 95, 98, ME; case ignored). An empty list passes.
bool SupportedOsPasses(const std::string& supportedOs, const SystemInfoRecord& system);

// Whether the system is at least "MinOSVersion" (major.minor.build; missing
// or non-numeric parts take the running system's values). Empty passes.
bool MinOsVersionPasses(const std::string& minOsVersion, const SystemInfoRecord& system);

}  // namespace cv
