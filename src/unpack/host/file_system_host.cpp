// The file system of the native Linux build: POSIX files. There is no
// creation time here, and of the attributes only read-only has a meaning
// (the owner's write permission).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "unpack/file_system.h"

namespace cv::unpack {
namespace {

class PosixFile final : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { ::close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  int Read(void* buffer, int count) override {
    if (count < 0) return -1;
    auto* out = static_cast<char*>(buffer);
    int done = 0;
    while (done < count) {
      const ssize_t got = ::read(fd_, out + done, static_cast<size_t>(count - done));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return -1;
      if (got == 0) break;
      done += static_cast<int>(got);
    }
    return done;
  }

  int Write(const void* data, int count) override {
    if (count < 0) return -1;
    const auto* in = static_cast<const char*>(data);
    int done = 0;
    while (done < count) {
      const ssize_t put = ::write(fd_, in + done, static_cast<size_t>(count - done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return -1;
      done += static_cast<int>(put);
    }
    return done;
  }

  bool Seek(std::int64_t offset, SeekOrigin origin) override {
    const int whence = origin == SeekOrigin::Start ? SEEK_SET
                       : origin == SeekOrigin::Current ? SEEK_CUR
                                                       : SEEK_END;
    return ::lseek(fd_, static_cast<off_t>(offset), whence) >= 0;
  }

  std::int64_t Tell() override { return ::lseek(fd_, 0, SEEK_CUR); }

 private:
  int fd_;
};

class PosixFileSystem final : public FileSystem {
 public:
  std::unique_ptr<File> OpenForReading(const std::string& path) override {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<PosixFile>(fd);
  }

  std::unique_ptr<File> CreateForWriting(const std::string& path) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixFile>(fd);
  }

  bool SetDosTime(const std::string& path, std::uint16_t dosDate, std::uint16_t dosTime) override {
    std::tm local{};
    local.tm_year = 80 + (dosDate >> 9);
    local.tm_mon = ((dosDate >> 5) & 0x0F) - 1;
    local.tm_mday = dosDate & 0x1F;
    local.tm_hour = dosTime >> 11;
    local.tm_min = (dosTime >> 5) & 0x3F;
    local.tm_sec = (dosTime & 0x1F) * 2;
    local.tm_isdst = -1;
    const std::time_t utc = std::mktime(&local);
    if (utc == static_cast<std::time_t>(-1)) return false;
    struct timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = utc;
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
  }

  bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    mode_t mode = info.st_mode & 07777;
    if (attributes & 0x01) {
      mode &= static_cast<mode_t>(~(S_IWUSR | S_IWGRP | S_IWOTH));
    } else {
      mode |= S_IWUSR;
    }
    // Most files keep the mode they were created with: no call for them.
    if (mode == (info.st_mode & 07777)) return true;
    return ::chmod(path.c_str(), mode) == 0;
  }

  bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}

}  // namespace cv::unpack
