#pragma once
// Search and replace in 8-bit texts. Positions are 1-based; 0 means "not
// found". "NoCase" routines compare bytes through the fixed case map
// (case_map.h), so their answers do not depend on the user's locale.

#include <cstddef>
#include <string>
#include <string_view>

namespace cv {

// Position of the first occurrence of `pattern` in `text` at or after
// `start`, ignoring case by the case map. 0 when either text is empty, when
// `start` lies beyond the last place the pattern could begin, or when there is
// no occurrence. A `start` below 1 counts as 1.
std::size_t FindTextNoCase(std::string_view pattern, std::string_view text,
                           std::ptrdiff_t start = 1);

// `text` with every occurrence of `oldText` replaced by `newText`, scanning
// left to right. The scan goes on after each replaced occurrence in the input,
// so inserted text is never searched again. An empty `oldText` changes nothing.
std::string ReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText);

// As ReplaceAll, but occurrences are found ignoring case by the case map.
std::string ReplaceAllNoCase(std::string_view text, std::string_view oldText,
                             std::string_view newText);

// Position of the `n`-th occurrence of `pattern` in `text` (exact bytes).
// Each search starts one character after the start of the previous match, so
// occurrences may overlap ("aa" occurs twice in "aaa"). 0 when there are fewer
// than `n`, when `n` is below 1 or when `pattern` is empty.
std::size_t PosOfNth(std::string_view pattern, std::string_view text, int n);

// `text` without any `ch`.
std::string RemoveChar(std::string_view text, char ch);

// `text` without any space (other blanks and control characters stay).
std::string RemoveBlanks(std::string_view text);

}  // namespace cv
