#include "platform/file_io.h"

#include <windows.h>

#include <algorithm>
#include <new>

#include "platform/file_range.h"

namespace cv {
namespace {

// One WriteFile call moves at most 4 GB - 1 bytes; only a 64-bit build can
// hold more.
template <typename Size>
bool ExceedsOneCall(Size size) {
  if constexpr (sizeof(Size) > sizeof(DWORD)) {
    return size > MAXDWORD;
  } else {
    return false;
  }
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  // Reading is shared, writing is not: a file someone is still writing fails
  // to open rather than being read half-way.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool complete = false;
  // GetFileSize rather than GetFileSizeEx, which the 9x family lacks. A file
  // of 4 GB or more (a high part) cannot be read in one call.
  DWORD high = 0;
  SetLastError(NO_ERROR);
  const DWORD size = GetFileSize(file, &high);
  const bool sized = !(size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) && high == 0;
  if (sized && size <= bytes.max_size()) {
    try {
      bytes.assign(size, '\0');
      DWORD read = 0;
      complete = ReadFile(file, bytes.data(), size, &read, nullptr) && read == size;
    } catch (const std::bad_alloc&) {
      bytes.clear();
    }
  }
  CloseHandle(file);
  return complete;
}

bool ReadFileRange(const std::string& path, std::int64_t offset, std::size_t count,
                   std::string& bytes, std::uint64_t* fileSize) {
  bytes.clear();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool complete = false;
  LARGE_INTEGER size;
  if (GetFileSizeEx(file, &size) && size.QuadPart >= 0) {
    const auto total = static_cast<std::uint64_t>(size.QuadPart);
    if (fileSize) *fileSize = total;
    const FileRangePlace place = PlaceFileRange(total, offset, count);
    const std::size_t wanted = place.Count;
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(place.Start);
    if (SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) {
      try {
        bytes.assign(wanted, '\0');
        std::size_t done = 0;
        while (done < wanted) {
          const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wanted - done, 1u << 30));
          DWORD read = 0;
          if (!ReadFile(file, bytes.data() + done, chunk, &read, nullptr) || read == 0) break;
          done += read;
        }
        complete = done == wanted;
      } catch (const std::bad_alloc&) {
        complete = false;
      }
    }
  }
  CloseHandle(file);
  if (!complete) bytes.clear();
  return complete;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  if (ExceedsOneCall(bytes.size())) return false;
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
