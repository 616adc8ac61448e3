#pragma once
// Numeric text conversions. None of them depends on the C locale or the
// user's regional settings.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cv {

// The value of one hexadecimal digit of either case, -1 for any other character.
int HexDigitValue(char c);

// Digits of a non-negative `value` in `base` (2 to 36; digits 0-9 then A-Z),
// left-padded with "0" to `width`. A value wider than `width` keeps all its
// digits; 0 gives "0" (padded).
std::string IntToBase(std::uint64_t value, int width, int base);

// `text` prefixed with copies of `ch` up to `width`; longer texts unchanged.
std::string PadLeft(char ch, std::string_view text, int width);

// `text` read as a hexadecimal integer, 0 when it is no number.
//
// A "$" is put in front unless the text already holds one, and the result is
// read as an integer text "[sign]$digits": so "1F" and "$1F" give 31 and
// "-$1F" gives -31, while "-1F", "x$1F", "1$F", "$", "" and texts with blanks
// are no numbers. Digits may be of either case. The digits' value must fit
// in 32 bits (leading zeros do not count); it is taken as a 32-bit two's
// complement pattern, so "FFFFFFFF" gives -1, and "100000000" is no number.
std::int32_t HexToInt(std::string_view text);

// Upper-case hexadecimal digits of `value`, left-padded with "0" to at least
// `digits` digits. A negative 32-bit integer passed here gives its two's
// complement pattern (-1 gives "FFFFFFFF").
std::string IntToHex(std::uint32_t value, int digits);

// `text` read as a 32-bit integer: optional leading spaces, an optional sign,
// then decimal digits or "$" and hexadecimal digits, nothing after them.
// Decimal values must fit in 32 bits; hexadecimal ones are taken as a 32-bit
// pattern ("$FFFFFFFF" is -1). Anything else gives `defaultValue`.
std::int32_t StrToIntDef(std::string_view text, std::int32_t defaultValue);
// The same, nothing when `text` is no integer text.
std::optional<std::int32_t> TryStrToInt(std::string_view text);
// The same syntax read as a 32-bit unsigned pattern: decimal values up to
// 4294967295, negative ones down to -2147483648 as their two's complement.
std::optional<std::uint32_t> TryStrToUInt32(std::string_view text);

// `text` read as a decimal floating-point number with "." as the decimal
// separator, or `defaultValue` when it is not one. Accepted: optional spaces
// around the number, an optional "+" or "-", digits with an optional
// fraction ("1.", ".5" and "1.5"; at least one digit), and an optional
// exponent ("e" or "E", optional sign, at least one digit). Not accepted:
// "," as separator, thousands separators, hexadecimal, "inf" and "nan". A
// number too large for a double gives `defaultValue`; one too small to be
// told from zero gives 0 (with its sign).
double StrToFloatDef(std::string_view text, double defaultValue);

// The double nearest to a decimal text already known to be of the form
// digits[.digits][(e|E)[sign]digits] (either digit run may be empty, not
// both), or nothing when its value is too large for a double or too small to
// be told from zero. Read by the C library, which programs here keep in the
// "C" locale: the standard library's own reader for this costs the shipped
// engine 40 KB.
std::optional<double> ReadCheckedDecimal(std::string_view text);

// `value` (finite) in plain decimal notation with the fewest significant
// digits that read back to the same double: 100000 gives "100000", never
// "1e+05"; 0.1 gives "0.1"; -0.0 gives "-0".
std::string ShortestFixedText(double value);

}  // namespace cv
