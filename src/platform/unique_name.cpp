#include "platform/unique_name.h"

#include "platform/paths.h"
#include "platform/numbers.h"

namespace cv {

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DayOfYear(const LocalTime& time) {
  static constexpr int kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const int month = time.Month < 1 ? 1 : (time.Month > 12 ? 12 : time.Month);
  int day = kDaysBefore[month - 1] + time.Day;
  if (month > 2 && IsLeapYear(time.Year)) ++day;
  return day;
}

}  // namespace

int UniqueNameDayNumber(const LocalTime& time) {
  const int decade = time.Year % 10;
  return decade * 365 + decade / 4 + DayOfYear(time);
}

int UniqueNameTimeNumber(const LocalTime& time) {
  return time.Hour * 360000 + time.Minute * 6000 + time.Second * 100 + time.Millisecond / 10;
}

std::string UniqueNameCode(const LocalTime& time) {
  return IntToBase(static_cast<unsigned>(UniqueNameDayNumber(time)), 3, 32) +
         IntToBase(static_cast<unsigned>(UniqueNameTimeNumber(time)), 5, 32);
}

std::string MakeUniqueName(const std::string& folderIn, const std::string& prefixIn,
                           const std::string& suffix, bool shortName, const LocalClock& clock,
                           const PathExists& exists) {
  const std::string folder = IncludeBackslash(folderIn);
  const std::string prefix = shortName ? prefixIn.substr(0, 4) : prefixIn;
  for (;;) {
    std::string code = UniqueNameCode(clock());
    if (shortName) code.erase(0, prefix.size());
    std::string name = prefix + code + suffix;
    if (!exists(folder + name)) return name;
  }
}

}  // namespace cv
