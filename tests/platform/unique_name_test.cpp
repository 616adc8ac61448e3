#include "platform/unique_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cv {
namespace {

LocalTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
             int millisecond = 0) {
  return LocalTime{year, month, day, hour, minute, second, millisecond};
}

struct DayCase {
  LocalTime Time;
  int Expected;
};

TEST(UniqueNameDayNumber, YearDigitTimes365PlusLeapDaysPlusDayOfYear) {
  const DayCase cases[] = {
      {At(2000, 1, 1), 1},      {At(2000, 12, 31), 366},  // 2000 is a leap year
      {At(1900, 3, 1), 60},                               // 1900 is not
      {At(2003, 3, 1), 1155},                             // 3*365 + 0 + 60
      {At(2004, 2, 29), 1521},                            // 4*365 + 1 + 60
      {At(2004, 3, 1), 1522},                             // the leap day pushes March on
      {At(2008, 12, 31), 3288},                           // 8*365 + 2 + 366
      {At(2009, 12, 31), 3652},                           // the largest day number there is
      {At(2011, 1, 1), 366},                              // 1*365 + 0 + 1
      {At(2015, 6, 15), 1992},                            // 5*365 + 1 + 166
  };
  for (const DayCase& c : cases) {
    EXPECT_EQ(UniqueNameDayNumber(c.Time), c.Expected)
        << c.Time.Year << "-" << c.Time.Month << "-" << c.Time.Day;
  }
}

TEST(UniqueNameTimeNumber, HundredthsOfASecondSinceMidnight) {
  EXPECT_EQ(UniqueNameTimeNumber(At(2004, 1, 1, 0, 0, 0, 0)), 0);
  EXPECT_EQ(UniqueNameTimeNumber(At(2004, 1, 1, 0, 0, 1, 5)), 100);  // 5 ms rounds down
  EXPECT_EQ(UniqueNameTimeNumber(At(2004, 1, 1, 12, 34, 56, 789)), 4529678);
  EXPECT_EQ(UniqueNameTimeNumber(At(2004, 1, 1, 23, 59, 59, 999)), 8639999);
}

TEST(UniqueNameCode, ThreeDayDigitsThenFiveTimeDigitsInBase32) {
  EXPECT_EQ(UniqueNameCode(At(2000, 1, 1, 0, 0, 0, 0)), "00100000");
  EXPECT_EQ(UniqueNameCode(At(2000, 1, 1, 0, 0, 1, 5)), "00100034");
  EXPECT_EQ(UniqueNameCode(At(2004, 3, 1, 12, 34, 56, 789)), "1FI4A7GE");
  // The last moment of a decade uses the top digit "V".
  EXPECT_EQ(UniqueNameCode(At(2009, 12, 31, 23, 59, 59, 999)), "3I487LFV");
}

// A clock that hands out the given times one after another and counts the
// readings.
struct ScriptedClock {
  std::vector<LocalTime> Times;
  std::size_t Reads = 0;
  LocalClock Clock() {
    return [this] { return Times.at(Reads++); };
  }
};

const PathExists kNothingExists = [](const std::string&) { return false; };

TEST(MakeUniqueName, ShortNameWithoutPrefixIsTheWholeCode) {
  ScriptedClock clock{{At(2009, 12, 31, 23, 59, 59, 999)}};
  EXPECT_EQ(MakeUniqueName("C:\\Temp\\", "", "", true, clock.Clock(), kNothingExists), "3I487LFV");
}

TEST(MakeUniqueName, ShortPrefixReplacesLeadingCodeCharacters) {
  ScriptedClock clock{{At(2009, 12, 31, 23, 59, 59, 999), At(2009, 12, 31, 23, 59, 59, 999)}};
  EXPECT_EQ(MakeUniqueName("C:\\Temp", "tmp", "", true, clock.Clock(), kNothingExists), "tmp87LFV");
  // A longer prefix is cut to four characters first.
  EXPECT_EQ(MakeUniqueName("C:\\Temp", "abcdef", "", true, clock.Clock(), kNothingExists),
            "abcd7LFV");
}

TEST(MakeUniqueName, LongNameKeepsWholePrefixCodeAndSuffix) {
  ScriptedClock clock{{At(2009, 12, 31, 23, 59, 59, 999)}};
  EXPECT_EQ(MakeUniqueName("C:\\Temp", "abcdef", ".tmp", false, clock.Clock(), kNothingExists),
            "abcdef3I487LFV.tmp");
}

TEST(MakeUniqueName, SuffixIsPartOfTheNameThatIsChecked) {
  ScriptedClock clock{{At(2009, 12, 31, 23, 59, 59, 999)}};
  std::vector<std::string> checked;
  const PathExists exists = [&](const std::string& path) {
    checked.push_back(path);
    return false;
  };
  EXPECT_EQ(MakeUniqueName("c:\\", "", ".bat", true, clock.Clock(), exists), "3I487LFV.bat");
  EXPECT_EQ(checked, (std::vector<std::string>{"c:\\3I487LFV.bat"}));
}

TEST(MakeUniqueName, TakenNameMakesItReadTheClockAgain) {
  ScriptedClock clock{{At(2000, 1, 1, 0, 0, 0, 0), At(2000, 1, 1, 0, 0, 1, 5)}};
  std::vector<std::string> checked;
  const PathExists exists = [&](const std::string& path) {
    checked.push_back(path);
    return path == "C:\\Temp\\00100000";
  };
  EXPECT_EQ(MakeUniqueName("C:\\Temp", "", "", true, clock.Clock(), exists), "00100034");
  EXPECT_EQ(clock.Reads, 2u);
  EXPECT_EQ(checked, (std::vector<std::string>{"C:\\Temp\\00100000", "C:\\Temp\\00100034"}));
}

}  // namespace
}  // namespace cv
