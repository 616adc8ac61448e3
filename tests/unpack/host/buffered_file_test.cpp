// Reading a cabinet through the unpack library's read buffer gives the same
// bytes, positions and end of file as reading the file itself, whatever the
// mix of read sizes and seeks; a file that fails is reported as it was.

#include "unpack/buffered_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace cv::test {
namespace {

using unpack::BufferedFile;
using unpack::SeekOrigin;

// A file in memory that counts its reads and fails every read after
// `failAfterBytes` bytes have been read.
class MemoryFile final : public unpack::File {
 public:
  MemoryFile(std::string bytes, std::int64_t failAfterBytes = -1)
      : bytes_(std::move(bytes)), failAfter_(failAfterBytes) {}
  int reads = 0;

  int Read(void* buffer, int count) override {
    ++reads;
    if (failAfter_ >= 0 && readSoFar_ >= failAfter_) return -1;
    const std::int64_t left = position_ < Size() ? Size() - position_ : 0;
    const int got = static_cast<int>(left < count ? left : count);
    if (got > 0) std::memcpy(buffer, bytes_.data() + position_, static_cast<std::size_t>(got));
    position_ += got;
    readSoFar_ += got;
    return got;
  }
  int Write(const void*, int) override { return -1; }
  bool Seek(std::int64_t offset, SeekOrigin origin) override {
    const std::int64_t base = origin == SeekOrigin::Start ? 0 : origin == SeekOrigin::Current ? position_ : Size();
    if (base + offset < 0) return false;
    position_ = base + offset;
    return true;
  }
  std::int64_t Tell() override { return position_; }

 private:
  std::int64_t Size() const { return static_cast<std::int64_t>(bytes_.size()); }
  std::string bytes_;
  std::int64_t position_ = 0;
  std::int64_t failAfter_;
  std::int64_t readSoFar_ = 0;
};

std::string Bytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131) ^ (i >> 9));
  return bytes;
}

TEST(BufferedFile, EveryMixOfReadsAndSeeksGivesWhatTheFileGives) {
  const std::string bytes = Bytes(300000);
  MemoryFile reference(bytes);
  auto underlying = std::make_unique<MemoryFile>(bytes);
  MemoryFile& counted = *underlying;
  BufferedFile buffered(std::move(underlying));
  std::mt19937 random(7);
  const int sizes[] = {0, 1, 8, 100, 4096, 32768, BufferedFile::kBufferSize - 1, BufferedFile::kBufferSize,
                       70000};
  std::vector<char> want(80000);
  std::vector<char> got(80000);
  for (int step = 0; step < 3000; ++step) {
    SCOPED_TRACE(step);
    switch (random() % 5) {
      case 0: {  // a seek from the start, often just behind or ahead
        const std::int64_t to = static_cast<std::int64_t>(random() % 310000);
        ASSERT_EQ(buffered.Seek(to, SeekOrigin::Start), reference.Seek(to, SeekOrigin::Start));
        break;
      }
      case 1: {
        const std::int64_t by = static_cast<std::int64_t>(random() % 2000) - 1000;
        ASSERT_EQ(buffered.Seek(by, SeekOrigin::Current), reference.Seek(by, SeekOrigin::Current));
        break;
      }
      case 2: {
        const std::int64_t back = -static_cast<std::int64_t>(random() % 100000);
        ASSERT_EQ(buffered.Seek(back, SeekOrigin::End), reference.Seek(back, SeekOrigin::End));
        break;
      }
      default: {
        const int size = sizes[random() % (sizeof sizes / sizeof sizes[0])];
        const int expected = reference.Read(want.data(), size);
        ASSERT_EQ(buffered.Read(got.data(), size), expected);
        ASSERT_EQ(std::memcmp(got.data(), want.data(), static_cast<std::size_t>(expected > 0 ? expected : 0)), 0);
      }
    }
    ASSERT_EQ(buffered.Tell(), reference.Tell());
  }
  // The point of it: read as libmspack reads a cabinet (a header, then its
  // block), the file is read once per buffer, not twice per block.
  ASSERT_TRUE(buffered.Seek(0, SeekOrigin::Start));
  const int before = counted.reads;
  for (std::size_t at = 0; at + 1008 <= bytes.size(); at += 1008) {
    ASSERT_EQ(buffered.Read(got.data(), 8), 8);
    ASSERT_EQ(buffered.Read(got.data() + 8, 1000), 1000);
    ASSERT_EQ(std::string(got.data(), 1008), bytes.substr(at, 1008));
  }
  EXPECT_LE(counted.reads - before, static_cast<int>(bytes.size() / BufferedFile::kBufferSize) + 1);
}

TEST(BufferedFile, AFailingFileGivesWhatWasReadThenFails) {
  const std::string bytes = Bytes(200000);
  BufferedFile buffered(std::make_unique<MemoryFile>(bytes, /*failAfterBytes=*/BufferedFile::kBufferSize));
  std::vector<char> got(100000);
  // The first buffer's bytes come, then the file fails.
  ASSERT_EQ(buffered.Read(got.data(), 100), 100);
  EXPECT_EQ(std::string(got.data(), 100), bytes.substr(0, 100));
  EXPECT_EQ(buffered.Read(got.data(), 100000), BufferedFile::kBufferSize - 100);
  EXPECT_EQ(buffered.Read(got.data(), 10), -1);
  // Where the file stands after a failure is asked of the file.
  EXPECT_EQ(buffered.Tell(), BufferedFile::kBufferSize);
  EXPECT_EQ(buffered.Write("x", 1), -1);
}

}  // namespace
}  // namespace cv::test
