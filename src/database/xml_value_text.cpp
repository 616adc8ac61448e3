#include "database/xml_value_text.h"

#include <cmath>
#include <limits>

#include "platform/case_map.h"
#include "platform/numbers.h"
#include "platform/trim.h"

namespace cv {

namespace {

int FindName(std::string_view wanted, std::span<const std::string_view> names) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (SameAsciiNoCase(names[i], wanted)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

std::int32_t IntegerFromText(std::string_view text) { return StrToIntDef(text, 0); }

std::string IntegerToText(std::int32_t value) { return std::to_string(value); }

char CharacterFromText(std::string_view text) { return text.empty() ? '\0' : text.front(); }

std::string CharacterToText(char value) {
  return value == '\0' ? std::string() : std::string(1, value);
}

bool BooleanFromText(std::string_view text) { return text == "1"; }

std::string BooleanToText(bool value) { return value ? "1" : "0"; }

double FloatFromText(std::string_view text) {
  // Blanks and control characters around the number are allowed; anything
  // that is not a finite decimal number reads as 0.
  return StrToFloatDef(Trim(text), 0.0);
}

std::string FloatToText(double value) {
  if (!std::isfinite(value)) return "0";
  // Plain decimal notation with the fewest digits that read back to the same
  // value: 100000 stays "100000", never "1e+05".
  return ShortestFixedText(value);
}

int EnumFromText(std::string_view text, std::string_view prefix,
                 std::span<const std::string_view> names) {
  std::string wanted(prefix);
  wanted += text;
  const int found = FindName(wanted, names);
  return found < 0 ? 0 : found;
}

std::string EnumToText(int ordinal, std::string_view prefix,
                       std::span<const std::string_view> names) {
  if (ordinal < 0 || static_cast<std::size_t>(ordinal) >= names.size()) return {};
  const std::string_view name = names[static_cast<std::size_t>(ordinal)];
  return LowerAscii(name.substr(std::min(prefix.size(), name.size())));
}

std::uint32_t SetFromText(std::string_view text, std::string_view prefix,
                          std::span<const std::string_view> names) {
  std::uint32_t mask = 0;
  while (true) {
    const auto comma = text.find(',');
    const std::string_view piece = Trim(text.substr(0, comma));
    if (!piece.empty()) {
      std::string wanted(prefix);
      wanted += piece;
      const int found = FindName(wanted, names);
      if (found >= 0 && found <= 31) mask |= 1u << found;
    }
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return mask;
}

std::string SetToText(std::uint32_t mask, std::string_view prefix,
                      std::span<const std::string_view> names) {
  std::string out;
  for (std::size_t i = 0; i < names.size() && i < 32; ++i) {
    if ((mask & (1u << i)) == 0) continue;
    if (!out.empty()) out += ',';
    out += EnumToText(static_cast<int>(i), prefix, names);
  }
  return out;
}

}  // namespace cv
