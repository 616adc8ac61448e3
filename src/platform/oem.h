#pragma once
// Conversion of 8-bit texts from the system's ANSI code page to its OEM code
// page, for texts that console programs read (batch files).

#include <string>
#include <string_view>

namespace cv {

// `text` converted byte for byte from the ANSI to the OEM code page; the
// result has the same length.
std::string ToOem(std::string_view text);

}  // namespace cv
