#include "platform/win/regional_settings.h"

#include <windows.h>

namespace cv {

namespace {

void ReadLocaleText(LCTYPE type, std::string& text) {
  char buffer[16];
  const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
  if (length > 1) text.assign(buffer, static_cast<std::size_t>(length - 1));
}

}  // namespace

DateTimeSeparators UserDateTimeSeparators() {
  DateTimeSeparators separators;
  ReadLocaleText(LOCALE_SDATE, separators.Date);
  ReadLocaleText(LOCALE_STIME, separators.Time);
  return separators;
}

}  // namespace cv
