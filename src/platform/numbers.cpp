#include "platform/numbers.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <system_error>

namespace cv {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

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
  if (text.find_first_of(" \t") != std::string_view::npos) return 0;
  // The text brings its own "$" or is read after one.
  if (text.find('$') != std::string_view::npos) return TryStrToInt(text).value_or(0);
  std::string marked(1, '$');
  marked.append(text);
  return TryStrToInt(marked).value_or(0);
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

  const std::optional<double> value = ReadCheckedDecimal(text.substr(numberStart));
  if (!value) {
    if (leadPower + exponent >= 0) return defaultValue;  // too large
    return negative ? -0.0 : 0.0;                        // too small
  }
  return negative ? -*value : *value;
}

namespace {

// An integer text: optional leading spaces, an optional sign, then decimal
// digits or "$" and hexadecimal digits, nothing after them; the digits'
// value must fit in 32 bits.
struct IntegerText {
  bool Negative = false;
  bool Hex = false;
  std::uint32_t Magnitude = 0;
};

std::optional<IntegerText> ReadIntegerText(std::string_view text) {
  IntegerText read;
  std::size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) read.Negative = text[at++] == '-';
  read.Hex = at < text.size() && text[at] == '$';
  if (read.Hex) ++at;
  if (at >= text.size()) return std::nullopt;
  const unsigned base = read.Hex ? 16 : 10;
  std::uint64_t value = 0;
  for (; at < text.size(); ++at) {
    const int digit = HexDigitValue(text[at]);
    if (digit < 0 || static_cast<unsigned>(digit) >= base) return std::nullopt;
    value = value * base + static_cast<unsigned>(digit);
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  read.Magnitude = static_cast<std::uint32_t>(value);
  return read;
}

}  // namespace

std::optional<std::int32_t> TryStrToInt(std::string_view text) {
  const auto read = ReadIntegerText(text);
  if (!read) return std::nullopt;
  if (read->Hex) {
    // Hexadecimal digits spell a 32-bit pattern, "$FFFFFFFF" is -1.
    const std::uint32_t pattern = read->Negative ? 0u - read->Magnitude : read->Magnitude;
    return static_cast<std::int32_t>(pattern);
  }
  if (read->Negative) {
    if (read->Magnitude > 0x80000000u) return std::nullopt;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(read->Magnitude));
  }
  if (read->Magnitude > 0x7FFFFFFFu) return std::nullopt;
  return static_cast<std::int32_t>(read->Magnitude);
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t defaultValue) {
  return TryStrToInt(text).value_or(defaultValue);
}

std::optional<std::uint32_t> TryStrToUInt32(std::string_view text) {
  const auto read = ReadIntegerText(text);
  if (!read) return std::nullopt;
  if (read->Negative) {
    if (!read->Hex && read->Magnitude > 0x80000000u) return std::nullopt;
    return 0u - read->Magnitude;
  }
  return read->Magnitude;
}

std::optional<double> ReadCheckedDecimal(std::string_view text) {
  const std::string copy(text);  // strtod needs the terminating zero
  errno = 0;
  const double value = std::strtod(copy.c_str(), nullptr);
  // A result that is merely subnormal is still the nearest double; only one
  // that overflowed or became zero is out of range.
  if (errno == ERANGE && (std::isinf(value) || value == 0)) return std::nullopt;
  return value;
}

std::string ShortestFixedText(double value) {
  // The correctly rounded significant digits, fewest first, until they read
  // back to the value ("%.*e" gives "d.ddde[sign]x").
  char scientific[40];
  for (int precision = 0; precision <= 16; ++precision) {
    std::snprintf(scientific, sizeof scientific, "%.*e", precision, value);
    if (std::strtod(scientific, nullptr) == value) break;
  }
  std::string_view text(scientific);
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  const std::size_t e = text.find_first_of("eE");
  std::string digits;
  for (const char c : text.substr(0, e)) {
    if (IsDigit(c)) digits.push_back(c);
  }
  const int exponent =
      e == std::string_view::npos ? 0 : std::atoi(std::string(text.substr(e + 1)).c_str());
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  // The first digit stands for 10^exponent: place the point after digit
  // exponent+1, padding with zeros on either side.
  const long point = exponent + 1;
  const long count = static_cast<long>(digits.size());
  std::string result(negative ? 1 : 0, '-');
  if (point <= 0) {
    result.append("0.");
    result.append(static_cast<std::size_t>(-point), '0');
    result.append(digits);
  } else if (point >= count) {
    result.append(digits);
    result.append(static_cast<std::size_t>(point - count), '0');
  } else {
    result.append(digits, 0, static_cast<std::size_t>(point));
    result.push_back('.');
    result.append(digits, static_cast<std::size_t>(point));
  }
  return result;
}

}  // namespace cv
