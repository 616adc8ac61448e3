// libmspack's own test cabinets, each extracted through the library and
// compared with what cabextract makes of it: cabinets cabextract extracts
// come out byte for byte the same, the ones it rejects (malformed, partial,
// the CVE cases) make Enumerate answer 0 without a crash or a leak.

#include <gtest/gtest.h>

#include <algorithm>

#include "host/unpack_host_support.h"

namespace cv::test {
namespace {

std::vector<std::string> TestCabinets() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(MspackTestFiles())) {
    const std::string name = entry.path().filename().string();
    // Sets and files holding several cabinets have tests of their own.
    if (entry.path().extension() != ".cab" || name.rfind("multi_", 0) == 0 ||
        name.rfind("search_", 0) == 0) {
      continue;
    }
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class MspackCabinet : public testing::TestWithParam<std::string> {};

TEST_P(MspackCabinet, ExtractsAsCabextractDoesOrFailsCleanly) {
  if (!HaveTool("cabextract")) GTEST_SKIP() << "cabextract is not installed";
  Scratch scratch;
  const std::string cabinet = MspackTestFiles() + "/" + GetParam();
  const std::string reference = scratch.Path("reference/");
  fs::create_directories(reference);
  const int rc = RunCommand("timeout 60 cabextract -q -d " + Quote(reference) + " " + Quote(cabinet));

  Harness harness;
  harness.output = scratch.Path("ours/");
  // Names too long for an output path of 259 characters under the scratch
  // folder are written under a short alias and compared under their name.
  std::map<std::string, std::string> aliases;
  harness.onFile = [&](unpack::FileRecord& file) {
    std::string path = Harness::TargetPath(harness.output, file.Name);
    if (path.size() >= sizeof file.OutputPath) {
      const std::string alias = "alias" + std::to_string(aliases.size());
      aliases[alias] = file.Name;
      path = harness.output + alias;
    }
    std::snprintf(file.OutputPath, sizeof file.OutputPath, "%s", path.c_str());
    return 1;
  };
  const std::int32_t result = harness.Extract(cabinet);
  if (rc == 0) {
    EXPECT_EQ(result, 1);
    std::map<std::string, std::string> ours;
    for (const auto& [name, bytes] : Tree(harness.output)) {
      ours[aliases.count(name) ? aliases[name] : name] = bytes;
    }
    EXPECT_EQ(ours, Tree(reference));
    EXPECT_FALSE(ours.empty());
    EXPECT_EQ(harness.completed, harness.files);
  } else {
    EXPECT_EQ(result, 0);
    // A file without a cabinet signature is a container without the
    // cabinet: the engine is asked for another folder (and answers -1
    // here). A cabinet that cannot be read to its end is asked for too;
    // a corrupt one is final. Either way the engine is asked at most once.
    const bool signature =
        ReadFile(cabinet).find(std::string("MSCF\0\0\0\0", 8)) != std::string::npos;
    if (!signature) {
      EXPECT_EQ(harness.cabinets.size(), 1u);
    }
    EXPECT_LE(harness.cabinets.size(), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(TestFiles, MspackCabinet, testing::ValuesIn(TestCabinets()),
                         [](const testing::TestParamInfo<std::string>& param) {
                           std::string name = param.param.substr(0, param.param.size() - 4);
                           for (auto& c : name) if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// A file with two cabinets: index 0 and index 1 together give what
// cabextract (which searches the whole file) extracts; index 2 is not there.
TEST(MspackSearchCabinets, EachIndexFindsOneOfTheEmbeddedCabinets) {
  if (!HaveTool("cabextract")) GTEST_SKIP() << "cabextract is not installed";
  Scratch scratch;
  const std::string cabinet = MspackTestFiles() + "/search_basic.cab";
  const std::string reference = scratch.Path("reference/");
  fs::create_directories(reference);
  ASSERT_EQ(RunCommand("cabextract -q -d " + Quote(reference) + " " + Quote(cabinet)), 0);

  for (int index = 0; index < 2; ++index) {
    Harness harness;
    harness.output = scratch.Path("ours" + std::to_string(index) + "/");
    EXPECT_EQ(harness.Extract(cabinet, index), 1) << index;
    EXPECT_EQ(Tree(harness.output), Tree(reference)) << index;
  }
  Harness missing;
  missing.output = scratch.Path("ours2/");
  EXPECT_EQ(missing.Extract(cabinet, 2), 0);
  EXPECT_EQ(missing.cabinets, std::vector<std::string>{"search_basic.cab"});
  EXPECT_TRUE(missing.files.empty());
}

// "MSCF" followed by a non-zero reserved field is not a cabinet signature
// here, though cabextract's search accepts it.
TEST(MspackSearchCabinets, SignatureNeedsTheZeroReservedField) {
  const std::string bytes = ReadFile(MspackTestFiles() + "/search_tricky1.cab");
  ASSERT_EQ(bytes.find(std::string("MSCF\0\0\0\0", 8)), std::string::npos);
  ASSERT_NE(bytes.find("MSCF"), std::string::npos);
  Scratch scratch;
  Harness harness;
  harness.output = scratch.Path("out/");
  EXPECT_EQ(harness.Extract(MspackTestFiles() + "/search_tricky1.cab"), 0);
  EXPECT_TRUE(harness.files.empty());
}


// The LZX and Quantum window sizes come from a folder's header. Sizes outside
// what each method allows are refused before anything is shifted by them
// (the library's own code shifted first, undefined for 31 places, which the
// sanitizers stop on).
TEST(MspackWindowSizes, OutOfRangeWindowSizesFailTheFolderCleanly) {
  const std::string original = ReadFile(MspackTestFiles() + "/mszip_lzx_qtm.cab");
  ASSERT_GT(original.size(), 60u);
  // CFHEADER is 36 bytes, each CFFOLDER 8, its compression type at 6: the
  // method in the low nibble, the window bits in the high byte.
  const struct {
    int folder;
    int method;
    const char* member;
    std::vector<int> bits;
  } cases[] = {{1, 3, "lzx.txt", {14, 22, 31}}, {2, 2, "qtm.txt", {9, 22, 31}}};
  for (const auto& c : cases) {
    const std::size_t typeOffset = 36 + 8 * c.folder + 6;
    ASSERT_EQ(original[typeOffset] & 0x0F, c.method);
    for (const int bits : c.bits) {
      std::string damaged = original;
      damaged[typeOffset + 1] = static_cast<char>(bits);
      Scratch scratch;
      const std::string cabinet = scratch.Path("damaged.cab");
      WriteFile(cabinet, damaged);
      Harness harness;
      harness.output = scratch.Path("out/");
      EXPECT_EQ(harness.Extract(cabinet), 0) << c.member << " " << bits;
      EXPECT_FALSE(fs::exists(harness.output + c.member)) << c.member << " " << bits;
    }
  }
}

}  // namespace
}  // namespace cv::test
