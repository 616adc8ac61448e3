#pragma once
// The text forms of simple property values in XML attributes.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace cv {

// Decimal, or "$" hexadecimal; anything unparsable (or out of range) gives 0.
std::int32_t IntegerFromText(std::string_view text);
std::string IntegerToText(std::int32_t value);

// First character, or 0 for empty text; 0 is written as nothing.
char CharacterFromText(std::string_view text);
std::string CharacterToText(char value);

// Only "1" is true.
bool BooleanFromText(std::string_view text);
std::string BooleanToText(bool value);

// "." as decimal separator whatever the locale; unparsable gives 0. Written
// as the shortest text that reads back the same value (integral values have
// no decimal point).
double FloatFromText(std::string_view text);
std::string FloatToText(double value);

// `prefix` + `text` looked up among `names` ignoring case; unknown gives 0.
int EnumFromText(std::string_view text, std::string_view prefix,
                 std::span<const std::string_view> names);
// The value's name without as many leading characters as `prefix` has, in
// lower case; empty for an ordinal without a name.
std::string EnumToText(int ordinal, std::string_view prefix,
                       std::span<const std::string_view> names);

// Comma-separated pieces, each trimmed, prefixed and looked up; unknown
// pieces and ordinals above 31 are ignored.
std::uint32_t SetFromText(std::string_view text, std::string_view prefix,
                          std::span<const std::string_view> names);
// Contained names in ascending ordinal order, prefix length removed, joined
// by "," in lower case.
std::string SetToText(std::uint32_t mask, std::string_view prefix,
                      std::span<const std::string_view> names);

}  // namespace cv
