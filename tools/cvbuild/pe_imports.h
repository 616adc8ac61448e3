#pragma once
// The functions a Windows program or library imports, read from its import
// table on any host: which versions of Windows it can start on follows from
// them.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace cv::build {

// Imported functions by library: the library's name in lower case, the
// function names as imported (an import by ordinal as "#" and the number).
using PeImportTable = std::map<std::string, std::set<std::string>>;

// nullopt when the image is no PE image or its import table is malformed.
std::optional<PeImportTable> PeImports(std::string_view image);

}  // namespace cv::build
