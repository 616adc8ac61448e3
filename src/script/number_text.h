#pragma once
// Numbers in expressions are texts: read with "." as the decimal separator
// (anything else reads as 0) and written with up to 15 significant digits,
// integral values without a fraction. The output also uses "." whatever the
// user's regional settings, so a result always reads back as the same number.

#include <string>
#include <string_view>

#include "platform/error.h"

namespace cv {

// An arithmetic fault of an expression, such as a division by zero.
class EMathError : public Error {
 public:
  using Error::Error;
};

double NumberFromText(std::string_view text);
// Raises EMathError for infinities and NaN ("Floating point overflow",
// "Invalid floating point operation").
std::string NumberToText(double value);

}  // namespace cv
