#pragma once
// Line lists: texts whose lines end with CR LF. Reading splits at CR and drops
// every LF; a last line without CR LF still counts, a trailing CR LF makes no
// empty last line, and the empty text has no lines. Writing ends every line,
// the last included, with CR LF.

#include <string>
#include <string_view>
#include <vector>

namespace cv {

std::vector<std::string> SplitLineList(std::string_view text);
std::string JoinLineList(const std::vector<std::string>& lines);

}  // namespace cv
