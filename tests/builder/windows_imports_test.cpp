// Which versions of Windows the shipped programs start on follows from the
// functions they import: Windows refuses to start a program that imports a
// function its system libraries do not have. Every function the engine and
// the unpack library import (32-bit and 64-bit builds) must be on the
// reviewed list of functions that Windows XP SP3 offers, one list per
// system library in windows_imports/, so that no change raises the minimum
// version by accident. A function that is only there on later versions must
// be looked up at run time (GetProcAddress) instead.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "pe_imports.h"

namespace cv::build {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The reviewed lists: file name (lower case) = library, one function per
// line; lines starting with "# " are remarks.
std::map<std::string, std::set<std::string>> ReviewedImports() {
  std::map<std::string, std::set<std::string>> lists;
  for (const auto& entry : fs::directory_iterator(CV_REVIEWED_IMPORTS_DIR)) {
    if (entry.path().extension() != ".txt") continue;
    std::set<std::string>& functions = lists[entry.path().stem().string()];
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);) {
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
      if (line.empty() || line.rfind("# ", 0) == 0) continue;
      functions.insert(line);
    }
  }
  return lists;
}

class WindowsImports : public ::testing::TestWithParam<const char*> {};

TEST_P(WindowsImports, EveryImportIsOnTheReviewedList) {
  const fs::path binary = fs::path(CV_WINDOWS_BUILDS_DIR) / GetParam();
  if (!fs::exists(binary)) GTEST_SKIP() << binary << " is not built";
  const auto imports = PeImports(ReadAll(binary));
  ASSERT_TRUE(imports) << binary << " has no readable import table";
  ASSERT_TRUE(imports->count("kernel32.dll")) << "every Windows program imports from kernel32";
  EXPECT_TRUE(imports->at("kernel32.dll").count("GetProcAddress"));

  const auto reviewed = ReviewedImports();
  for (const auto& [library, functions] : *imports) {
    const auto list = reviewed.find(library);
    if (list == reviewed.end()) {
      ADD_FAILURE() << binary.filename() << " imports from " << library
                    << ", which has no reviewed list";
      continue;
    }
    for (const std::string& function : functions) {
      EXPECT_TRUE(list->second.count(function))
          << binary << " imports " << library << "!" << function
          << ", which is not on the reviewed list for Windows XP SP3";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(ShippedBinaries, WindowsImports,
                         ::testing::Values("win32/bin/CVEngine.exe", "win32/bin/unpack.dll",
                                           "win64/bin/CVEngine.exe", "win64/bin/unpack.dll"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                           std::string name = param.param;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

// The reader against a table built by hand: two libraries, a name and an
// ordinal, in a 32-bit and a 64-bit image.
std::string TinyImage(bool wide) {
  std::string image(0x600, '\0');
  auto put16 = [&](std::size_t at, std::uint32_t v) {
    image[at] = static_cast<char>(v);
    image[at + 1] = static_cast<char>(v >> 8);
  };
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  auto put64 = [&](std::size_t at, std::uint64_t v) {
    put32(at, static_cast<std::uint32_t>(v));
    put32(at + 4, static_cast<std::uint32_t>(v >> 32));
  };
  auto text = [&](std::size_t at, const std::string& s) { image.replace(at, s.size(), s); };
  put16(0, 0x5A4D);
  put32(0x3C, 0x40);
  put32(0x40, 0x4550);
  const std::size_t optional = 0x40 + 24;
  const std::uint32_t optionalSize = wide ? 240 : 224;
  put16(0x40 + 6, 1);  // one section
  put16(0x40 + 20, optionalSize);
  put16(optional, wide ? 0x20B : 0x10B);
  const std::size_t directories = optional + (wide ? 112 : 96);
  put32(optional + (wide ? 108 : 92), 16);
  put32(directories + 8, 0x1000);  // imports at the section's start
  const std::size_t section = optional + optionalSize;
  put32(section + 8, 0x300);
  put32(section + 12, 0x1000);
  put32(section + 16, 0x300);
  put32(section + 20, 0x200);
  // File offset = RVA - 0x1000 + 0x200.
  auto at = [](std::uint32_t rva) { return static_cast<std::size_t>(rva - 0x1000 + 0x200); };
  // Descriptors at 0x1000 (two and a terminator), lookup tables at 0x1100
  // and 0x1140, names at 0x1200.
  put32(at(0x1000), 0x1100);
  put32(at(0x1000) + 12, 0x1200);
  put32(at(0x1000) + 16, 0x1180);
  put32(at(0x1014), 0x1140);
  put32(at(0x1014) + 12, 0x1210);
  put32(at(0x1014) + 16, 0x11C0);
  text(at(0x1200), "KERNEL32.dll");
  text(at(0x1210), "msvcrt.dll");
  text(at(0x1220) + 2, "GetTickCount");
  text(at(0x1240) + 2, "CreateFileA");
  text(at(0x1260) + 2, "malloc");
  if (wide) {
    put64(at(0x1100), 0x1220);
    put64(at(0x1108), 0x1240);
    put64(at(0x1140), 0x1260);
    put64(at(0x1148), (std::uint64_t{1} << 63) | 17);
  } else {
    put32(at(0x1100), 0x1220);
    put32(at(0x1104), 0x1240);
    put32(at(0x1140), 0x1260);
    put32(at(0x1144), 0x80000000u | 17);
  }
  return image;
}

TEST(PeImportReader, ReadsNamesAndOrdinalsByLibrary) {
  for (bool wide : {false, true}) {
    SCOPED_TRACE(wide);
    const std::string image = TinyImage(wide);
    const auto imports = PeImports(image);
    ASSERT_TRUE(imports);
    const PeImportTable expected = {{"kernel32.dll", {"CreateFileA", "GetTickCount"}},
                                    {"msvcrt.dll", {"#17", "malloc"}}};
    EXPECT_EQ(*imports, expected);
    // Cut short inside the table, the image has no readable imports.
    EXPECT_FALSE(PeImports(std::string_view(image).substr(0, 0x42A)));
    EXPECT_FALSE(PeImports("MZ not an image"));
  }
}

}  // namespace
}  // namespace cv::build
