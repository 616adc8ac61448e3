// The writer thread of the unpack library: every block reaches its file in
// order whatever the block sizes, and a failed write is reported to the
// caller (by the next Write or by Finish) without the file's later blocks
// being written after it.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "unpack/background_writer.h"

namespace cv::test {
namespace {

using unpack::BackgroundWriter;

// What is left of a file after a write: far from its end, or nothing.
constexpr std::uint64_t kMuchMore = BackgroundWriter::kWriteAtOnceRemaining * 4;
constexpr std::uint64_t kNothing = 0;

// A file in memory whose writes fail from a given write on.
class MemoryFile final : public unpack::File {
 public:
  explicit MemoryFile(int failFromWrite = -1) : failFromWrite_(failFromWrite) {}
  std::string bytes;
  int writes = 0;

  int Read(void*, int) override { return -1; }
  int Write(const void* data, int count) override {
    if (failFromWrite_ >= 0 && writes >= failFromWrite_) return -1;
    ++writes;
    bytes.append(static_cast<const char*>(data), static_cast<std::size_t>(count));
    return count;
  }
  bool Seek(std::int64_t, unpack::SeekOrigin) override { return false; }
  std::int64_t Tell() override { return -1; }

 private:
  int failFromWrite_;
};

std::string Pattern(std::size_t size, char seed) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>(seed + i * 7);
  return text;
}

TEST(BackgroundWriter, EveryBlockReachesItsFileInOrder) {
  const std::vector<std::size_t> sizes = {1,     0,     32768, 65536, 100,
                                          BackgroundWriter::kMaxWaitingBytes + 5, 7, 65536};
  BackgroundWriter writer;
  MemoryFile first;
  MemoryFile second;
  std::string expectFirst;
  std::string expectSecond;
  for (int round = 0; round < 20; ++round) {
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      const std::string block = Pattern(sizes[i], static_cast<char>(round * 31 + i));
      MemoryFile& file = i % 3 == 0 ? second : first;
      (i % 3 == 0 ? expectSecond : expectFirst) += block;
      ASSERT_TRUE(writer.Write(file, block.data(), static_cast<int>(block.size()), kMuchMore));
    }
  }
  ASSERT_TRUE(writer.Finish());
  EXPECT_EQ(first.bytes, expectFirst);
  EXPECT_EQ(second.bytes, expectSecond);
}

TEST(BackgroundWriter, AWriteNearTheEndWithNothingWaitingIsMadeAtOnce) {
  BackgroundWriter writer;
  MemoryFile file;
  const std::string block = Pattern(1000, 'a');
  ASSERT_TRUE(writer.Write(file, block.data(), 1000, BackgroundWriter::kWriteAtOnceRemaining));
  // No Finish yet: the bytes are there already.
  EXPECT_EQ(file.bytes, block);
  ASSERT_TRUE(writer.Write(file, block.data(), 1000, kNothing));
  EXPECT_EQ(file.bytes, block + block);
  EXPECT_TRUE(writer.Finish());
}

TEST(BackgroundWriter, AWriteNearTheEndWaitsItsTurnBehindQueuedOnes) {
  BackgroundWriter writer;
  MemoryFile file;
  std::string expected;
  for (int i = 0; i < 40; ++i) {
    const std::string block = Pattern(32768, static_cast<char>(i));
    expected += block;
    // The last blocks are near the end, but earlier ones may still be queued.
    const std::uint64_t remaining = static_cast<std::uint64_t>(39 - i) * 32768;
    ASSERT_TRUE(writer.Write(file, block.data(), 32768, remaining));
  }
  ASSERT_TRUE(writer.Finish());
  EXPECT_EQ(file.bytes, expected);
}

TEST(BackgroundWriter, AFailedWriteIsReportedAndStopsTheFile) {
  BackgroundWriter writer;
  MemoryFile file(/*failFromWrite=*/2);
  const std::string block = Pattern(4096, 'x');
  bool refused = false;
  for (int i = 0; i < 50 && !refused; ++i) {
    refused = !writer.Write(file, block.data(), 4096, kMuchMore);
  }
  EXPECT_FALSE(writer.Finish());
  EXPECT_EQ(file.bytes, block + block);
  // The failure belongs to the file it happened to: the next one starts clean.
  MemoryFile next;
  ASSERT_TRUE(writer.Write(next, block.data(), 4096, kMuchMore));
  EXPECT_TRUE(writer.Finish());
  EXPECT_EQ(next.bytes, block);
}

TEST(BackgroundWriter, ALastWriteThatFailsIsReported) {
  BackgroundWriter writer;
  MemoryFile file(/*failFromWrite=*/0);
  const std::string block = Pattern(10, 'q');
  EXPECT_FALSE(writer.Write(file, block.data(), 10, kNothing));
  EXPECT_FALSE(writer.Finish());
  EXPECT_TRUE(file.bytes.empty());
}

}  // namespace
}  // namespace cv::test
