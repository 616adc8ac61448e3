#pragma once
// File-system primitives: existence, forced deletion, whole trees, folder
// chains and free space.

#include <cstdint>
#include <functional>
#include <string>

namespace cv {

// One entry a folder search found.
struct FoundEntry {
  std::string Name;  // the name alone, without its folder
  std::uint32_t Attributes = 0;
  std::uint64_t Size = 0;
  std::uint64_t LastWriteTime = 0;  // UTC, in FILETIME's 100-nanosecond ticks

  bool IsFolder() const;
};

// Calls `visit` for each entry that `pattern` (a path whose last part may
// hold wildcards) matches, in the file system's order, until `visit` returns
// false; "." and ".." are never given. False only when the search failed
// before its end: no match at all, or a stop asked by `visit`, is a
// complete search.
bool ForEachEntry(const std::string& pattern, const std::function<bool(const FoundEntry&)>& visit);

// Sets the attributes to normal, then deletes.
bool DeleteFileForced(const std::string& file);

// Deletes everything below `folder` (read-only files included) and, with
// `removeFolder`, when all of that worked and the folder is not a bare drive,
// the folder itself. True only when every deletion succeeded.
bool DeleteTree(const std::string& folder, bool removeFolder);

// Creates the folder with all missing parents. A trailing backslash is
// removed first; paths of two characters or less are left alone.
bool ForceFolders(const std::string& folder);

bool FolderExists(const std::string& path);
bool FileExists(const std::string& path);
// A file or a folder of that name.
bool FileOrFolderExists(const std::string& path);

// `path` itself when it is an existing folder, else its nearest existing
// parent folder; empty when not even the drive exists.
std::string NearestExistingFolder(const std::string& path);

// Free space in KiB available to the caller on the drive of `path`; 0 when
// the path is not an existing folder or the query fails.
std::int64_t DiskFreeKB(const std::string& path);

}  // namespace cv
