#include "platform/win/file_system.h"

#include <windows.h>

#include "platform/paths.h"
#include "platform/system_info.h"

namespace cv {

bool DeleteFileForced(const std::string& file) {
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileA(file.c_str()) != 0;
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileOrFolderExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The directory-entry bit of a volume label on FAT drives of the 9x family.
constexpr DWORD kVolumeLabelAttribute = 0x08;

bool FoundEntry::IsFolder() const { return (Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

bool ForEachEntry(const std::string& pattern, const std::function<bool(const FoundEntry&)>& visit) {
  WIN32_FIND_DATAA data;
  const HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return true;
  bool goOn = true;
  bool more = true;
  FoundEntry entry;
  do {
    entry.Name = data.cFileName;
    // Only the "." and ".." entries are left out: a file named ".config" is
    // as much a folder's content as any other.
    if (entry.Name == "." || entry.Name == "..") continue;
    entry.Attributes = data.dwFileAttributes;
    entry.Size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entry.LastWriteTime = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                          data.ftLastWriteTime.dwLowDateTime;
    goOn = visit(entry);
  } while (goOn && (more = FindNextFileA(find, &data) != 0));
  const bool complete = more || GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(find);
  return complete;
}

bool DeleteTree(const std::string& folderIn, bool removeFolder) {
  const std::string folder = IncludeBackslash(folderIn);
  if (!FolderExists(folder)) return true;  // nothing there, nothing failed
  bool ok = true;
  const bool endedNormally = ForEachEntry(folder + "*.*", [&](const FoundEntry& entry) {
    if (entry.Attributes & kVolumeLabelAttribute) return true;
    const std::string path = folder + entry.Name;
    if (entry.IsFolder()) {
      ok = DeleteTree(path, true) && ok;
    } else {
      if (entry.Attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
      ok = (DeleteFileA(path.c_str()) != 0) && ok;
    }
    return true;
  });
  const std::string bare = ExcludeBackslash(folder);
  const bool isBareDrive = bare.size() == 2 && bare[1] == ':';
  if (removeFolder && ok && endedNormally && !isBareDrive) {
    ok = RemoveDirectoryA(bare.c_str()) != 0;
  }
  return ok;
}

bool ForceFolders(const std::string& folderIn) {
  const std::string folder = ExcludeBackslash(folderIn);
  if (folder.size() <= 2) return true;
  if (FolderExists(folder)) return true;
  const std::string parent = ExcludeBackslash(ExtractFolder(folder));
  if (!parent.empty() && parent != folder && !ForceFolders(parent)) return false;
  return CreateDirectoryA(folder.c_str(), nullptr) != 0 || FolderExists(folder);
}

std::string NearestExistingFolder(const std::string& path) {
  std::string folder = ExcludeBackslash(path);
  while (!folder.empty() && !FolderExists(folder)) {
    const std::string parent = ExcludeBackslash(ExtractFolder(folder));
    if (parent.size() >= folder.size()) return {};
    folder = parent;
  }
  return folder.empty() ? folder : IncludeBackslash(folder);
}

std::int64_t DiskFreeKB(const std::string& path) {
  if (!FolderExists(path)) return 0;
  std::string query = IncludeBackslash(path);
  const SystemInfoRecord& system = SystemInfo();
  if (system.Is9x() && query.size() >= 3 && query[1] == ':') query = query.substr(0, 3);
  if (system.IsNT() || system.Build > 1110) {
    using GetDiskFreeSpaceExFn =
        BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto getFree = kernel ? reinterpret_cast<GetDiskFreeSpaceExFn>(reinterpret_cast<void*>(
                                GetProcAddress(kernel, "GetDiskFreeSpaceExA")))
                          : nullptr;
    if (getFree) {
      ULARGE_INTEGER available, total, free;
      if (!getFree(query.c_str(), &available, &total, &free)) return 0;
      return static_cast<std::int64_t>(available.QuadPart / 1024);
    }
  }
  DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
  if (!GetDiskFreeSpaceA(query.substr(0, 3).c_str(), &sectorsPerCluster, &bytesPerSector,
                         &freeClusters, &clusters)) {
    return 0;
  }
  return static_cast<std::int64_t>(bytesPerSector) * sectorsPerCluster * freeClusters / 1024;
}

}  // namespace cv
