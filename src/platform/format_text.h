#pragma once
// printf-style formatting of texts whose pattern may come from a package
// (language strings): only %s and %d are filled, "%%" gives "%", and a
// placeholder without an argument stays as it is. Nothing a pattern holds can
// read past the arguments given.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cv {

using FormatArg = std::variant<std::string, long long>;

std::string FormatText(std::string_view pattern, const std::vector<FormatArg>& args);

}  // namespace cv
