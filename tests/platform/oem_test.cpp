#include "platform/oem.h"

#include <gtest/gtest.h>

#include <string>

namespace cv {
namespace {

TEST(ToOem, KeepsTheLength) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(ToOem(all).size(), 256u);
  EXPECT_EQ(ToOem(std::string("a\0b", 3)).size(), 3u);
  EXPECT_EQ(ToOem(""), "");
}

TEST(ToOem, LeavesAsciiAlone) {
  // The ANSI and OEM code pages agree on ASCII, which is all a batch file's
  // commands hold apart from the paths in them.
  const std::string line = "del \"C:\\Temp\\Setup 1\\x.exe\"\r\nif exist \"a~b\" goto try";
  EXPECT_EQ(ToOem(line), line);
}

}  // namespace
}  // namespace cv
