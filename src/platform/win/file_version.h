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

// Whether an existing file is newer than a new one with the dotted version
// `version` (may be empty) and the last-write time `date`: by version when
// both have one, else by date. False when the file does not exist.
bool ExistingFileIsNewer(const std::string& version, const std::string& fileName,
                         const FILETIME& date);

// The same test for equality: both versions equal, or (without versions)
// equal dates.
bool ExistingFileIsSame(const std::string& version, const std::string& fileName,
                        const FILETIME& date);

}  // namespace cv
