#include "install/win/file_copy.h"

#include <windows.h>

#include <memory>

#include "platform/win/file_access.h"
#include "platform/win/file_system.h"

namespace cv {

namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Close(); }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  void Close() {
    if (Valid()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

bool CopyChunks(HANDLE in, HANDLE out, const std::string& source, const std::string& target,
                std::int64_t total, const CopyProgressHook& progress,
                const CopyTransformHook& transform) {
  const auto buffer = std::make_unique<char[]>(kCopyBufferSize);
  std::int64_t written = 0;
  while (written < total) {
    DWORD got = 0;
    if (!ReadFile(in, buffer.get(), static_cast<DWORD>(kCopyBufferSize), &got, nullptr)) {
      return false;
    }
    // The file shrank under us: what is there is not the whole source.
    if (got == 0) return false;
    if (transform) transform(buffer.get(), got);
    DWORD put = 0;
    if (!WriteFile(out, buffer.get(), got, &put, nullptr) || put != got) return false;
    written += put;
    if (progress && !progress(source, target, put, total, written)) return false;
  }
  return true;
}

}  // namespace

bool BufferedCopyFile(const std::string& source, const std::string& target,
                      const CopyProgressHook& progress, bool append,
                      const CopyTransformHook& transform) {
  if (!FileExists(source)) return false;
  const std::int64_t total = FileSizeOf(source);
  Handle in(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!in.Valid()) return false;
  const bool targetExisted = FileExists(target);
  Handle out(CreateFileA(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out.Valid()) return false;
  LARGE_INTEGER start{};
  if (append) {
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(out.Get(), zero, &start, FILE_END)) return false;
  }
  if (!CopyChunks(in.Get(), out.Get(), source, target, total, progress, transform)) {
    // A half-written file would pass for the real one later (a version check
    // reads a truncated header, rollback backs up garbage): take it away.
    if (append && targetExisted) {
      SetFilePointerEx(out.Get(), start, nullptr, FILE_BEGIN);
      SetEndOfFile(out.Get());
    } else {
      out.Close();
      DeleteFileForced(target);
    }
    return false;
  }
  FILETIME created, accessed, modified;
  if (GetFileTime(in.Get(), &created, &accessed, &modified)) {
    SetFileTime(out.Get(), nullptr, nullptr, &modified);
  }
  in.Close();
  out.Close();
  const DWORD attributes = GetFileAttributesA(source.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(target.c_str(), attributes);
  return true;
}

}  // namespace cv
