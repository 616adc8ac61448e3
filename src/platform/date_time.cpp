#include "platform/date_time.h"

#include <cctype>

#include "platform/numbers.h"

namespace cv {

namespace {

DateTimeFormats& Formats() {
  static DateTimeFormats formats;
  return formats;
}

// Expands the letters of a Delphi-style format; "/" and ":" stand for the
// separators, everything else is copied.
std::string Expand(const std::string& format, const LocalTime& time, bool timeFormat) {
  const DateTimeFormats& formats = Formats();
  std::string out;
  for (std::size_t i = 0; i < format.size();) {
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])));
    std::size_t run = 1;
    while (i + run < format.size() &&
           std::tolower(static_cast<unsigned char>(format[i + run])) == letter) {
      ++run;
    }
    auto number = [&](int value, int width) {
      out += PadLeft('0', std::to_string(value), run >= 2 ? width : 1);
    };
    switch (letter) {
      case 'd': number(time.Day, 2); break;
      case 'm':
        if (timeFormat) {
          number(time.Minute, 2);
        } else {
          number(time.Month, 2);
        }
        break;
      case 'n': number(time.Minute, 2); break;
      case 'y':
        if (run >= 4) {
          out += PadLeft('0', std::to_string(time.Year), 4);
        } else {
          out += PadLeft('0', std::to_string(time.Year % 100), 2);
        }
        break;
      case 'h': number(time.Hour, 2); break;
      case 's': number(time.Second, 2); break;
      case '/': out.append(run, formats.DateSeparator); break;
      case ':': out.append(run, formats.TimeSeparator); break;
      default: out.append(format, i, run); break;
    }
    i += run;
  }
  return out;
}

}  // namespace

const DateTimeFormats& CurrentDateTimeFormats() { return Formats(); }

void UseEngineDateTimeFormats() { Formats() = DateTimeFormats{}; }

std::string FormatDate(const LocalTime& time) { return Expand(Formats().ShortDate, time, false); }

std::string FormatTime(const LocalTime& time) { return Expand(Formats().LongTime, time, true); }

}  // namespace cv
