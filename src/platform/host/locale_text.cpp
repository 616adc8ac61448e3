#include "platform/locale_text.h"

#include "platform/case_map.h"

namespace cv {

std::string UpperCaseLocale(std::string_view text) { return CaseMapUpper(text); }

bool SameTextLocale(std::string_view a, std::string_view b) {
  return CaseMapUpper(a) == CaseMapUpper(b);
}

int CompareTextLocale(std::string_view a, std::string_view b) {
  if (TextLessNoCase{}(a, b)) return -1;
  return TextLessNoCase{}(b, a) ? 1 : 0;
}

}  // namespace cv
