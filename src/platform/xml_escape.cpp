#include "platform/xml_escape.h"

#include <algorithm>

namespace cv {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool MustEscape(unsigned char b, std::string_view extraSet) {
  return b < 32 || b == '&' || (b >= 127 && b <= 191) ||
         extraSet.find(static_cast<char>(b)) != std::string_view::npos;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Two hexadecimal digits as a byte; anything else is 0.
char HexPairByte(char high, char low) {
  const int h = HexDigitValue(high);
  const int l = HexDigitValue(low);
  if (h < 0 || l < 0) return '\0';
  return static_cast<char>(h * 16 + l);
}

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string Trimmed(std::string_view text) {
  const auto first = std::find_if_not(text.begin(), text.end(), IsBlankOrControl);
  const auto last = std::find_if_not(text.rbegin(), text.rend(), IsBlankOrControl).base();
  if (first >= last) return {};
  return std::string(first, last);
}

}  // namespace

std::string EscapeChars(std::string_view text, std::string_view extraSet) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (MustEscape(b, extraSet)) {
      out += "&#x";
      out += kHexDigits[b >> 4];
      out += kHexDigits[b & 0x0F];
      out += ';';
    } else {
      out += c;
    }
  }
  return out;
}

std::string UnescapeChars(std::string_view text) {
  if (text.find('&') == std::string_view::npos) return Trimmed(text);
  // Decoding at a position only changes what lies after it, so the text is
  // rebuilt from its end: `reversed` holds the already scanned tail, last
  // byte first. This keeps the scan linear however many escapes there are.
  std::string reversed;
  reversed.reserve(text.size());
  for (std::size_t i = text.size(); i-- > 0;) {
    const std::size_t tail = reversed.size();
    if (text[i] == '&' && tail >= 5 && reversed[tail - 1] == '#' && reversed[tail - 2] == 'x') {
      const char decoded = HexPairByte(reversed[tail - 3], reversed[tail - 4]);
      reversed.resize(tail - 5);  // "#x", the two digits and the closing byte
      reversed += decoded;
    } else {
      reversed += text[i];
    }
  }
  std::reverse(reversed.begin(), reversed.end());
  return Trimmed(reversed);
}

}  // namespace cv
