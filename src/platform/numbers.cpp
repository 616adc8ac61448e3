#include "platform/numbers.h"

#include <algorithm>
#include <charconv>
#include <system_error>

namespace cv {

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

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

std::int32_t HexToInt(std::string_view text) {
  std::string_view digits = text;
  bool negative = false;
  if (text.find('$') != std::string_view::npos) {
    // The text brings its own "$": it must be a whole integer text.
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
      negative = digits.front() == '-';
      digits.remove_prefix(1);
    }
    if (digits.empty() || digits.front() != '$') return 0;
    digits.remove_prefix(1);
  }
  if (digits.empty()) return 0;
  std::uint32_t value = 0;
  for (const char c : digits) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return 0;
    if (value > 0x0FFFFFFFu) return 0;  // one more digit would not fit in 32 bits
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);  // two's complement
}

std::string IntToHex(std::uint32_t value, int digits) { return IntToBase(value, digits, 16); }

double StrToFloatDef(std::string_view text, double defaultValue) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return defaultValue;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);

  // Check the whole syntax here: std::from_chars alone would stop at the
  // first unusable character, accept "inf" and "nan", and refuse a "+".
  std::size_t i = 0;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t numberStart = i;
  // Power of ten of the first significant digit, for telling an underflow
  // from an overflow; stays at its start value while only zeros are seen.
  constexpr long long kNoSignificantDigit = -1'000'000'000;
  long long leadPower = kNoSignificantDigit;
  std::size_t intDigits = 0;
  while (i < text.size() && IsDigit(text[i])) {
    ++intDigits;
    ++i;
  }
  for (std::size_t k = numberStart; k < i; ++k) {
    if (text[k] != '0') {
      leadPower = static_cast<long long>(i - k) - 1;
      break;
    }
  }
  std::size_t fracDigits = 0;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) {
      ++fracDigits;
      if (leadPower == kNoSignificantDigit && text[i] != '0') {
        leadPower = -static_cast<long long>(std::min<std::size_t>(fracDigits, 1'000'000'000));
      }
      ++i;
    }
  }
  if (intDigits + fracDigits == 0) return defaultValue;
  long long exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      negativeExponent = text[i] == '-';
      ++i;
    }
    if (i >= text.size() || !IsDigit(text[i])) return defaultValue;
    while (i < text.size() && IsDigit(text[i])) {
      exponent = std::min(exponent * 10 + (text[i] - '0'), 1'000'000'000LL);
      ++i;
    }
    if (negativeExponent) exponent = -exponent;
  }
  if (i != text.size()) return defaultValue;

  double value = 0;
  const char* const end = text.data() + text.size();
  const auto [ptr, ec] =
      std::from_chars(text.data() + numberStart, end, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    if (leadPower + exponent >= 0) return defaultValue;  // too large
    value = 0;                                           // too small
  } else if (ec != std::errc() || ptr != end) {
    return defaultValue;
  }
  return negative ? -value : value;
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t defaultValue) {
  std::size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  const bool hex = at < text.size() && text[at] == '$';
  if (hex) ++at;
  if (at >= text.size()) return defaultValue;
  std::uint64_t value = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    unsigned digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return defaultValue;
    }
    value = value * (hex ? 16 : 10) + digit;
    if (value > 0xFFFFFFFFull) return defaultValue;
  }
  if (hex) {
    const auto pattern = static_cast<std::uint32_t>(value);
    const auto magnitude = static_cast<std::int32_t>(pattern);
    return negative ? static_cast<std::int32_t>(0u - pattern) : magnitude;
  }
  if (negative) {
    if (value > 0x80000000ull) return defaultValue;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
  }
  if (value > 0x7FFFFFFFull) return defaultValue;
  return static_cast<std::int32_t>(value);
}

}  // namespace cv
