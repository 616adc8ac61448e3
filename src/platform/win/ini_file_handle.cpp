// Windows: one CreateFileA handle. A writable object opens with FILE_SHARE_READ
// only, so a second writer fails with a sharing violation while readers (who
// share read and write) still get in.

#include "platform/ini_file_handle.h"

#include <windows.h>

#include <limits>

#include "platform/paths.h"
#include "platform/win/system_folders.h"
#include "platform/win/file_system.h"

namespace cv {

std::string IniFullFileName(const std::string& name) {
  if (name.empty() || name.find_first_of("\\/:") != std::string::npos) return name;
  return IncludeBackslash(WindowsFolder()) + name;
}

bool IniPathExists(const std::string& path) { return FileOrFolderExists(path); }

void IniCreateFolderOf(const std::string& path) {
  // Every folder along the way, from the first one after the root; those
  // that exist already fail harmlessly.
  const auto folderEnd = path.find_last_of("\\/");
  if (folderEnd == std::string::npos) return;
  for (std::size_t at = path.find_first_of("\\/", 1); at != std::string::npos && at <= folderEnd;
       at = path.find_first_of("\\/", at + 1)) {
    const std::string folder = path.substr(0, at);
    if (folder.empty() || folder.back() == ':' || folder.back() == '\\' || folder.back() == '/') continue;
    CreateDirectoryA(folder.c_str(), nullptr);
  }
}

bool IniFileHandle::Open(const std::string& path, Mode mode) {
  Close();
  const bool write = mode == Mode::ReadWrite;
  HANDLE file = CreateFileA(path.c_str(), write ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                            write ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            write ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = file;
  return true;
}

bool IniFileHandle::IsOpen() const { return handle_ != nullptr; }

void IniFileHandle::Close() {
  if (handle_ != nullptr) CloseHandle(handle_);
  handle_ = nullptr;
}

bool IniFileHandle::ReadAll(std::string& bytes) {
  bytes.clear();
  if (handle_ == nullptr) return false;
  if (SetFilePointer(handle_, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(handle_, buffer, sizeof buffer, &got, nullptr)) return false;
    if (got == 0) return true;
    bytes.append(buffer, got);
  }
}

bool IniFileHandle::Rewrite(std::string_view bytes) {
  if (handle_ == nullptr) return false;
  if (SetFilePointer(handle_, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
  bool complete = true;
  while (!bytes.empty() && complete) {
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    complete = WriteFile(handle_, bytes.data(), chunk, &written, nullptr) && written == chunk;
    bytes.remove_prefix(written);
  }
  // Cut where the writing stopped, also after a failed write.
  return SetEndOfFile(handle_) && complete;
}

}  // namespace cv
