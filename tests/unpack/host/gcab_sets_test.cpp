// Cabinets made by gcab at test time, cabinet sets from libmspack's test
// files, and read failures injected under libmspack.

#include <gtest/gtest.h>

#include "cabinet_builder.h"
#include "host/unpack_host_support.h"

namespace cv::test {
namespace {

class GcabCabinets : public testing::TestWithParam<bool> {};

// Many files, an empty one and a large one of many blocks, stored or MSZIP:
// what comes out is what went in, and what cabextract extracts too.
TEST_P(GcabCabinets, ExtractLikeTheOriginalsAndLikeCabextract) {
  if (!HaveTool("gcab") || !HaveTool("cabextract")) GTEST_SKIP() << "gcab or cabextract missing";
  const bool compressed = GetParam();
  Scratch scratch;
  std::vector<std::string> names;
  for (int i = 0; i < 150; ++i) {
    const std::string name = "file" + std::to_string(i) + ".txt";
    WriteFile(scratch.Path("in/" + name), TextBytes(static_cast<std::size_t>(i) * 97 + 1, static_cast<unsigned>(i)));
    names.push_back(name);
  }
  WriteFile(scratch.Path("in/empty.dat"), "");
  WriteFile(scratch.Path("in/large.bin"), TextBytes(1500000, 31) + RandomBytes(600000, 32));
  names.push_back("empty.dat");
  names.push_back("large.bin");
  std::string list;
  for (const auto& name : names) list += " " + name;
  ASSERT_EQ(RunCommand("cd " + Quote(scratch.Path("in")) + " && gcab -c " + (compressed ? "-z " : "") +
                       Quote(scratch.Path("made.cab")) + list),
            0);
  fs::create_directories(scratch.Path("reference"));
  ASSERT_EQ(RunCommand("cabextract -q -d " + Quote(scratch.Path("reference")) + " " +
                       Quote(scratch.Path("made.cab"))),
            0);

  Harness harness;
  harness.output = scratch.Path("out/");
  EXPECT_EQ(harness.Extract(scratch.Path("made.cab")), 1);
  const auto ours = Tree(harness.output);
  EXPECT_EQ(ours, Tree(scratch.Path("in")));
  EXPECT_EQ(ours, Tree(scratch.Path("reference")));
  EXPECT_EQ(harness.files.size(), names.size());
}

INSTANTIATE_TEST_SUITE_P(StoredAndMszip, GcabCabinets, testing::Bool());

// libmspack's five-part set, named as its cabinets name each other.
class CabinetSet : public testing::Test {
 protected:
  void SetUp() override {
    for (int part = 1; part <= 5; ++part) {
      const std::string name = "multi_basic_pt" + std::to_string(part) + ".cab";
      WriteFile(scratch.Path("set/cabd_" + name), ReadFile(MspackTestFiles() + "/" + name));
    }
  }
  std::map<std::string, std::string> Reference() {
    fs::create_directories(scratch.Path("reference"));
    EXPECT_EQ(RunCommand("cd " + Quote(scratch.Path("set")) + " && cabextract -q -d " +
                         Quote(scratch.Path("reference")) + " cabd_multi_basic_pt1.cab"),
              0);
    return Tree(scratch.Path("reference"));
  }
  Scratch scratch;
};

TEST_F(CabinetSet, ExtractsFilesSpanningAllParts) {
  if (!HaveTool("cabextract")) GTEST_SKIP() << "cabextract is not installed";
  Harness harness;
  harness.output = scratch.Path("out/");
  EXPECT_EQ(harness.Extract(scratch.Path("set/cabd_multi_basic_pt1.cab")), 1);
  const auto reference = Reference();
  EXPECT_EQ(reference.size(), 3u);
  EXPECT_EQ(Tree(harness.output), reference);
  // Each file once: the later parts only continue them.
  EXPECT_EQ(harness.files, (std::vector<std::string>{"test1.txt", "test2.txt", "test3.txt"}));
  EXPECT_TRUE(harness.cabinets.empty());
}

TEST_F(CabinetSet, MissingPartIsAskedForWithNotificationFour) {
  if (!HaveTool("cabextract")) GTEST_SKIP() << "cabextract is not installed";
  const auto reference = Reference();
  fs::create_directories(scratch.Path("disk2"));
  fs::rename(scratch.Path("set/cabd_multi_basic_pt3.cab"), scratch.Path("disk2/cabd_multi_basic_pt3.cab"));
  Harness harness;
  harness.output = scratch.Path("out/");
  std::vector<std::string> folders;
  harness.onCabinet = [&](unpack::CabinetRecord& record) {
    folders.push_back(record.Folder);
    std::snprintf(record.Folder, sizeof record.Folder, "%s", scratch.Path("disk2/").c_str());
    return 1;
  };
  // pt4 and pt5 are then looked for in the folder the engine gave.
  fs::rename(scratch.Path("set/cabd_multi_basic_pt4.cab"), scratch.Path("disk2/cabd_multi_basic_pt4.cab"));
  fs::rename(scratch.Path("set/cabd_multi_basic_pt5.cab"), scratch.Path("disk2/cabd_multi_basic_pt5.cab"));
  EXPECT_EQ(harness.Extract(scratch.Path("set/cabd_multi_basic_pt1.cab")), 1);
  EXPECT_EQ(harness.cabinets, std::vector<std::string>{"cabd_multi_basic_pt3.cab"});
  EXPECT_EQ(folders, std::vector<std::string>{scratch.Path("set/")});
  EXPECT_EQ(Tree(harness.output), reference);
}

TEST_F(CabinetSet, PartThatCannotBeSuppliedFails) {
  fs::remove(scratch.Path("set/cabd_multi_basic_pt4.cab"));
  Harness refused;
  refused.output = scratch.Path("refused/");
  EXPECT_EQ(refused.Extract(scratch.Path("set/cabd_multi_basic_pt1.cab")), 0);
  EXPECT_EQ(refused.cabinets, std::vector<std::string>{"cabd_multi_basic_pt4.cab"});
  EXPECT_TRUE(refused.completed.empty());

  Harness confirmed;
  confirmed.output = scratch.Path("confirmed/");
  confirmed.onCabinet = [](unpack::CabinetRecord&) { return 1; };
  EXPECT_EQ(confirmed.Extract(scratch.Path("set/cabd_multi_basic_pt1.cab")), 0);
  EXPECT_EQ(confirmed.cabinets.size(),
            static_cast<std::size_t>(unpack::Extraction::kMaxCabinetRequests));
}

// Starting in the middle of a set: files continued from an earlier part
// are not offered, and nothing fails.
TEST_F(CabinetSet, StartingAtALaterPartSkipsContinuedFiles) {
  Harness harness;
  harness.output = scratch.Path("out/");
  EXPECT_EQ(harness.Extract(scratch.Path("set/cabd_multi_basic_pt3.cab")), 1);
  EXPECT_TRUE(harness.files.empty());
}

// A file system whose cabinet reads fail after a number of bytes, and whose
// file creation fails on demand.
class FailingFileSystem final : public unpack::FileSystem {
 public:
  class FailingFile final : public unpack::File {
   public:
    FailingFile(std::unique_ptr<unpack::File> inner, long long budget)
        : inner_(std::move(inner)), budget_(budget) {}
    int Read(void* buffer, int count) override {
      if (budget_ < count) return -1;
      budget_ -= count;
      return inner_->Read(buffer, count);
    }
    int Write(const void* data, int count) override { return inner_->Write(data, count); }
    bool Seek(std::int64_t offset, unpack::SeekOrigin origin) override { return inner_->Seek(offset, origin); }
    std::int64_t Tell() override { return inner_->Tell(); }

   private:
    std::unique_ptr<unpack::File> inner_;
    long long budget_;
  };
  explicit FailingFileSystem(long long budget) : budget_(budget) {}
  std::unique_ptr<unpack::File> OpenForReading(const std::string& path) override {
    auto inner = unpack::NativeFileSystem().OpenForReading(path);
    if (!inner) return nullptr;
    return std::make_unique<FailingFile>(std::move(inner), budget_);
  }
  std::unique_ptr<unpack::File> CreateForWriting(const std::string& path) override {
    return unpack::NativeFileSystem().CreateForWriting(path);
  }
  bool SetDosTime(const std::string& path, std::uint16_t date, std::uint16_t time) override {
    return unpack::NativeFileSystem().SetDosTime(path, date, time);
  }
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
    return unpack::NativeFileSystem().SetAttributes(path, attributes);
  }
  bool Remove(const std::string& path) override { return unpack::NativeFileSystem().Remove(path); }

 private:
  long long budget_;
};

// Reads that fail anywhere in the cabinet (the scan, the headers, any data
// block) end the extraction with 0 and without a crash.
TEST(ReadFailures, EveryFailingReadEndsCleanly) {
  Scratch scratch;
  const std::string cabinet = BuildCabinet({{"a.bin", RandomBytes(70000, 41)}, {"b.txt", "bee"}});
  const std::string container = scratch.Path("c.cab");
  WriteFile(container, "junk" + cabinet);
  const long long scan = static_cast<long long>(cabinet.size()) + 4;
  for (long long budget : {0LL, 100LL, scan + 10, scan + 60, scan + 200, scan + 20000, scan + 60000}) {
    SCOPED_TRACE(budget);
    FailingFileSystem fileSystem(budget);
    Harness harness;
    harness.output = scratch.Path("out" + std::to_string(budget) + "/");
    ASSERT_EQ(unpack::LibraryOpenWith(fileSystem, container.c_str(), 0, 0), 1);
    EXPECT_EQ(unpack::LibraryEnumerate(&Harness::Notify, &Harness::Hook), 0);
    EXPECT_EQ(unpack::LibraryClose(), 1);
    EXPECT_TRUE(harness.completed.size() < 2);
  }
  FailingFileSystem plenty(1LL << 40);
  Harness harness;
  harness.output = scratch.Path("whole/");
  ASSERT_EQ(unpack::LibraryOpenWith(plenty, container.c_str(), 0, 0), 1);
  EXPECT_EQ(unpack::LibraryEnumerate(&Harness::Notify, nullptr), 1);
  EXPECT_EQ(unpack::LibraryClose(), 1);
  EXPECT_EQ(harness.completed.size(), 2u);
}

}  // namespace
}  // namespace cv::test
