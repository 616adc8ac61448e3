#include "platform/oem.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace cv {

std::string ToOem(std::string_view text) {
  // Converted in place, which the ANSI function allows. Its length is a
  // DWORD, so a longer text is converted in pieces.
  std::string out(text);
  constexpr std::size_t kPiece = INT_MAX;
  for (std::size_t at = 0; at < out.size(); at += kPiece) {
    const std::size_t count = std::min(kPiece, out.size() - at);
    CharToOemBuffA(out.data() + at, out.data() + at, static_cast<DWORD>(count));
  }
  return out;
}

}  // namespace cv
