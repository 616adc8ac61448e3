#pragma once
// Path lists as environment variables such as PATH hold them: elements
// separated by ";". Adding folders to such a list must never drop or cut an
// element that is already there, whatever the list's length.

#include <functional>
#include <string>
#include <string_view>

namespace cv {

// The 8.3 form of a path, or the path itself when there is none.
using ShortPathForm = std::function<std::string(const std::string&)>;

// Splits at ";", trims each element, drops empty elements and elements that
// occurred before (without regard to case, in the long and in the short
// form), and joins the rest with ";" (no final ";"). With `useShortNames`
// each element is written in its short form. A null `shortForm` compares the
// elements as written.
std::string NormalizePathList(std::string_view list, const ShortPathForm& shortForm,
                              bool useShortNames);

// `current` with the elements of `added` appended, the whole normalized
// (long names).
std::string AppendPathList(const std::string& current, const std::string& added,
                           const ShortPathForm& shortForm);

// The elements of `list` that are not among `removed` (both normalized,
// compared without regard to case), joined by ";" in their order: what an
// uninstallation leaves of a list it once added to.
std::string RemoveFromPathList(std::string_view list, std::string_view removed);

}  // namespace cv
