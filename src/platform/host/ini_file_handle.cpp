// The native Linux build's stand-in: open(2) plus an advisory flock(2) lock
// for writable objects (see the header for what that does and does not stop).

#include "platform/ini_file_handle.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace cv {

std::string IniFullFileName(const std::string& name) { return name; }

bool IniPathExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

void IniCreateFolderOf(const std::string& path) {
  const auto folderEnd = path.find_last_of("\\/");
  if (folderEnd == std::string::npos || folderEnd == 0) return;
  std::error_code ignored;
  std::filesystem::create_directories(path.substr(0, folderEnd), ignored);
}

bool IniFileHandle::Open(const std::string& path, Mode mode) {
  Close();
  const bool write = mode == Mode::ReadWrite;
  const int fd = write ? ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)
                       : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  if (write && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

bool IniFileHandle::IsOpen() const { return fd_ >= 0; }

void IniFileHandle::Close() {
  if (fd_ >= 0) ::close(fd_);  // closing also releases the lock
  fd_ = -1;
}

bool IniFileHandle::ReadAll(std::string& bytes) {
  bytes.clear();
  if (fd_ < 0 || ::lseek(fd_, 0, SEEK_SET) != 0) return false;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
}

bool IniFileHandle::Rewrite(std::string_view bytes) {
  if (fd_ < 0 || ::lseek(fd_, 0, SEEK_SET) != 0) return false;
  off_t position = 0;
  bool complete = true;
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      complete = false;
      break;
    }
    position += written;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  // Cut where the writing stopped, also after a failed write.
  return ::ftruncate(fd_, position) == 0 && complete;
}

}  // namespace cv
