#pragma once
// The few operating-system file operations the unpack library needs, behind
// an interface: the extraction logic stays portable (and testable on the
// build machine), and tests can inject failing files.

#include <cstdint>
#include <memory>
#include <string>

namespace cv::unpack {

enum class SeekOrigin { Start, Current, End };

class File {
 public:
  virtual ~File() = default;
  // Bytes read (0 at the end of the file), or -1 on error.
  virtual int Read(void* buffer, int count) = 0;
  // Bytes written, or -1 on error.
  virtual int Write(const void* data, int count) = 0;
  virtual bool Seek(std::int64_t offset, SeekOrigin origin) = 0;
  // The position, or -1 on error.
  virtual std::int64_t Tell() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // An existing file for reading; others may read it too.
  virtual std::unique_ptr<File> OpenForReading(const std::string& path) = 0;
  // Creates the file when missing and empties it otherwise; readable and
  // writable by the user.
  virtual std::unique_ptr<File> CreateForWriting(const std::string& path) = 0;
  // Stamps an existing file with a DOS date and time taken as local time:
  // creation and last-write time (the last-access time stays).
  virtual bool SetDosTime(const std::string& path, std::uint16_t dosDate,
                          std::uint16_t dosTime) = 0;
  // Sets the file's attributes (read-only 0x01, hidden 0x02, system 0x04,
  // archive 0x20; the caller masks everything else away).
  virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  virtual bool Remove(const std::string& path) = 0;
};

// The file system of the machine the library runs on.
FileSystem& NativeFileSystem();

}  // namespace cv::unpack
