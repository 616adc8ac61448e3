#pragma once
// Time-based unique names for temporary files and folders: eight base-32
// characters made of a day number and the hundredths of a second since
// midnight, so that names made one after another sort by time.

#include <functional>
#include <string>

#include "platform/date_time.h"

namespace cv {

// (year mod 10) * 365 + (year mod 10) div 4 + day of the year.
int UniqueNameDayNumber(const LocalTime& time);
// Hundredths of a second since midnight.
int UniqueNameTimeNumber(const LocalTime& time);
// Day number in base 32 padded to 3 digits, then time number padded to 5.
std::string UniqueNameCode(const LocalTime& time);

using LocalClock = std::function<LocalTime()>;
using PathExists = std::function<bool(const std::string& path)>;

// A name (without the folder) that exists neither as a file nor as a folder
// in `folder`: prefix + code + suffix. With `shortName` the prefix is cut to
// 4 characters and the code loses as many leading characters as the prefix
// has, so prefix and code keep 8 characters together. The clock is read
// again for every name tried.
std::string MakeUniqueName(const std::string& folder, const std::string& prefix,
                           const std::string& suffix, bool shortName, const LocalClock& clock,
                           const PathExists& exists);

// The same with the system's local time and file system (Windows build).
std::string MakeUniqueName(const std::string& folder, const std::string& prefix,
                           const std::string& suffix, bool shortName);

}  // namespace cv
