// Built-in functions on texts, line lists, versions, dates and numbers.

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "platform/case_map.h"
#include "platform/date_time.h"
#include "platform/error.h"
#include "platform/format_text.h"
#include "platform/locale_text.h"
#include "platform/text_search.h"
#include "platform/version_text.h"
#include "script/function_args.h"
#include "script/line_list.h"
#include "script/number_text.h"

namespace cv::builtin {

namespace {

// The folder part of a path: up to its last "\" or ":".
std::size_t NameStart(std::string_view path) {
  const auto separator = path.find_last_of("\\:");
  return separator == std::string_view::npos ? 0 : separator + 1;
}

int Sign(std::int64_t value) { return value > 0 ? 1 : value < 0 ? -1 : 0; }

class InvalidDate : public Error {
 public:
  explicit InvalidDate(const std::string& text)
      : Error(FormatText("'%s' is not a valid date and time", {text})) {}
};

bool ReadNumber(std::string_view& text, int& value) {
  std::size_t digits = 0;
  value = 0;
  while (digits < text.size() && digits < 5 && text[digits] >= '0' && text[digits] <= '9') {
    value = value * 10 + (text[digits] - '0');
    ++digits;
  }
  text.remove_prefix(digits);
  return digits > 0;
}

bool Skip(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// A date in the short date format in force (day, month and year in its
// order), optionally followed by a time "h:n[:s]"; or a time alone. The
// comparison key counts seconds from year 0.
std::int64_t DateTimeKey(const std::string& original) {
  const DateTimeFormats& formats = CurrentDateTimeFormats();
  std::string_view text = original;
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  int year = 1899, month = 12, day = 30;  // the date of value 0
  int hour = 0, minute = 0, second = 0;
  const bool hasDate = text.find(formats.DateSeparator) != std::string_view::npos;
  if (hasDate) {
    // The order of d, m and y in the short date format.
    std::string order;
    for (const char c : formats.ShortDate) {
      const char lower = static_cast<char>(c | 0x20);
      if ((lower == 'd' || lower == 'm' || lower == 'y') && order.find(lower) == std::string::npos)
        order += lower;
    }
    if (order.size() != 3) order = "mdy";
    int* fields[3];
    for (int i = 0; i < 3; ++i) {
      fields[i] = order[i] == 'd' ? &day : order[i] == 'm' ? &month : &year;
    }
    for (int i = 0; i < 3; ++i) {
      int digitsBefore = static_cast<int>(text.size());
      if (!ReadNumber(text, *fields[i])) throw InvalidDate(original);
      if (fields[i] == &year && digitsBefore - static_cast<int>(text.size()) <= 2) {
        year += year < 50 ? 2000 : 1900;
      }
      if (i < 2 && !Skip(text, formats.DateSeparator)) throw InvalidDate(original);
    }
    if (!text.empty() && !Skip(text, ' ')) throw InvalidDate(original);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  }
  if (!text.empty()) {
    if (!ReadNumber(text, hour) || !Skip(text, formats.TimeSeparator) ||
        !ReadNumber(text, minute)) {
      throw InvalidDate(original);
    }
    if (Skip(text, formats.TimeSeparator) && !ReadNumber(text, second)) throw InvalidDate(original);
    if (!text.empty()) throw InvalidDate(original);
  }
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 59 || year < 1 || year > 9999) {
    throw InvalidDate(original);
  }
  std::int64_t days = 0;
  for (int y = 1; y < year; ++y) days += (y % 4 == 0 && y % 100 != 0) || y % 400 == 0 ? 366 : 365;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  days += day;
  return ((days * 24 + hour) * 60 + minute) * 60 + second;
}

}  // namespace

CV_FUNCTION(SubStr) {
  (void)context;
  const std::string& text = Arg(args, 0);
  const std::int64_t start = std::max<std::int64_t>(ArgInt(args, 1, 1), 1);
  const std::int64_t count = ArgInt(args, 2, 0);
  const auto size = static_cast<std::int64_t>(text.size());
  if (count <= 0 || start > size) {
    result.clear();
  } else {
    result = text.substr(static_cast<std::size_t>(start - 1),
                         static_cast<std::size_t>(std::min(count, size - start + 1)));
  }
}

CV_FUNCTION(FindSubStr) {
  (void)context;
  result = std::to_string(FindTextNoCase(Arg(args, 1), Arg(args, 0), ArgInt(args, 2, 1)));
}

CV_FUNCTION(Length) {
  (void)context;
  result = std::to_string(Arg(args, 0).size());
}

CV_FUNCTION(CompareText) {
  (void)context;
  result = std::to_string(CompareTextLocale(Arg(args, 0), Arg(args, 1)));
}

CV_FUNCTION(ReplaceStr) {
  (void)context;
  result = ArgFlag(args, 3) ? ReplaceAllNoCase(Arg(args, 0), Arg(args, 1), Arg(args, 2))
                            : ReplaceAll(Arg(args, 0), Arg(args, 1), Arg(args, 2));
}

CV_FUNCTION(FilePath) {
  (void)context;
  const std::string& path = Arg(args, 0);
  result = path.substr(0, NameStart(path));
  if (!result.empty() && result.back() == '\\') result.pop_back();
}

CV_FUNCTION(FileName) {
  (void)context;
  const std::string& path = Arg(args, 0);
  result = path.substr(NameStart(path));
}

CV_FUNCTION(NormalPath) {
  (void)context;
  std::string path = Arg(args, 0);
  if (!path.empty() && path.front() == '"') {
    // The quoted part, with doubled quotes read as one.
    std::string inner;
    for (std::size_t i = 1; i < path.size(); ++i) {
      if (path[i] == '"') {
        if (i + 1 < path.size() && path[i + 1] == '"') {
          inner += '"';
          ++i;
          continue;
        }
        break;
      }
      inner += path[i];
    }
    path = std::move(inner);
  }
  if (!path.empty() && path.back() != '\\') path += '\\';
  result = std::move(path);
}

CV_FUNCTION(GetListCount) {
  (void)context;
  result = std::to_string(SplitLineList(Arg(args, 0)).size());
}

CV_FUNCTION(GetListStr) {
  (void)context;
  const std::vector<std::string> lines = SplitLineList(Arg(args, 0));
  const std::int32_t index = ArgInt(args, 1);
  result = index >= 0 && static_cast<std::size_t>(index) < lines.size()
               ? lines[static_cast<std::size_t>(index)]
               : std::string();
}

CV_FUNCTION(FindListStr) {
  (void)context;
  const std::vector<std::string> lines = SplitLineList(Arg(args, 0));
  const std::string& wanted = Arg(args, 1);
  const bool ignoreCase = ArgFlag(args, 2);
  int found = -1;
  for (std::size_t i = 0; i < lines.size() && found < 0; ++i) {
    if (ignoreCase ? SameTextNoCase(lines[i], wanted) : lines[i] == wanted) {
      found = static_cast<int>(i);
    }
  }
  result = std::to_string(found);
}

CV_FUNCTION(Iif) {
  (void)context;
  result = ArgFlag(args, 0) ? Arg(args, 1) : Arg(args, 2);
}

CV_FUNCTION(CompareVersion) {
  (void)context;
  result = std::to_string(CompareVersions(Arg(args, 0), Arg(args, 1)));
}

CV_FUNCTION(CompareDate) {
  (void)context;
  result = std::to_string(Sign(DateTimeKey(Arg(args, 0)) - DateTimeKey(Arg(args, 1))));
}

CV_FUNCTION(Round) {
  (void)context;
  // Halves go to the even neighbour, as the default rounding mode does.
  result = NumberToText(std::nearbyint(NumberFromText(Arg(args, 0))));
}

}  // namespace cv::builtin
