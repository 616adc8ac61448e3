#pragma once
// Windows' own description of an error code, for messages that must say why
// a call failed.

#include <cstdint>
#include <string>

namespace cv {

// The system's text for `code` without its trailing line break and full
// stop; "error N" when the system has none.
std::string SystemErrorText(std::uint32_t code);

}  // namespace cv
