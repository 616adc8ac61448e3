#include "platform/file_io.h"

#include <windows.h>

#include <new>

namespace cv {

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  // Reading is shared, writing is not: a file someone is still writing fails
  // to open rather than being read half-way.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool complete = false;
  LARGE_INTEGER size{};
  // One ReadFile call reads at most 4 GB - 1 bytes.
  if (GetFileSizeEx(file, &size) && static_cast<ULONGLONG>(size.QuadPart) <= MAXDWORD &&
      static_cast<ULONGLONG>(size.QuadPart) <= bytes.max_size()) {
    try {
      bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
      DWORD read = 0;
      complete = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
                 read == bytes.size();
    } catch (const std::bad_alloc&) {
      bytes.clear();
    }
  }
  CloseHandle(file);
  return complete;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  if (static_cast<ULONGLONG>(bytes.size()) > MAXDWORD) return false;
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool complete =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  return CloseHandle(file) && complete;
}

}  // namespace cv
