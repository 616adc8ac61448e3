#include "platform/wildcards.h"

#include <string>

#include "platform/locale_text.h"

namespace cv {

bool HasWildcards(std::string_view text) {
  return text.find_first_of("*?") != std::string_view::npos;
}

std::size_t FindWithJoker(std::string_view segment, std::string_view text) {
  if (segment.size() > text.size()) return 0;
  if (segment.find('?') == std::string_view::npos) {
    const auto at = text.find(segment);
    return at == std::string_view::npos ? 0 : at + 1;
  }
  for (std::size_t start = 0; start + segment.size() <= text.size(); ++start) {
    std::size_t i = 0;
    while (i < segment.size() && (segment[i] == '?' || segment[i] == text[start + i])) ++i;
    if (i == segment.size()) return start + 1;
  }
  return 0;
}

namespace {

// Compares the mask's last segment with the end of the text, backwards.
bool TailMatches(std::string_view segment, std::string_view text) {
  if (segment.size() > text.size()) return false;
  const std::size_t offset = text.size() - segment.size();
  for (std::size_t i = 0; i < segment.size(); ++i) {
    if (segment[i] != '?' && segment[i] != text[offset + i]) return false;
  }
  return true;
}

}  // namespace

bool MatchesMask(std::string_view textIn, std::string_view maskIn, bool ignoreCase) {
  std::string text(textIn);
  std::string mask(maskIn);
  if (ignoreCase) {
    text = UpperCaseLocale(text);
    mask = UpperCaseLocale(mask);
  }
  if (text == mask) return true;
  for (auto at = mask.find("**"); at != std::string::npos; at = mask.find("**")) mask.erase(at, 1);
  if (mask == "*") return true;
  if (text.empty() || mask.empty()) return false;

  std::size_t m = 0;  // 0-based cursors
  std::size_t t = 0;
  while (m < mask.size() && t < text.size()) {
    const char mc = mask[m];
    if (mc == text[t] || mc == '?') {
      ++m;
      ++t;
      continue;
    }
    if (mc != '*') return false;
    const std::size_t segStart = m + 1;
    const std::size_t nextStar = mask.find('*', segStart);
    if (nextStar == std::string::npos) {
      return TailMatches(std::string_view(mask).substr(segStart), text);
    }
    const std::string_view segment = std::string_view(mask).substr(segStart, nextStar - segStart);
    m = nextStar;
    const std::size_t found = FindWithJoker(segment, std::string_view(text).substr(t));
    if (found == 0) return false;
    t += found - 1 + segment.size();
  }
  if (t < text.size()) return false;
  if (m < mask.size() && mask.back() != '*') return false;
  return true;
}

}  // namespace cv
