#include "pe_version.h"

#include <gtest/gtest.h>

#include "builder_test_support.h"

namespace cv::build {
namespace {

TEST(PeVersion, ReadsTheFixedFileVersionOfPe32AndPe32Plus) {
  EXPECT_EQ(PeFileVersion(test::TinyPeWithVersion(1, 2, 3, 4, false)), "1.2.3.4");
  EXPECT_EQ(PeFileVersion(test::TinyPeWithVersion(65535, 0, 17, 65534, true)), "65535.0.17.65534");
}

TEST(PeVersion, ReadsItFromAFile) {
  test::ScratchFolder scratch;
  const std::string path = scratch.File("tiny.dll");
  test::WriteBytes(path, test::TinyPeWithVersion(7, 8, 9, 10, false));
  EXPECT_EQ(PeFileVersionOfFile(path), "7.8.9.10");
  EXPECT_EQ(PeFileVersionOfFile(scratch.File("missing.dll")), "");
}

TEST(PeVersion, NoVersionWithoutAWellFormedResource) {
  EXPECT_EQ(PeFileVersion(""), "");
  EXPECT_EQ(PeFileVersion("MZ"), "");
  EXPECT_EQ(PeFileVersion("plain text, not a program"), "");
  const std::string image = test::TinyPeWithVersion(1, 2, 3, 4, false);
  // Truncated anywhere before the version data ends: no version, no crash.
  for (std::size_t size = 0; size < 0x260 + 56; size += 7) {
    EXPECT_EQ(PeFileVersion(image.substr(0, size)), "") << size;
  }
  // A broken fixed-information signature.
  std::string wrong = image;
  wrong[0x260 + 40] ^= 1;
  EXPECT_EQ(PeFileVersion(wrong), "");
  // A resource directory whose only type is not the version type.
  std::string otherType = image;
  otherType[0x200 + 16] = 3;  // icon
  EXPECT_EQ(PeFileVersion(otherType), "");
  // A data entry that points outside every section.
  std::string outside = image;
  outside[0x248 + 1] = 0x70;
  EXPECT_EQ(PeFileVersion(outside), "");
}

TEST(PeVersion, SurvivesHostileDirectoryCounts) {
  std::string image = test::TinyPeWithVersion(1, 2, 3, 4, false);
  // A type directory claiming 65535 entries, none of them the version type:
  // the search runs off the end of the image without harm.
  image[0x200 + 14] = static_cast<char>(0xFF);
  image[0x200 + 15] = static_cast<char>(0xFF);
  image[0x200 + 16] = 3;
  EXPECT_EQ(PeFileVersion(image), "");
  image[0x200 + 16] = 16;  // the first entry is the version type again
  EXPECT_EQ(PeFileVersion(image), "1.2.3.4");
}

}  // namespace
}  // namespace cv::build
