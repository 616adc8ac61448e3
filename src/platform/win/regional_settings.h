#pragma once
// What the user chose in the regional settings, for the few texts that
// follow them rather than the engine's fixed formats.

#include <string>

namespace cv {

// The user's date and time separators; "/" and ":" when the system has none.
struct DateTimeSeparators {
  std::string Date = "/";
  std::string Time = ":";
};
DateTimeSeparators UserDateTimeSeparators();

}  // namespace cv
