#include "output_sink.h"

#include <cerrno>
#include <cstring>

#include "build_error.h"

namespace cv::build {
namespace {

// 64-bit positions on every platform (long is 32 bits on Windows).
int SeekTo(std::FILE* file, std::uint64_t position) {
#ifdef _WIN32
  return _fseeki64(file, static_cast<__int64>(position), SEEK_SET);
#else
  return fseeko(file, static_cast<off_t>(position), SEEK_SET);
#endif
}

int SeekToEnd(std::FILE* file) {
#ifdef _WIN32
  return _fseeki64(file, 0, SEEK_END);
#else
  return fseeko(file, 0, SEEK_END);
#endif
}

}  // namespace

const std::uint8_t* OutputSink::Scrambled(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  if (key_ == 0) return bytes;
  scratch_.resize(size);
  for (std::size_t i = 0; i < size; ++i) {
    scratch_[i] = static_cast<char>(bytes[i] ^ key_);
  }
  return reinterpret_cast<const std::uint8_t*>(scratch_.data());
}

void OutputSink::Write(const void* data, std::size_t size) {
  if (size == 0) return;
  DoWrite(Scrambled(data, size), size);
  position_ += size;
}

void OutputSink::Overwrite(std::uint64_t position, const void* data, std::size_t size) {
  if (size == 0) return;
  DoOverwrite(position, Scrambled(data, size), size);
}

void MemorySink::DoWrite(const std::uint8_t* data, std::size_t size) {
  bytes_.append(reinterpret_cast<const char*>(data), size);
}

void MemorySink::DoOverwrite(std::uint64_t position, const std::uint8_t* data, std::size_t size) {
  bytes_.replace(static_cast<std::size_t>(position), size, reinterpret_cast<const char*>(data),
                 size);
}

FileSink::FileSink(const std::string& path) : path_(path) {
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) Fail();
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
}

FileSink::~FileSink() {
  if (file_) std::fclose(file_);
}

void FileSink::Fail() const {
  const int error = errno;
  std::string message = "cannot write " + path_;
  if (error != 0) message += ": " + std::string(std::strerror(error));
  ThrowOutput(message);
}

void FileSink::Close() {
  if (!file_) return;
  std::FILE* file = file_;
  file_ = nullptr;
  const bool flushed = std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;
  if (!flushed || !closed) Fail();
}

void FileSink::DoWrite(const std::uint8_t* data, std::size_t size) {
  errno = 0;
  if (!file_ || std::fwrite(data, 1, size, file_) != size) Fail();
}

void FileSink::DoOverwrite(std::uint64_t position, const std::uint8_t* data, std::size_t size) {
  errno = 0;
  if (!file_ || SeekTo(file_, position) != 0 || std::fwrite(data, 1, size, file_) != size ||
      SeekToEnd(file_) != 0) {
    Fail();
  }
}

}  // namespace cv::build
