// The notification protocol: what each record holds, and how the engine's
// answers steer and end an extraction.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>

#include "cabinet_builder.h"
#include "host/unpack_host_support.h"

namespace cv::test {
namespace {

std::vector<CabinetFile> PresetupFiles() {
  return {{"splash.bmp", RandomBytes(5000, 11)},
          {"maindb", RandomBytes(40000, 12)},
          {"plugins\\1\\wizard.dll", RandomBytes(70000, 13)},
          {"data\\program.exe", RandomBytes(90000, 14)},
          {"data\\readme.txt", TextBytes(2000, 15)}};
}

std::string Container(Scratch& scratch, const std::vector<CabinetFile>& files,
                      const CabinetOptions& options = {}) {
  const std::string path = scratch.Path("setup.exe");
  WriteFile(path, "MZ" + RandomBytes(4000, 16) + BuildCabinet(files, options));
  return path;
}

TEST(Notifications, StopAtTheFirstDataEntryKeepsEverythingBefore) {
  Scratch scratch;
  const auto files = PresetupFiles();
  Harness harness;
  harness.output = scratch.Path("package/");
  harness.onFile = [&](unpack::FileRecord& file) {
    if (std::string(file.Name).rfind("data\\", 0) == 0) return -1;
    const std::string path = Harness::TargetPath(harness.output, file.Name);
    std::snprintf(file.OutputPath, sizeof file.OutputPath, "%s", path.c_str());
    return 1;
  };
  EXPECT_EQ(harness.Extract(Container(scratch, files)), 1);
  std::map<std::string, std::string> expected;
  for (int i = 0; i < 3; ++i) {
    std::string name = files[i].Name;
    for (auto& c : name) if (c == '\\') c = '/';
    expected[name] = files[i].Data;
  }
  EXPECT_EQ(Tree(harness.output), expected);
  EXPECT_EQ(harness.files.size(), 4u);  // nothing offered after the stop
  EXPECT_EQ(harness.completed.size(), 3u);
}

TEST(Notifications, RecordsCarryTheCabinetEntry) {
  Scratch scratch;
  std::vector<CabinetFile> files = {{"a.txt", "alpha", 0x5A21, 0x6000, 0x21},
                                    {"dir\\b.txt", "bravo bravo", 0x3C8F, 0x8B5D, 0x07}};
  Harness harness;
  harness.output = scratch.Path("out/");
  std::vector<unpack::FileRecord> offered;
  harness.onFile = [&](unpack::FileRecord& file) {
    EXPECT_EQ(file.OutputPath[0], '\0');
    offered.push_back(file);
    const std::string path = Harness::TargetPath(harness.output, file.Name);
    std::snprintf(file.OutputPath, sizeof file.OutputPath, "%s", path.c_str());
    return 1;
  };
  std::vector<std::string> completedPaths;
  harness.onComplete = [&](unpack::FileRecord& file) {
    completedPaths.push_back(file.OutputPath);
    return 1;
  };
  EXPECT_EQ(harness.Extract(Container(scratch, files)), 1);
  ASSERT_EQ(offered.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(offered[i].Size, files[i].Data.size());
    EXPECT_EQ(offered[i].DateTime, (std::uint32_t{files[i].Date} << 16) | files[i].Time);
    EXPECT_EQ(offered[i].Attributes, files[i].Attributes);
  }
  EXPECT_EQ(completedPaths, (std::vector<std::string>{scratch.Path("out/a.txt"),
                                                      scratch.Path("out/dir/b.txt")}));
}

TEST(Notifications, ProgressCountsEveryWrite) {
  Scratch scratch;
  const std::string big = RandomBytes(200000, 17);
  Harness harness;
  harness.output = scratch.Path("out/");
  std::string written;
  std::uint32_t lastSoFar = 0;
  harness.onWrite = [&](unpack::ProgressRecord& progress) {
    EXPECT_EQ(std::string(progress.Name), "big.bin");
    EXPECT_EQ(std::string(progress.OutputPath), scratch.Path("out/big.bin"));
    EXPECT_EQ(progress.FileSize, big.size());
    EXPECT_EQ(progress.BytesSoFar, lastSoFar + progress.BytesThisWrite);
    lastSoFar = progress.BytesSoFar;
    written.append(static_cast<const char*>(progress.Data), progress.BytesThisWrite);
    return 1;
  };
  EXPECT_EQ(harness.Extract(Container(scratch, {{"big.bin", big}})), 1);
  EXPECT_EQ(written, big);
  EXPECT_EQ(lastSoFar, big.size());
}

TEST(Notifications, SkippedFilesAreNotWritten) {
  Scratch scratch;
  const auto files = PresetupFiles();
  Harness harness;
  harness.output = scratch.Path("out/");
  fs::create_directories(harness.output);
  harness.onFile = [&](unpack::FileRecord& file) {
    const std::string name = file.Name;
    if (name == "maindb") return 1;  // 1 with an empty path: skipped
    if (name != "data\\readme.txt") return 0;
    std::snprintf(file.OutputPath, sizeof file.OutputPath, "%s", scratch.Path("out/readme").c_str());
    return 1;
  };
  EXPECT_EQ(harness.Extract(Container(scratch, files)), 1);
  EXPECT_EQ(Tree(harness.output), (std::map<std::string, std::string>{{"readme", files[4].Data}}));
  EXPECT_EQ(harness.completed, std::vector<std::string>{"data\\readme.txt"});
}

TEST(Notifications, OutputPathOfExactly259Characters) {
  Scratch scratch;
  const std::string folder = scratch.Path("out/");
  fs::create_directories(folder);
  const std::string path = folder + std::string(259 - folder.size(), 'n');
  ASSERT_EQ(path.size(), 259u);
  Harness harness;
  harness.onFile = [&](unpack::FileRecord& file) {
    std::memcpy(file.OutputPath, path.c_str(), path.size() + 1);
    return 1;
  };
  harness.onComplete = [&](unpack::FileRecord& file) {
    EXPECT_EQ(std::string(file.OutputPath), path);
    return 1;
  };
  EXPECT_EQ(harness.Extract(Container(scratch, {{"f.txt", "content"}})), 1);
  EXPECT_EQ(ReadFile(path), "content");
}

// A path that fills the whole buffer has no terminating zero: nothing is
// created and the extraction fails.
TEST(Notifications, OutputPathWithoutTerminatorFails) {
  Scratch scratch;
  Harness harness;
  harness.onFile = [&](unpack::FileRecord& file) {
    std::memset(file.OutputPath, 'x', sizeof file.OutputPath);
    return 1;
  };
  EXPECT_EQ(harness.Extract(Container(scratch, {{"f.txt", "content"}})), 0);
  EXPECT_TRUE(harness.completed.empty());
}

TEST(Notifications, CompleteAnsweredMinusOneStopsWithSuccess) {
  Scratch scratch;
  const auto files = PresetupFiles();
  Harness harness;
  harness.output = scratch.Path("out/");
  harness.onComplete = [](unpack::FileRecord&) { return -1; };
  EXPECT_EQ(harness.Extract(Container(scratch, files)), 1);
  EXPECT_EQ(harness.files, std::vector<std::string>{"splash.bmp"});
  EXPECT_EQ(ReadFile(scratch.Path("out/splash.bmp")), files[0].Data);
}

// A write refused by the engine stops the extraction (a success) and leaves
// no half-written file.
TEST(Notifications, WriteAnsweredMinusOneStopsAndRemovesThePartialFile) {
  Scratch scratch;
  const auto files = PresetupFiles();
  Harness harness;
  harness.output = scratch.Path("out/");
  int writes = 0;
  harness.onWrite = [&](unpack::ProgressRecord& progress) {
    if (std::string(progress.Name) == "plugins\\1\\wizard.dll" && ++writes == 2) return -1;
    return 1;
  };
  EXPECT_EQ(harness.Extract(Container(scratch, files)), 1);
  EXPECT_EQ(writes, 2);
  EXPECT_FALSE(fs::exists(scratch.Path("out/plugins/1/wizard.dll")));
  EXPECT_TRUE(fs::exists(scratch.Path("out/maindb")));
  EXPECT_EQ(harness.completed.size(), 2u);
}

TEST(Notifications, OutputThatCannotBeCreatedFailsWithoutAskingForACabinet) {
  Scratch scratch;
  Harness harness;
  harness.onFile = [&](unpack::FileRecord& file) {
    std::snprintf(file.OutputPath, sizeof file.OutputPath, "%s",
                  scratch.Path("missing-folder/f.txt").c_str());
    return 1;
  };
  EXPECT_EQ(harness.Extract(Container(scratch, {{"f.txt", "content"}})), 0);
  EXPECT_TRUE(harness.cabinets.empty());
}

TEST(Notifications, CorruptBlockFailsAndLeavesNoPartialFile) {
  Scratch scratch;
  std::vector<CabinetFile> files = {{"good.bin", RandomBytes(40000, 18)},
                                    {"bad.bin", RandomBytes(40000, 19)}};
  CabinetOptions options;
  int block = 0;
  options.Transform = [&](std::string& payload) {
    if (++block == 3) payload[10] = static_cast<char>(payload[10] ^ 1);
  };
  Harness harness;
  harness.output = scratch.Path("out/");
  EXPECT_EQ(harness.Extract(Container(scratch, files, options)), 0);
  EXPECT_EQ(ReadFile(scratch.Path("out/good.bin")), files[0].Data);
  EXPECT_FALSE(fs::exists(scratch.Path("out/bad.bin")));
  EXPECT_TRUE(harness.cabinets.empty());
}

TEST(Notifications, FileTimeIsTheDosTimeAsLocalTimeAndReadOnlyIsKept) {
  Scratch scratch;
  std::vector<CabinetFile> files = {{"noon.txt", "x", 0x5A21, 0x6000, 0x21},
                                    {"plain.txt", "y", 0x3C8F, 0x8B5D, 0x20}};
  Harness harness;
  harness.output = scratch.Path("out/");
  EXPECT_EQ(harness.Extract(Container(scratch, files)), 1);
  struct stat noon {};
  ASSERT_EQ(::stat(scratch.Path("out/noon.txt").c_str(), &noon), 0);
  std::tm local{};
  const std::time_t stamp = noon.st_mtime;
  localtime_r(&stamp, &local);
  EXPECT_EQ(local.tm_year + 1900, 2025);
  EXPECT_EQ(local.tm_mon + 1, 1);
  EXPECT_EQ(local.tm_mday, 1);
  EXPECT_EQ(local.tm_hour, 12);
  EXPECT_EQ(local.tm_min, 0);
  EXPECT_EQ(noon.st_mode & S_IWUSR, 0u);
  struct stat plain {};
  ASSERT_EQ(::stat(scratch.Path("out/plain.txt").c_str(), &plain), 0);
  EXPECT_NE(plain.st_mode & S_IWUSR, 0u);
}

// The library serves one extraction at a time: calls into it from inside a
// notification are refused and the running extraction goes on.
TEST(Notifications, CallsFromInsideANotificationAreRefused) {
  Scratch scratch;
  const auto files = PresetupFiles();
  const std::string container = Container(scratch, files);
  Harness harness;
  harness.output = scratch.Path("out/");
  int checked = 0;
  harness.onComplete = [&](unpack::FileRecord&) {
    if (checked++ == 0) {
      EXPECT_EQ(unpack::LibraryClose(), 0);
      EXPECT_EQ(unpack::LibraryOpen(container.c_str(), 0, 0), 0);
      EXPECT_EQ(unpack::LibraryEnumerate(&Harness::Notify, nullptr), 0);
    }
    return 1;
  };
  EXPECT_EQ(harness.Extract(container), 1);
  EXPECT_EQ(harness.completed.size(), files.size());
}

TEST(Notifications, LibraryWithoutContextOrCallback) {
  EXPECT_EQ(unpack::LibraryClose(), 0);
  EXPECT_EQ(unpack::LibraryEnumerate(&Harness::Notify, nullptr), 0);
  EXPECT_EQ(unpack::LibraryOpen(nullptr, 0, 0), 0);
  Scratch scratch;
  const std::string container = Container(scratch, {{"f.txt", "content"}});
  ASSERT_EQ(unpack::LibraryOpen(container.c_str(), 0, 0), 1);
  EXPECT_EQ(unpack::LibraryEnumerate(nullptr, nullptr), 0);
  EXPECT_EQ(unpack::LibraryClose(), 1);
  EXPECT_EQ(unpack::LibraryClose(), 0);
}

// A cabinet whose set names itself as the next cabinet: every pass is done
// once, then the loop is recognised.
TEST(Notifications, SetThatNamesItselfEnds) {
  Scratch scratch;
  CabinetOptions options;
  options.NextCabinet = "loop.cab";
  WriteFile(scratch.Path("loop.cab"), BuildCabinet({{"f.txt", "content"}}, options));
  Harness harness;
  harness.output = scratch.Path("out/");
  EXPECT_EQ(harness.Extract(scratch.Path("loop.cab")), 0);
  EXPECT_EQ(harness.files, std::vector<std::string>{"f.txt"});
}

}  // namespace
}  // namespace cv::test
