// How the core's file routines use the file system: stored data is written
// in large pieces, the cabinet is read without asking the file for its
// position, and scrambled data of any length comes out right.

#include <gtest/gtest.h>

#include "cabinet_builder.h"
#include "host/unpack_host_support.h"
#include "unpack/buffered_file.h"
#include "unpack/extraction.h"
#include "unpack/unpack_library.h"

namespace cv::test {
namespace {

// The native file system, counting what the core asks of the files.
class CountingFileSystem final : public unpack::FileSystem {
 public:
  struct Counts {
    int writes = 0;
    int reads = 0;
    int seeks = 0;
    int tells = 0;
    // Faults to inject: this many reads after the cabinet scan fail (the
    // scan reads larger chunks than the library's read buffer), and whether
    // every write fails.
    int smallReadsToFail = 0;
    bool writesFail = false;
  };
  Counts counts;

  std::unique_ptr<unpack::File> OpenForReading(const std::string& path) override {
    auto inner = unpack::NativeFileSystem().OpenForReading(path);
    if (!inner) return nullptr;
    return std::make_unique<CountedFile>(std::move(inner), counts);
  }
  std::unique_ptr<unpack::File> CreateForWriting(const std::string& path) override {
    auto inner = unpack::NativeFileSystem().CreateForWriting(path);
    if (!inner) return nullptr;
    return std::make_unique<CountedFile>(std::move(inner), counts);
  }
  bool SetDosTime(const std::string& path, std::uint16_t date, std::uint16_t time) override {
    return unpack::NativeFileSystem().SetDosTime(path, date, time);
  }
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
    attributesSet[fs::path(path).filename().string()] = attributes;
    return unpack::NativeFileSystem().SetAttributes(path, attributes);
  }
  std::map<std::string, std::uint32_t> attributesSet;
  bool Remove(const std::string& path) override { return unpack::NativeFileSystem().Remove(path); }

 private:
  class CountedFile final : public unpack::File {
   public:
    CountedFile(std::unique_ptr<unpack::File> inner, Counts& counts)
        : inner_(std::move(inner)), counts_(counts) {}
    int Read(void* buffer, int count) override {
      ++counts_.reads;
      if (count <= unpack::BufferedFile::kBufferSize && counts_.smallReadsToFail > 0) {
        --counts_.smallReadsToFail;
        return -1;
      }
      return inner_->Read(buffer, count);
    }
    int Write(const void* data, int count) override {
      ++counts_.writes;
      if (counts_.writesFail) return -1;
      return inner_->Write(data, count);
    }
    bool Seek(std::int64_t offset, unpack::SeekOrigin origin) override {
      ++counts_.seeks;
      return inner_->Seek(offset, origin);
    }
    std::int64_t Tell() override {
      ++counts_.tells;
      return inner_->Tell();
    }

   private:
    std::unique_ptr<unpack::File> inner_;
    Counts& counts_;
  };
};

std::int32_t ExtractWith(unpack::FileSystem& fileSystem, const std::string& container,
                         bool scrambled, bool withHook) {
  if (unpack::LibraryOpenWith(fileSystem, container.c_str(), 0, scrambled ? -1 : 0) != 1) return -100;
  const std::int32_t result =
      unpack::LibraryEnumerate(&Harness::Notify, withHook ? &Harness::Hook : nullptr);
  EXPECT_EQ(unpack::LibraryClose(), 1);
  return result;
}

TEST(IoRoutines, StoredDataIsWrittenInLargePieces) {
  Scratch scratch;
  const std::string data = RandomBytes(1 << 20, 3);
  const std::string container = scratch.Path("stored.cab");
  WriteFile(container, BuildCabinet({{"big.bin", data}}));
  CountingFileSystem fileSystem;
  Harness harness;
  harness.output = scratch.Path("out/");
  int notifications = 0;
  harness.onWrite = [&](unpack::ProgressRecord&) {
    ++notifications;
    return 1;
  };
  ASSERT_EQ(ExtractWith(fileSystem, container, false, false), 1);
  EXPECT_EQ(ReadFile(harness.output + "big.bin"), data);
  // libmspack's default buffer would cut the file into 256 writes.
  const int pieces = (1 << 20) / unpack::Extraction::kDecompressionBuffer;
  EXPECT_LE(fileSystem.counts.writes, pieces + 1);
  EXPECT_EQ(notifications, fileSystem.counts.writes);
}

TEST(IoRoutines, DataBlocksAreReadWithoutAskingForThePosition) {
  Scratch scratch;
  CabinetOptions options;
  options.BlockSize = 1000;
  const std::string container = scratch.Path("blocks.cab");
  WriteFile(container, "junk" + BuildCabinet({{"a.txt", TextBytes(64000, 5)}}, options));
  CountingFileSystem fileSystem;
  Harness harness;
  harness.output = scratch.Path("out/");
  ASSERT_EQ(ExtractWith(fileSystem, container, false, true), 1);
  ASSERT_EQ(harness.hooked.size(), 64u);
  EXPECT_EQ(fileSystem.counts.tells, 0);
  // The blocks' headers and payloads come out of the read buffer, not one
  // read of the file each; seeks only to start a pass.
  EXPECT_LT(fileSystem.counts.reads, 16);
  EXPECT_LT(fileSystem.counts.seeks, 16);
}

// Of a member's attributes only read-only, hidden, system and archive
// (0x27) reach the file: a cabinet's "execute after extraction" (0x40),
// UTF-8 name (0x80) or folder bits must not make the output something else.
TEST(IoRoutines, OnlyTheFourFileAttributesArePassedOn) {
  Scratch scratch;
  std::vector<CabinetFile> files;
  const std::uint16_t cases[] = {0x01, 0x02, 0x04, 0x20, 0x27, 0x40, 0x80, 0x10, 0xFFFF, 0x00};
  for (const std::uint16_t attributes : cases) {
    CabinetFile file{"f" + std::to_string(attributes) + ".txt", "x"};
    file.Attributes = attributes;
    files.push_back(file);
  }
  const std::string container = scratch.Path("attributes.cab");
  WriteFile(container, BuildCabinet(files));
  CountingFileSystem fileSystem;
  Harness harness;
  harness.output = scratch.Path("out/");
  ASSERT_EQ(ExtractWith(fileSystem, container, false, false), 1);
  for (const std::uint16_t attributes : cases) {
    const std::string name = "f" + std::to_string(attributes) + ".txt";
    ASSERT_EQ(fileSystem.attributesSet.count(name), 1u) << name;
    EXPECT_EQ(fileSystem.attributesSet[name], attributes & 0x27u) << name;
  }
}

// Payloads of every length modulo the machine word, scrambled behind an odd
// prefix: the files and what the hook sees match the plain cabinet.
TEST(IoRoutines, ScrambledBlocksOfEveryLength) {
  Scratch scratch;
  for (std::size_t blockSize : {1u, 7u, 9u, 13u, 4093u}) {
    SCOPED_TRACE(blockSize);
    CabinetOptions options;
    options.BlockSize = blockSize;
    const std::vector<CabinetFile> files = {{"one.txt", TextBytes(3001, 1)},
                                            {"two.bin", RandomBytes(blockSize * 3 + 5, 2)}};
    const std::string cabinet = BuildCabinet(files, options);
    const std::string container = scratch.Path("c" + std::to_string(blockSize) + ".exe");
    WriteFile(container, RandomBytes(1001, 9) + Scramble(cabinet));
    CountingFileSystem fileSystem;
    Harness harness;
    harness.output = scratch.Path("out" + std::to_string(blockSize) + "/");
    ASSERT_EQ(ExtractWith(fileSystem, container, true, true), 1);
    EXPECT_EQ(ReadFile(harness.output + "one.txt"), files[0].Data);
    EXPECT_EQ(ReadFile(harness.output + "two.bin"), files[1].Data);
    EXPECT_EQ(harness.hooked, DataBlockPayloads(cabinet));
  }
}

// A cabinet that cannot be read is asked for again like one that cannot be
// opened; a failed output is final; so is a cabinet the engine cannot supply.
TEST(IoRoutines, WhichFailuresAskTheEngineForTheCabinetsFolder) {
  struct Case {
    const char* what;
    int smallReadsToFail;
    bool writesFail;
    std::int32_t answer;  // the engine's answer to notification 4
    std::int32_t result;
    std::size_t asks;
  };
  const Case cases[] = {
      {"a header read fails once", 1, false, 1, 1, 1},
      {"reads keep failing", 100, false, 1, 0,
       static_cast<std::size_t>(unpack::Extraction::kMaxCabinetRequests)},
      {"the engine has no folder", 1, false, -1, 0, 1},
      {"the output cannot be written", 0, true, 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scratch scratch;
    const std::vector<CabinetFile> files = {{"a.txt", TextBytes(5000, 3)}};
    const std::string container = scratch.Path("setup.exe");
    WriteFile(container, "junk" + BuildCabinet(files));
    CountingFileSystem fileSystem;
    fileSystem.counts.smallReadsToFail = c.smallReadsToFail;
    fileSystem.counts.writesFail = c.writesFail;
    Harness harness;
    harness.output = scratch.Path("out/");
    std::string offered;
    harness.onCabinet = [&](unpack::CabinetRecord& record) {
      offered = record.Folder;
      return c.answer;
    };
    EXPECT_EQ(ExtractWith(fileSystem, container, false, false), c.result);
    EXPECT_EQ(harness.cabinets.size(), c.asks);
    if (c.asks > 0) {
      EXPECT_EQ(offered, scratch.Path());
    }
    EXPECT_EQ(ReadFile(harness.output + "a.txt"), c.result == 1 ? files[0].Data : "");
  }
}

}  // namespace
}  // namespace cv::test
