#include "script/number_text.h"

#include <cmath>
#include <cstdio>

#include "platform/numbers.h"

namespace cv {

double NumberFromText(std::string_view text) { return StrToFloatDef(text, 0.0); }

std::string NumberToText(double value) {
  if (std::isnan(value)) throw EMathError("Invalid floating point operation");
  if (std::isinf(value)) throw EMathError("Floating point overflow");
  if (value == 0) return "0";  // also for -0
  // Fifteen significant digits, in scientific notation only for very large
  // or small values.
  char buffer[64];
  const int length = std::snprintf(buffer, sizeof buffer, "%.15g", value);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return "0";
  return std::string(buffer, static_cast<std::size_t>(length));
}

}  // namespace cv
