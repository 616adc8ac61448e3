#pragma once
// Where the builder's bytes go: a file being written, or memory (tests and
// benchmarks). A sink can go back and overwrite bytes it already wrote, which
// the cabinet writer needs for sizes and offsets known only at the end, and it
// can scramble what it writes (every byte XOR a key) for the cabinet parts of
// a package.

#include <cstdint>
#include <cstdio>
#include <string>

namespace cv::build {

class OutputSink {
 public:
  virtual ~OutputSink() = default;
  // Appends; throws BuildError (output) when the bytes cannot be written.
  void Write(const void* data, std::size_t size);
  // Replaces bytes at `position` (< Position()) without moving the end.
  void Overwrite(std::uint64_t position, const void* data, std::size_t size);
  std::uint64_t Position() const { return position_; }

  // Every byte written or overwritten from now on is XORed with `key` (0: plain).
  void SetScrambleKey(std::uint8_t key) { key_ = key; }

 protected:
  virtual void DoWrite(const std::uint8_t* data, std::size_t size) = 0;
  virtual void DoOverwrite(std::uint64_t position, const std::uint8_t* data, std::size_t size) = 0;

 private:
  const std::uint8_t* Scrambled(const void* data, std::size_t size);

  std::uint64_t position_ = 0;
  std::uint8_t key_ = 0;
  std::string scratch_;
};

class MemorySink : public OutputSink {
 public:
  const std::string& Bytes() const { return bytes_; }

 protected:
  void DoWrite(const std::uint8_t* data, std::size_t size) override;
  void DoOverwrite(std::uint64_t position, const std::uint8_t* data, std::size_t size) override;

 private:
  std::string bytes_;
};

// Creates (or replaces) the file; the path is named in every error.
class FileSink : public OutputSink {
 public:
  explicit FileSink(const std::string& path);
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;
  ~FileSink() override;
  // Flushes and closes; throws when the last bytes cannot be written.
  void Close();

 protected:
  void DoWrite(const std::uint8_t* data, std::size_t size) override;
  void DoOverwrite(std::uint64_t position, const std::uint8_t* data, std::size_t size) override;

 private:
  [[noreturn]] void Fail() const;
  std::string path_;
  std::FILE* file_ = nullptr;
};

}  // namespace cv::build
