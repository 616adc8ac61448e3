#pragma once
// A file read through a buffer of its own. libmspack reads a cabinet in
// small pieces (each data block's 8-byte header, then the block), and every
// read of the file itself is a system call; through the buffer most pieces
// are copies. Reads as large as the buffer go straight to the file, and a
// seek within what the buffer holds costs nothing.

#include <cstdint>
#include <memory>
#include <vector>

#include "unpack/file_system.h"

namespace cv::unpack {

class BufferedFile final : public File {
 public:
  static constexpr int kBufferSize = 64 * 1024;

  explicit BufferedFile(std::unique_ptr<File> file);

  // Bytes read, fewer than asked only at the end of the file or when the
  // file failed after some were read; -1 when it failed before any.
  int Read(void* buffer, int count) override;
  // Reading only.
  int Write(const void* data, int count) override;
  bool Seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t Tell() override;

 private:
  // The file's own position, asked once when not known.
  std::int64_t FilePosition();
  void Drop();

  std::unique_ptr<File> file_;
  std::vector<std::uint8_t> buffer_;
  int next_ = 0;  // buffer_[next_, end_) is unread
  int end_ = 0;
  std::int64_t filePosition_ = -1;  // where the file stands; -1 not known
};

}  // namespace cv::unpack
