#include "platform/text_search.h"

#include "platform/case_map.h"

namespace cv {

namespace {

// Shared loop of ReplaceAll and ReplaceAllNoCase: `searchText` and
// `searchOld` are what is compared (the input itself or its case-mapped
// copy, of the same lengths as `text` and the old text); the bytes copied to
// the result always come from `text`.
std::string ReplaceAllIn(std::string_view text, std::string_view searchText,
                         std::string_view searchOld, std::string_view newText) {
  std::string out;
  if (searchOld.empty()) return std::string(text);
  out.reserve(text.size());
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = searchText.find(searchOld, from);
    if (at == std::string_view::npos) break;
    out.append(text.substr(from, at - from));
    out.append(newText);
    from = at + searchOld.size();
  }
  out.append(text.substr(from));
  return out;
}

}  // namespace

std::size_t FindTextNoCase(std::string_view pattern, std::string_view text, std::ptrdiff_t start) {
  if (pattern.empty() || text.empty() || pattern.size() > text.size()) return 0;
  const std::size_t first = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
  const std::size_t lastPossible = text.size() - pattern.size();  // 0-based
  if (first > lastPossible) return 0;
  const std::string mappedText = CaseMapUpper(text.substr(first));
  const std::string mappedPattern = CaseMapUpper(pattern);
  const std::size_t at = std::string_view(mappedText).find(mappedPattern);
  return at == std::string_view::npos ? 0 : first + at + 1;
}

std::string ReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText) {
  return ReplaceAllIn(text, text, oldText, newText);
}

std::string ReplaceAllNoCase(std::string_view text, std::string_view oldText,
                             std::string_view newText) {
  if (oldText.empty() || oldText.size() > text.size()) return std::string(text);
  const std::string mappedText = CaseMapUpper(text);
  const std::string mappedOld = CaseMapUpper(oldText);
  return ReplaceAllIn(text, mappedText, mappedOld, newText);
}

std::size_t PosOfNth(std::string_view pattern, std::string_view text, int n) {
  if (pattern.empty() || n < 1) return 0;
  std::size_t at = std::string_view::npos;
  std::size_t from = 0;
  for (int i = 0; i < n; ++i) {
    at = text.find(pattern, from);
    if (at == std::string_view::npos) return 0;
    from = at + 1;
  }
  return at + 1;
}

std::string RemoveChar(std::string_view text, char ch) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != ch) out += c;
  }
  return out;
}

std::string RemoveBlanks(std::string_view text) { return RemoveChar(text, ' '); }

}  // namespace cv
