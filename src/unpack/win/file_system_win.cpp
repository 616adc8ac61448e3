// The file system of Windows: ANSI Win32 file calls.

#include <windows.h>

#include "unpack/file_system.h"

namespace cv::unpack {
namespace {

class Win32File final : public File {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  ~Win32File() override { CloseHandle(handle_); }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  int Read(void* buffer, int count) override {
    if (count < 0) return -1;
    DWORD got = 0;
    if (!ReadFile(handle_, buffer, static_cast<DWORD>(count), &got, nullptr)) return -1;
    return static_cast<int>(got);
  }

  int Write(const void* data, int count) override {
    if (count < 0) return -1;
    DWORD put = 0;
    if (!WriteFile(handle_, data, static_cast<DWORD>(count), &put, nullptr)) return -1;
    return static_cast<int>(put);
  }

  bool Seek(std::int64_t offset, SeekOrigin origin) override {
    const DWORD method = origin == SeekOrigin::Start ? FILE_BEGIN
                         : origin == SeekOrigin::Current ? FILE_CURRENT
                                                         : FILE_END;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (!SetFilePointerEx(handle_, distance, &position, method)) return false;
    return true;
  }

  std::int64_t Tell() override {
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    LARGE_INTEGER position;
    if (!SetFilePointerEx(handle_, zero, &position, FILE_CURRENT)) return -1;
    return position.QuadPart;
  }

 private:
  HANDLE handle_;
};

class Win32FileSystem final : public FileSystem {
 public:
  std::unique_ptr<File> OpenForReading(const std::string& path) override {
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32File>(handle);
  }

  std::unique_ptr<File> CreateForWriting(const std::string& path) override {
    // Opened rather than created afresh and then emptied: creating over an
    // existing hidden or system file is refused unless its attributes are
    // repeated, and the extracted file gets its own attributes afterwards.
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    if (!SetEndOfFile(handle)) {
      CloseHandle(handle);
      return nullptr;
    }
    return std::make_unique<Win32File>(handle);
  }

  bool SetDosTime(const std::string& path, std::uint16_t dosDate, std::uint16_t dosTime) override {
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    FILETIME local;
    FILETIME utc;
    bool done = DosDateTimeToFileTime(dosDate, dosTime, &local) &&
                LocalFileTimeToFileTime(&local, &utc) &&
                SetFileTime(handle, &utc, nullptr, &utc);
    CloseHandle(handle);
    return done;
  }

  bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
    // Zero would mean "no change" to SetFileAttributes; normal is its name
    // for "none of them".
    const DWORD value = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesA(path.c_str(), value) != FALSE;
  }

  bool Remove(const std::string& path) override { return DeleteFileA(path.c_str()) != FALSE; }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static Win32FileSystem fileSystem;
  return fileSystem;
}

}  // namespace cv::unpack
