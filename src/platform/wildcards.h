#pragma once
// Wildcard masks with "*" (any run of characters) and "?" (any one character).

#include <cstddef>
#include <string_view>

namespace cv {

bool HasWildcards(std::string_view text);

// 1-based position of the first place where `segment` matches `text`, "?" in
// the segment matching any character; 0 when absent or when the segment is
// longer than the text.
std::size_t FindWithJoker(std::string_view segment, std::string_view text);

// Whether `text` matches `mask`; with `ignoreCase` both are upper-cased by the
// locale first.
bool MatchesMask(std::string_view text, std::string_view mask, bool ignoreCase);

}  // namespace cv
