// Cabinets inside larger files: which signature counts, scrambling, and the
// chunked scan's boundaries.

#include <gtest/gtest.h>

#include <cstring>

#include "cabinet_builder.h"
#include "host/unpack_host_support.h"
#include "unpack/cabinet_scan.h"

namespace cv::test {
namespace {

using unpack::FindEmbeddedCabinet;
using unpack::kScanChunkSize;

// A file in memory, for the scan on its own.
class MemoryFile final : public unpack::File {
 public:
  explicit MemoryFile(std::string bytes) : bytes_(std::move(bytes)) {}
  int Read(void* buffer, int count) override {
    const auto left = static_cast<std::int64_t>(bytes_.size()) - position_;
    const int got = static_cast<int>(std::max<std::int64_t>(0, std::min<std::int64_t>(count, left)));
    if (got > 0) std::memcpy(buffer, bytes_.data() + position_, static_cast<std::size_t>(got));
    position_ += got;
    ++reads;
    return got;
  }
  int Write(const void*, int) override { return -1; }
  bool Seek(std::int64_t offset, unpack::SeekOrigin origin) override {
    const std::int64_t base = origin == unpack::SeekOrigin::Start     ? 0
                              : origin == unpack::SeekOrigin::Current ? position_
                                                                      : static_cast<std::int64_t>(bytes_.size());
    if (base + offset < 0) return false;
    position_ = base + offset;
    return true;
  }
  std::int64_t Tell() override { return position_; }
  int reads = 0;

 private:
  std::string bytes_;
  std::int64_t position_ = 0;
};

const std::string kSignature("MSCF\0\0\0\0", 8);

std::vector<CabinetFile> SampleFiles(const std::string& tag) {
  return {{tag + "\\one.txt", TextBytes(3000, 1) + tag}, {tag + "\\two.bin", RandomBytes(70000, 2)}};
}

std::map<std::string, std::string> Expected(const std::vector<CabinetFile>& files) {
  std::map<std::string, std::string> tree;
  for (const auto& file : files) {
    std::string name = file.Name;
    for (auto& c : name) if (c == '\\') c = '/';
    tree[name] = file.Data;
  }
  return tree;
}

TEST(CabinetScan, CountsHitsFromTheStartOfTheFile) {
  std::string bytes = RandomBytes(1000, 3) + kSignature + RandomBytes(500, 4) + kSignature;
  MemoryFile file(bytes);
  EXPECT_EQ(FindEmbeddedCabinet(file, 0, 0), std::optional<std::int64_t>(1000));
  EXPECT_EQ(FindEmbeddedCabinet(file, 0, 1), std::optional<std::int64_t>(1508));
  EXPECT_EQ(FindEmbeddedCabinet(file, 0, 2), std::nullopt);
  EXPECT_EQ(FindEmbeddedCabinet(file, 0, -1), std::nullopt);
}

// Signatures at every position around a chunk boundary, in the overlap the
// scan looks at twice: each is found once, and the next one is index 1.
TEST(CabinetScan, FindsSignaturesAcrossTheChunkBoundaryOnce) {
  for (int at = kScanChunkSize - 24; at <= kScanChunkSize + 8; ++at) {
    std::string bytes(static_cast<std::size_t>(at), 'x');
    bytes += kSignature + std::string(40, 'y') + kSignature + std::string(100, 'z');
    MemoryFile file(bytes);
    EXPECT_EQ(FindEmbeddedCabinet(file, 0, 0), std::optional<std::int64_t>(at)) << at;
    EXPECT_EQ(FindEmbeddedCabinet(file, 0, 1), std::optional<std::int64_t>(at + 48)) << at;
    EXPECT_EQ(FindEmbeddedCabinet(file, 0, 2), std::nullopt) << at;
  }
}

TEST(CabinetScan, SignatureAtTheVeryEndAndTinyFiles) {
  MemoryFile atEnd(std::string(2 * kScanChunkSize - 8, 'q') + kSignature);
  EXPECT_EQ(FindEmbeddedCabinet(atEnd, 0, 0), std::optional<std::int64_t>(2 * kScanChunkSize - 8));
  MemoryFile exact(kSignature);
  EXPECT_EQ(FindEmbeddedCabinet(exact, 0, 0), std::optional<std::int64_t>(0));
  MemoryFile shorter(kSignature.substr(0, 7));
  EXPECT_EQ(FindEmbeddedCabinet(shorter, 0, 0), std::nullopt);
  MemoryFile empty("");
  EXPECT_EQ(FindEmbeddedCabinet(empty, 0, 0), std::nullopt);
}

TEST(CabinetScan, ScrambledSignatureOnlyWithTheKey) {
  MemoryFile file(std::string(100, 'a') + kSignature + std::string(100, 'b') + Scramble(kSignature));
  EXPECT_EQ(FindEmbeddedCabinet(file, 0, 0), std::optional<std::int64_t>(100));
  EXPECT_EQ(FindEmbeddedCabinet(file, 0, 1), std::nullopt);
  EXPECT_EQ(FindEmbeddedCabinet(file, 0xA7, 0), std::optional<std::int64_t>(208));
  EXPECT_EQ(FindEmbeddedCabinet(file, 0xA7, 1), std::nullopt);
}

TEST(Container, TwoCabinetsByIndexAndAThirdIsNotThere) {
  Scratch scratch;
  const auto first = SampleFiles("first");
  const auto second = SampleFiles("second");
  const std::string container = scratch.Path("setup.exe");
  WriteFile(container, "MZ" + RandomBytes(50000, 5) + BuildCabinet(first) + BuildCabinet(second) +
                           std::string(28, '\1') + "CVPEND<variables/>");
  for (int index = 0; index < 2; ++index) {
    Harness harness;
    harness.output = scratch.Path("out" + std::to_string(index) + "/");
    EXPECT_EQ(harness.Extract(container, index), 1);
    EXPECT_EQ(Tree(harness.output), Expected(index == 0 ? first : second));
  }
  Harness third;
  third.output = scratch.Path("out2/");
  EXPECT_EQ(third.Extract(container, 2), 0);
  EXPECT_EQ(third.cabinets, std::vector<std::string>{"setup.exe"});
  EXPECT_TRUE(Tree(third.output).empty());
}

TEST(Container, ScrambledContainerNeedsScrambledMode) {
  Scratch scratch;
  const auto files = SampleFiles("s");
  const std::string container = scratch.Path("package.cvp");
  // A plain signature in front of the scrambled cabinet is no hit when
  // scrambling is on.
  WriteFile(container, RandomBytes(1000, 6) + kSignature + RandomBytes(100, 7) +
                           Scramble(BuildCabinet(files)) + "trailer");
  Harness scrambled;
  scrambled.output = scratch.Path("scrambled/");
  EXPECT_EQ(scrambled.Extract(container, 0, true), 1);
  EXPECT_EQ(Tree(scrambled.output), Expected(files));

  // Without scrambling the plain signature is the first hit: it is no
  // cabinet, and the scrambled cabinet is never a hit.
  Harness plain;
  plain.output = scratch.Path("plain/");
  EXPECT_EQ(plain.Extract(container, 0, false), 0);
  EXPECT_TRUE(plain.files.empty());
  Harness plainSecond;
  plainSecond.output = scratch.Path("plain2/");
  EXPECT_EQ(plainSecond.Extract(container, 1, false), 0);
  EXPECT_EQ(plainSecond.cabinets.size(), 1u);
}

TEST(Container, PlainCabinetIsNoHitInScrambledMode) {
  Scratch scratch;
  const std::string container = scratch.Path("plain.cvp");
  WriteFile(container, RandomBytes(300, 8) + BuildCabinet(SampleFiles("p")));
  Harness harness;
  harness.output = scratch.Path("out/");
  EXPECT_EQ(harness.Extract(container, 0, true), 0);
  EXPECT_EQ(harness.cabinets.size(), 1u);
  EXPECT_TRUE(harness.files.empty());
}

// Cabinets whose signature straddles the first chunk boundary, scrambled and
// plain.
TEST(Container, CabinetAcrossTheChunkBoundary) {
  const auto files = SampleFiles("edge");
  const std::string cabinet = BuildCabinet(files);
  for (bool scrambled : {false, true}) {
    for (int at : {kScanChunkSize - 16, kScanChunkSize - 9, kScanChunkSize - 4, kScanChunkSize - 1}) {
      Scratch scratch;
      const std::string container = scratch.Path("setup.exe");
      const std::string embedded = scrambled ? Scramble(cabinet) : cabinet;
      WriteFile(container, std::string(static_cast<std::size_t>(at), 'j') + embedded);
      Harness harness;
      harness.output = scratch.Path("out/");
      EXPECT_EQ(harness.Extract(container, 0, scrambled), 1) << at << " " << scrambled;
      EXPECT_EQ(Tree(harness.output), Expected(files)) << at << " " << scrambled;
    }
  }
}

TEST(Container, MissingContainerAsksForAnotherFolder) {
  Scratch scratch;
  const auto files = SampleFiles("m");
  fs::create_directories(scratch.Path("elsewhere"));
  WriteFile(scratch.Path("elsewhere/setup.exe"), "junk" + BuildCabinet(files));
  Harness harness;
  harness.output = scratch.Path("out/");
  std::string offered;
  harness.onCabinet = [&](unpack::CabinetRecord& record) {
    offered = record.Folder;
    std::snprintf(record.Folder, sizeof record.Folder, "%s", scratch.Path("elsewhere/").c_str());
    return 1;
  };
  EXPECT_EQ(harness.Extract(scratch.Path("setup.exe")), 1);
  EXPECT_EQ(offered, scratch.Path());
  EXPECT_EQ(harness.cabinets, std::vector<std::string>{"setup.exe"});
  EXPECT_EQ(Tree(harness.output), Expected(files));
}

// The engine confirms a folder that still has no such cabinet: the library
// asks a bounded number of times and then fails.
TEST(Container, CabinetThatKeepsFailingIsGivenUp) {
  Scratch scratch;
  const std::string container = scratch.Path("setup.exe");
  WriteFile(container, RandomBytes(5000, 9));
  Harness harness;
  harness.output = scratch.Path("out/");
  harness.onCabinet = [](unpack::CabinetRecord&) { return 1; };
  EXPECT_EQ(harness.Extract(container), 0);
  EXPECT_EQ(harness.cabinets.size(),
            static_cast<std::size_t>(unpack::Extraction::kMaxCabinetRequests));
}

}  // namespace
}  // namespace cv::test
