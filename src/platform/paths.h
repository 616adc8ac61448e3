#pragma once
// Path text helpers shared by the installation steps.

#include <string>
#include <string_view>

namespace cv {

// `text` without one pair of enclosing double quotes: only when both ends are
// quotes, and only one pair.
std::string StripOneQuotePair(std::string_view text);

// Removes enclosing double quotes, then appends "\" unless the path is empty
// or already ends with one.
std::string IncludeBackslash(std::string_view path);

// Removes one trailing "\".
std::string ExcludeBackslash(std::string_view path);

// The folder part of a path, up to and including the last "\" (empty when
// there is none), and the part after it.
std::string ExtractFolder(std::string_view path);
std::string ExtractFileName(std::string_view path);

// The path with its extension (from the last "." of the file name on)
// replaced by `extension` (which includes its dot, or is empty).
std::string ChangeExtension(std::string_view path, std::string_view extension);

// The path with each run of backslashes made one, except the two that begin
// a network path: "%InstallPath%\bin" with an install path that ends in a
// backslash names its file in one form only.
std::string CollapseBackslashes(std::string_view path);

}  // namespace cv
