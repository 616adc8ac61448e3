#pragma once
// Single files by name: their time, size and short name, and writing one in
// place. Like every platform facade these answer a default on failure and
// never raise.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/date_time.h"

namespace cv {

// The last-write time of a file or folder in local time; false when there is
// nothing of that name.
bool FileLastWriteTime(const std::string& path, LocalTime& time);

// The size in bytes of the file that `path` names once it is made absolute
// (relative names count from the current folder); -1 when there is no such
// file (a folder is none).
std::int64_t FileSizeOf(const std::string& path);

// The system's short (8.3) form of an existing path; the path unchanged when
// the system gives none.
std::string ShortPathName(const std::string& path);

// The absolute path with every existing part in its long form, so that two
// spellings of one place (relative, 8.3 names, "." and "..") compare equal;
// `path` itself when Windows cannot resolve it.
std::string LongFullPath(const std::string& path);

// Writes `bytes` from the start of the file, which is opened for writing when
// it exists and created otherwise, and cuts it after them. Unlike
// WriteWholeFile the file stays the same file (attributes, creation time,
// links), and one that cannot be opened for writing (read-only, in use) is
// left as it is. True when every byte was written.
bool OverwriteFile(const std::string& path, std::string_view bytes);

}  // namespace cv
