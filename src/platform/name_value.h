#pragma once
// "name=value" lines and quoted texts.

#include <string>
#include <string_view>

namespace cv {

// The part of `text` before the first `ch`; the whole text when there is none.
std::string TextBefore(std::string_view text, char ch);

// The part before the first "="; the whole text when there is none.
std::string NameOf(std::string_view text);

// The part after the first "="; empty when there is none.
std::string ValueOf(std::string_view text);

// When `text` begins with `quote`: the quoted content up to the matching
// closing quote, each doubled quote inside made single; whatever follows the
// closing quote is dropped, and without a closing quote the content runs to
// the end of the text. Any other text is returned unchanged.
std::string Dequote(std::string_view text, char quote = '"');

}  // namespace cv
