// Reading a range of a file: from its start, back from its end, cut at the
// file's bounds, and nothing for a file that is not there.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_io.h"

namespace cv {
namespace {

namespace fs = std::filesystem;

class FileRange : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (fs::temp_directory_path() /
             ("corvane-range-" +
              std::to_string(std::chrono::steady_clock::now().time_since_epoch().count())))
                .string();
    std::ofstream(path_, std::ios::binary) << "0123456789";
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove(path_, ignored);
  }
  std::string path_;
};

TEST_F(FileRange, FromTheStartOrBackFromTheEndWithinTheFile) {
  struct Case {
    std::int64_t offset;
    std::size_t count;
    const char* bytes;
  };
  const Case cases[] = {{0, 4, "0123"},  {6, 4, "6789"},  {8, 10, "89"}, {10, 3, ""},
                        {25, 3, ""},     {-3, 3, "789"},  {-3, 2, "78"}, {-12, 4, "0123"},
                        {-12, 20, "0123456789"}, {0, 0, ""}};
  for (const Case& c : cases) {
    std::string bytes = "stale";
    std::uint64_t size = 0;
    EXPECT_TRUE(ReadFileRange(path_, c.offset, c.count, bytes, &size)) << c.offset;
    EXPECT_EQ(bytes, c.bytes) << c.offset << " " << c.count;
    EXPECT_EQ(size, 10u);
  }
}

TEST_F(FileRange, AMissingFileReadsNothing) {
  std::string bytes = "stale";
  EXPECT_FALSE(ReadFileRange(path_ + ".missing", 0, 4, bytes));
  EXPECT_EQ(bytes, "");
}

}  // namespace
}  // namespace cv
