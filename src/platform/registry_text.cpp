#include "platform/registry_text.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "platform/case_map.h"
#include "platform/numbers.h"

namespace cv {


RegistryPathParts SplitRegistryPath(std::string_view path) {
  // Searched in this order; short names first.
  static constexpr std::array<std::pair<std::string_view, RegistryRoot>, 8> kRoots = {{
      {"HKCR", RegistryRoot::ClassesRoot},
      {"HKCU", RegistryRoot::CurrentUser},
      {"HKLM", RegistryRoot::LocalMachine},
      {"HKU", RegistryRoot::Users},
      {"HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot},
      {"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
      {"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
      {"HKEY_USERS", RegistryRoot::Users},
  }};
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  const std::size_t slash = path.find('\\');
  const std::string_view first = path.substr(0, slash);
  for (const auto& [name, root] : kRoots) {
    if (SameAsciiNoCase(first, name)) {
      return {root, slash == std::string_view::npos ? std::string()
                                                    : std::string(path.substr(slash + 1))};
    }
  }
  return {RegistryRoot::CurrentUser, std::string(path)};
}

RegistryKeyName SplitRegistryKeyName(std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  const std::size_t at = path.find_last_of("\\:");
  const std::size_t start = at == std::string_view::npos ? 0 : at + 1;
  return {std::string(path.substr(0, start)), std::string(path.substr(start))};
}

std::string RegistryStringFromBytes(std::string_view bytes) {
  if (!bytes.empty() && bytes.back() == '\0') bytes.remove_suffix(1);
  return std::string(bytes);
}

std::string RegistryBinaryToText(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

std::string RegistryBinaryFromText(std::string_view text) {
  std::string digits;
  digits.reserve(text.size());
  for (const char c : text) {
    if (c != ' ') digits += c;
  }
  std::string bytes;
  bytes.reserve(digits.size() / 2);
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
    const int high = HexDigitValue(digits[i]);
    const int low = HexDigitValue(digits[i + 1]);
    bytes += (high < 0 || low < 0) ? '\0' : static_cast<char>(high * 16 + low);
  }
  return bytes;
}

std::string RegistryDwordToText(std::uint32_t value) { return std::to_string(value); }

std::uint32_t RegistryDwordFromText(std::string_view text) {
  // Tabs count as leading blanks, and "0x" marks hexadecimal like "$".
  std::string integer(text.substr(std::min(text.find_first_not_of(" \t"), text.size())));
  const std::size_t digits = !integer.empty() && (integer[0] == '+' || integer[0] == '-') ? 1 : 0;
  if (integer.size() >= digits + 2 && integer[digits] == '0' &&
      (integer[digits + 1] == 'x' || integer[digits + 1] == 'X')) {
    integer.replace(digits, 2, "$");
  }
  return TryStrToUInt32(integer).value_or(0);
}

std::string RegistryMultiStringToText(std::string_view bytes) {
  bytes.remove_suffix(bytes.size() < 2 ? bytes.size() : 2);
  std::string text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    if (c == '\0') {
      text += "\r\n";
    } else {
      text += c;
    }
  }
  return text;
}

std::string RegistryMultiStringFromText(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size() + 2);
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = i;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    if (i != 0) bytes += '\0';  // not the first line: separate it from the one before
    bytes.append(text.substr(i, end - i));
    i = end;
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') ++i;  // LF alone or after CR
  }
  bytes += '\0';
  bytes += '\0';
  return bytes;
}

std::optional<std::string> RegistryValueText(std::uint32_t type, std::string_view bytes) {
  switch (type) {
    case 1:
    case 2: return RegistryStringFromBytes(bytes);
    case 3: return RegistryBinaryToText(bytes);
    case 4: {
      if (bytes.size() < 4) return std::nullopt;
      std::uint32_t value = 0;
      for (std::size_t i = 4; i > 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[i - 1]);
      }
      return RegistryDwordToText(value);
    }
    case 7: return RegistryMultiStringToText(bytes);
    default: return std::nullopt;
  }
}

std::optional<std::string> RegistryValueBytes(std::uint32_t type, std::string_view text) {
  switch (type) {
    case 1:
    case 2: {
      std::string bytes(text);
      bytes += '\0';
      return bytes;
    }
    case 3: return RegistryBinaryFromText(text);
    case 4: {
      const std::uint32_t value = RegistryDwordFromText(text);
      std::string bytes(4, '\0');
      for (std::size_t i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
      return bytes;
    }
    case 7: return RegistryMultiStringFromText(text);
    default: return std::nullopt;
  }
}

}  // namespace cv
