#pragma once
// The name under which Windows lists a TrueType or OpenType font: the full
// font name (name ID 4) from the font file's "name" table. The builder
// records it for packed fonts; the installation reads it from a font that
// comes from outside the package.

#include <string>
#include <string_view>

namespace cv {

// The full name of the font in `file` (a font file's bytes; of a font
// collection, its first font), in single bytes: Windows' US English name
// first, then any Windows name, then the Macintosh Roman one. Characters
// outside Latin-1 become "?". Empty when the bytes are no font or carry no
// full name; damaged tables never read beyond `file`.
std::string FontFullName(std::string_view file);

// The same for a file on disk; empty when it cannot be read.
std::string FontFullNameOfFile(const std::string& path);

}  // namespace cv
