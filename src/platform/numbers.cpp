#include "platform/numbers.h"

#include <algorithm>

namespace cv {

std::string IntToBase(std::uint64_t value, int width, int base) {
  static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  base = std::clamp(base, 2, 36);
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[value % static_cast<unsigned>(base)]);
    value /= static_cast<unsigned>(base);
  } while (value != 0);
  return PadLeft('0', digits, width);
}

std::string PadLeft(char ch, std::string_view text, int width) {
  std::string out;
  if (width > 0 && text.size() < static_cast<std::size_t>(width)) {
    out.assign(static_cast<std::size_t>(width) - text.size(), ch);
  }
  out += text;
  return out;
}

}  // namespace cv
