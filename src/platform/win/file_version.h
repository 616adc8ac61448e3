#pragma once
// The fixed file version of an executable or library, read from its version
// resource.

#include <windows.h>

#include <string>

namespace cv {

// The two 32-bit halves of the file version (major << 16 | minor and
// release << 16 | build). Enclosing double quotes around the name are
// removed. False, with both halves 0, when the file has no version resource.
bool GetFileVersion(const std::string& fileName, DWORD& versionMS, DWORD& versionLS);

// The version as "major.minor.release.build"; empty and false when the file
// has none.
bool GetFileVersionText(const std::string& fileName, std::string& text);

}  // namespace cv
