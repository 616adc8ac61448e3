#pragma once
// Local date and time values and the engine's fixed formats: dates are
// "mm/dd/yyyy" and times "hh:mm:ss" whatever the user's locale, so that
// variables and the install log read the same on every machine.

#include <string>

namespace cv {

struct LocalTime {
  int Year = 0;
  int Month = 1;  // 1-12
  int Day = 1;    // 1-31
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
};

struct DateTimeFormats {
  std::string ShortDate = "mm/dd/yyyy";
  char DateSeparator = '/';
  std::string LongTime = "hh:mm:ss";
  char TimeSeparator = ':';
};

// The formats in force for the process.
const DateTimeFormats& CurrentDateTimeFormats();
// Fixes the process-wide formats to the engine's own (done at start-up).
void UseEngineDateTimeFormats();

// The local date and time now (Windows); the native Linux build answers the
// C library's local time.
LocalTime CurrentLocalTime();

// `time` formatted with the short date format or the long time format in
// force. Known format letters: d, dd, m, mm, yy, yyyy, h, hh, n, nn, s, ss.
std::string FormatDate(const LocalTime& time);
std::string FormatTime(const LocalTime& time);

}  // namespace cv
