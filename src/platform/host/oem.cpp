#include "platform/oem.h"

namespace cv {

// The native Linux build has no ANSI or OEM code pages: the texts the engine
// hands to console programs only exist on Windows. The text is returned as it
// is, which keeps the one promise callers rely on, that the length does not
// change.
std::string ToOem(std::string_view text) { return std::string(text); }

}  // namespace cv
