#include "unpack/buffered_file.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace cv::unpack {

BufferedFile::BufferedFile(std::unique_ptr<File> file) : file_(std::move(file)) {}

std::int64_t BufferedFile::FilePosition() {
  if (filePosition_ < 0) filePosition_ = file_->Tell();
  return filePosition_;
}

void BufferedFile::Drop() { next_ = end_ = 0; }

int BufferedFile::Read(void* buffer, int count) {
  if (count < 0) return -1;
  auto* out = static_cast<std::uint8_t*>(buffer);
  int done = 0;
  while (done < count) {
    if (next_ < end_) {
      const int take = std::min(count - done, end_ - next_);
      std::memcpy(out + done, buffer_.data() + next_, static_cast<std::size_t>(take));
      next_ += take;
      done += take;
      continue;
    }
    const int wanted = count - done;
    const bool direct = wanted >= kBufferSize;
    // What the buffer held lies behind; after a direct read it would no
    // longer stand just before the file's position.
    Drop();
    if (!direct && buffer_.empty()) buffer_.resize(kBufferSize);
    const int got = direct ? file_->Read(out + done, wanted) : file_->Read(buffer_.data(), kBufferSize);
    if (got < 0) {
      Drop();
      filePosition_ = -1;  // a failed read may have moved the file
      return done > 0 ? done : -1;
    }
    if (filePosition_ >= 0) filePosition_ += got;
    if (got == 0) break;
    if (direct) {
      done += got;
    } else {
      next_ = 0;
      end_ = got;
    }
  }
  return done;
}

int BufferedFile::Write(const void*, int) { return -1; }

bool BufferedFile::Seek(std::int64_t offset, SeekOrigin origin) {
  if (origin == SeekOrigin::Current) {
    const std::int64_t here = Tell();
    if (here < 0) return false;
    offset += here;
    origin = SeekOrigin::Start;
  }
  if (origin == SeekOrigin::Start && end_ > 0 && filePosition_ >= 0) {
    // Within what the buffer holds: only the read position moves.
    const std::int64_t bufferStart = filePosition_ - end_;
    if (offset >= bufferStart && offset <= filePosition_) {
      next_ = static_cast<int>(offset - bufferStart);
      return true;
    }
  }
  // A seek that fails leaves everything where it was.
  if (!file_->Seek(offset, origin)) return false;
  Drop();
  filePosition_ = origin == SeekOrigin::Start ? offset : -1;
  return true;
}

std::int64_t BufferedFile::Tell() {
  const std::int64_t position = FilePosition();
  return position < 0 ? -1 : position - (end_ - next_);
}

}  // namespace cv::unpack
