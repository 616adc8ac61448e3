#include "platform/date_time.h"

#include <gtest/gtest.h>

namespace cv {
namespace {

LocalTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return LocalTime{year, month, day, hour, minute, second, 0};
}

class EngineDateTime : public ::testing::Test {
 protected:
  void SetUp() override { UseEngineDateTimeFormats(); }
};

TEST_F(EngineDateTime, FormatsAreFixedWhateverTheLocale) {
  const DateTimeFormats& formats = CurrentDateTimeFormats();
  EXPECT_EQ(formats.ShortDate, "mm/dd/yyyy");
  EXPECT_EQ(formats.DateSeparator, '/');
  EXPECT_EQ(formats.LongTime, "hh:mm:ss");
  EXPECT_EQ(formats.TimeSeparator, ':');
}

TEST_F(EngineDateTime, DateIsMonthDayYearWithLeadingZeros) {
  EXPECT_EQ(FormatDate(At(2004, 2, 29)), "02/29/2004");
  EXPECT_EQ(FormatDate(At(2010, 12, 5)), "12/05/2010");
  EXPECT_EQ(FormatDate(At(999, 1, 1)), "01/01/0999");
}

TEST_F(EngineDateTime, DateIgnoresTheTimeOfDay) {
  EXPECT_EQ(FormatDate(At(2003, 3, 7, 23, 45, 59)), "03/07/2003");
}

TEST_F(EngineDateTime, TimeIsTwentyFourHourWithLeadingZeros) {
  EXPECT_EQ(FormatTime(At(2004, 1, 1, 9, 5, 7)), "09:05:07");
  EXPECT_EQ(FormatTime(At(2004, 1, 1, 23, 59, 59)), "23:59:59");
  EXPECT_EQ(FormatTime(At(2004, 1, 1, 0, 0, 0)), "00:00:00");
}

TEST_F(EngineDateTime, MinutesNotMonthInTheTimeFormat) {
  // "mm" between hours and seconds means minutes.
  EXPECT_EQ(FormatTime(At(2004, 12, 1, 14, 3, 30)), "14:03:30");
}

}  // namespace
}  // namespace cv
