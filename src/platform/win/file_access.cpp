#include "platform/win/file_access.h"

#include <windows.h>

#include <vector>

namespace cv {

bool FileLastWriteTime(const std::string& path, LocalTime& time) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  FILETIME local;
  SYSTEMTIME parts;
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
      !FileTimeToSystemTime(&local, &parts)) {
    return false;
  }
  time = LocalTime{parts.wYear,   parts.wMonth,  parts.wDay,         parts.wHour,
                   parts.wMinute, parts.wSecond, parts.wMilliseconds};
  return true;
}

std::int64_t FileSizeOf(const std::string& path) {
  char buffer[MAX_PATH * 2];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  if (length == 0 || length >= sizeof buffer) return -1;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(buffer, GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return -1;
  }
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                   data.nFileSizeLow);
}

std::string ShortPathName(const std::string& path) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return path;
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(length);  // the size it needs, its terminator included
  }
}

std::string LongFullPath(const std::string& path) {
  char full[MAX_PATH * 2];
  const DWORD fullLength = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (fullLength == 0 || fullLength >= sizeof full) return path;
  char longer[MAX_PATH * 2];
  const DWORD longLength = GetLongPathNameA(full, longer, sizeof longer);
  if (longLength == 0 || longLength >= sizeof longer) return std::string(full, fullLength);
  return std::string(longer, longLength);
}

bool OverwriteFile(const std::string& path, std::string_view bytes) {
  if (bytes.size() > MAXDWORD) return false;
  // Refused here rather than left to the open, which privileged callers and
  // some file systems let through.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return false;
  }
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool complete =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  const bool cut = SetEndOfFile(file) != 0;
  return CloseHandle(file) && complete && cut;
}

}  // namespace cv
