// A data cabinet above 2 GiB. A folder counts its data blocks in 16 bits, so
// one folder holds at most 65535 blocks of 32 KiB (just under 2 GiB); past
// that a writer that does not start a new folder produces a broken cabinet.
// The inputs are sparse files with a few known bytes, and everything read
// back is compared by CRC-32 as it streams, so the test needs neither
// gigabytes of disk nor of memory.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "builder.h"
#include "builder_test_support.h"
#include "unpack_core_support.h"

namespace cv::build {
namespace {
namespace fs = std::filesystem;

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

struct StreamDigest {
  std::uint64_t Size = 0;
  std::uint32_t Crc = 0;
  void Add(const void* data, std::size_t size) {
    Crc = static_cast<std::uint32_t>(
        crc32(Crc, static_cast<const Bytef*>(data), static_cast<uInt>(size)));
    Size += size;
  }
  bool operator==(const StreamDigest&) const = default;
};

std::ostream& operator<<(std::ostream& out, const StreamDigest& digest) {
  return out << digest.Size << " bytes, CRC " << std::hex << digest.Crc << std::dec;
}

StreamDigest DigestOfFile(const std::string& path) {
  StreamDigest digest;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return digest;
  std::vector<char> buffer(1 << 20);
  std::size_t got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) digest.Add(buffer.data(), got);
  std::fclose(file);
  return digest;
}

// Output files that are digested instead of written.
class DigestFile final : public unpack::File {
 public:
  explicit DigestFile(std::shared_ptr<StreamDigest> digest) : digest_(std::move(digest)) {}
  int Read(void*, int) override { return -1; }
  int Write(const void* data, int count) override {
    digest_->Add(data, static_cast<std::size_t>(count));
    return count;
  }
  bool Seek(std::int64_t offset, unpack::SeekOrigin origin) override {
    // Output is written in sequence; only staying in place is possible.
    return offset == 0 && origin != unpack::SeekOrigin::Start;
  }
  std::int64_t Tell() override { return static_cast<std::int64_t>(digest_->Size); }

 private:
  std::shared_ptr<StreamDigest> digest_;
};

class DigestFileSystem final : public unpack::FileSystem {
 public:
  std::unique_ptr<unpack::File> OpenForReading(const std::string& path) override {
    return unpack::NativeFileSystem().OpenForReading(path);
  }
  std::unique_ptr<unpack::File> CreateForWriting(const std::string& path) override {
    auto digest = std::make_shared<StreamDigest>();
    written[fs::path(path).filename().string()] = digest;
    return std::make_unique<DigestFile>(digest);
  }
  bool SetDosTime(const std::string&, std::uint16_t, std::uint16_t) override { return true; }
  bool SetAttributes(const std::string&, std::uint32_t) override { return true; }
  bool Remove(const std::string& path) override {
    return written.erase(fs::path(path).filename().string()) == 1;
  }
  std::map<std::string, std::shared_ptr<StreamDigest>> written;  // by file name
};

std::uint32_t Get(const std::string& bytes, std::size_t at, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<std::uint8_t>(bytes.at(at + static_cast<std::size_t>(i)));
  }
  return value;
}

struct Input {
  std::string Name;
  std::uint64_t Size;
};

TEST(LargePayload, AboveTwoGibSplitsIntoFoldersAndExtracts) {
  // Sizes off the block grid, so that blocks span file ends: the first two
  // files share a folder of 62260 blocks, the third does not fit beside them.
  const std::vector<Input> inputs = {{"a.bin", kGiB * 11 / 10 + 12345},
                                     {"b.bin", kGiB * 8 / 10 + 777},
                                     {"c.bin", kGiB / 2 + 3}};
  std::uint64_t total = 0;
  for (const Input& input : inputs) total += input.Size;
  ASSERT_GT(total, 2 * kGiB);

  test::ScratchFolder scratch;
  // The inputs are holes; the compressed cabinet is a few MiB.
  constexpr std::uintmax_t kNeeded = 512u << 20;
  const std::uintmax_t available = fs::space(scratch.File("")).available;
  if (available < kNeeded) {
    GTEST_SKIP() << "needs " << (kNeeded >> 20) << " MiB free in " << fs::temp_directory_path()
                 << ", has " << (available >> 20) << " MiB";
  }
  fs::create_directories(scratch.File("project/payload"));
  std::string items;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const std::string path = scratch.File("project/payload/" + inputs[i].Name);
    const int file = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(file, 0) << path;
    ASSERT_EQ(::ftruncate(file, static_cast<off_t>(inputs[i].Size)), 0);
    const std::uint64_t size = inputs[i].Size;
    for (const std::uint64_t at : {std::uint64_t{1}, std::uint64_t{32767}, std::uint64_t{32768},
                                   size / 2, size - 1}) {
      const char mark = static_cast<char>(0x10 * (i + 1) + (at & 0x0F) + 1);
      ASSERT_EQ(::pwrite(file, &mark, 1, static_cast<off_t>(at)), 1);
    }
    ::close(file);
    items += "<file src=\"payload\\" + inputs[i].Name + "\" dst=\"" + inputs[i].Name + "\"/>";
  }
  test::WriteBytes(scratch.File("project/project.xml"),
                   "<cv2project><components><component id=\"Big\"><files>" + items +
                       "</files></component></components></cv2project>");
  test::WriteBytes(scratch.File("engine.exe"), "MZ-engine");
  fs::create_directories(scratch.File("out"));
  BuildOptions options = test::ScratchBuildOptions(scratch);
  options.Level = 1;  // zeros compress fast at any level; this one is the quickest
  const BuildSummary summary = BuildSetup(options);
  ASSERT_EQ(summary.Packages.size(), 1u);
  const PackageResult& result = summary.Packages[0].Result;
  EXPECT_EQ(result.Header.DataSize, static_cast<std::int64_t>(total));

  // The data cabinet's own tables: more than one folder, and every folder's
  // 16-bit block count covers the bytes of the files it holds.
  const std::string setup = test::ReadBytes(options.OutputPath);
  const std::string cabinet = test::CabinetAt(setup, result.Cabinet1Offset, 0);
  ASSERT_GT(cabinet.size(), 36u);
  const std::uint32_t folders = Get(cabinet, 26, 2);
  ASSERT_GT(folders, 1u);
  EXPECT_EQ(folders, result.Cabinet1.Folders);
  std::vector<std::uint64_t> folderBytes(folders, 0);
  std::vector<std::string> order;  // the members' names, in the cabinet's order
  std::size_t at = Get(cabinet, 16, 4);
  for (std::uint32_t f = 0, files = Get(cabinet, 28, 2); f < files; ++f) {
    const std::uint32_t folder = Get(cabinet, at + 8, 2);
    ASSERT_LT(folder, folders);
    folderBytes[folder] += Get(cabinet, at, 4);
    const std::size_t nameEnd = cabinet.find('\0', at + 16);
    order.push_back(cabinet.substr(at + 16, nameEnd - at - 16));
    at = nameEnd + 1;
  }
  std::uint64_t blocks = 0;
  for (std::uint32_t f = 0; f < folders; ++f) {
    const std::uint32_t count = Get(cabinet, 36 + 8 * f + 4, 2);
    EXPECT_EQ(count, (folderBytes[f] + kCabBlockSize - 1) / kCabBlockSize) << "folder " << f;
    blocks += count;
  }
  EXPECT_EQ(blocks, result.Cabinet1.Blocks);
  EXPECT_GT(folderBytes[0], kGiB * 3 / 2);  // folders are filled, not one file each

  std::map<std::string, StreamDigest> expected;
  for (const Input& input : inputs) {
    expected[input.Name] = DigestOfFile(scratch.File("project/payload/" + input.Name));
    ASSERT_EQ(expected[input.Name].Size, input.Size);
  }

  // The engine's unpack core, reading the setup file as the engine does.
  DigestFileSystem digests;
  test::CoreExtractionOptions extraction;
  extraction.CabinetIndex = 1;
  const auto core = test::ExtractWithCore(options.OutputPath, scratch.File("core"), extraction, digests);
  EXPECT_EQ(core.Result, 1);
  std::map<std::string, StreamDigest> extracted;
  for (const auto& [name, digest] : digests.written) extracted[name] = *digest;
  EXPECT_EQ(extracted, expected);

  // cabextract, the cabinet alone, every member in order through a pipe.
  if (!test::HaveProgram("cabextract")) return;
  StreamDigest all;
  std::uint32_t wanted = crc32(0, nullptr, 0);
  for (const std::string& name : order) {
    const StreamDigest& one = expected.at(name.substr(name.rfind('\\') + 1));
    wanted = static_cast<std::uint32_t>(crc32_combine(wanted, one.Crc, static_cast<z_off_t>(one.Size)));
  }
  const std::string cab = scratch.File("data.cab");
  test::WriteBytes(cab, cabinet);
  std::FILE* pipe = popen(("cabextract -q -p " + test::ShellQuote(cab)).c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<char> buffer(1 << 20);
  std::size_t got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) all.Add(buffer.data(), got);
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_EQ(all, (StreamDigest{total, wanted}));
}

}  // namespace
}  // namespace cv::build
