#pragma once
// Path lists as environment variables hold them ("C:\A;C:\B"): normalized
// for adding elements to a variable and for taking them out again.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cv {

// The other spelling of an element that counts as the same folder (the
// short 8.3 name of a long one); empty when there is none.
using AlternateSpelling = std::function<std::string(const std::string&)>;

// Splits at ";", trims each element, drops empty elements and elements that
// occurred before (without regard to case, in either spelling). The result
// is the remaining elements in their order.
std::vector<std::string> PathListElements(std::string_view list,
                                          const AlternateSpelling& alternate = {});

// The elements joined by ";" (no ";" at the end).
std::string JoinPathList(const std::vector<std::string>& elements);

// PathListElements joined again.
std::string NormalizePathList(std::string_view list, const AlternateSpelling& alternate = {});

// The elements of `list` that are not among `removed` (both normalized,
// compared without regard to case), joined by ";" in their order.
std::string RemoveFromPathList(std::string_view list, std::string_view removed);

}  // namespace cv
