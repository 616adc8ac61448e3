#include "script/number_text.h"

#include <charconv>
#include <cmath>

#include "platform/numbers.h"

namespace cv {

double NumberFromText(std::string_view text) { return StrToFloatDef(text, 0.0); }

std::string NumberToText(double value) {
  if (std::isnan(value)) throw EMathError("Invalid floating point operation");
  if (std::isinf(value)) throw EMathError("Floating point overflow");
  if (value == 0) return "0";  // also for -0
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  if (error != std::errc()) return "0";
  return std::string(buffer, end);
}

}  // namespace cv
