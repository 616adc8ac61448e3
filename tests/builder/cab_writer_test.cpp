// The cabinet writer, checked against independent readers: cabextract
// (which also verifies every data block's checksum with -t) and gcab.

#include "cab_writer.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "build_error.h"
#include "builder_test_support.h"
#include "output_sink.h"
#include "script/gost.h"
#include "script/package_password.h"

namespace cv::build {
namespace {

using test::ScratchFolder;

CabMember Member(const std::string& name, const std::string& data) {
  CabMember member;
  member.Name = name;
  member.Data = data;
  member.Size = data.size();
  return member;
}

std::string Cabinet(const std::vector<CabMember>& members, const CabOptions& options = {}) {
  MemorySink sink;
  WriteCabinet(members, options, sink);
  return sink.Bytes();
}

// What cabextract should write for these members ("\" becomes "/").
std::map<std::string, std::string> Expected(const std::vector<CabMember>& members) {
  std::map<std::string, std::string> files;
  for (const CabMember& member : members) {
    std::string name = member.Name;
    for (char& c : name) {
      if (c == '\\') c = '/';
    }
    files[name] = member.Data;
  }
  return files;
}

std::uint32_t Read32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

std::uint16_t Read16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                    static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

class CabWriterTest : public ::testing::TestWithParam<CabCompression> {
 protected:
  void SetUp() override {
    if (!test::HaveProgram("cabextract")) GTEST_SKIP() << "cabextract is not installed";
  }

  void ExpectExtractsIdentically(const std::vector<CabMember>& members, CabOptions options = {}) {
    options.Compression = GetParam();
    const std::string cabinet = Cabinet(members, options);
    bool ok = false;
    EXPECT_EQ(test::CabextractFiles(scratch_, cabinet, ok), Expected(members));
    EXPECT_TRUE(ok);
    const std::string path = scratch_.File("verify.cab");
    test::WriteBytes(path, cabinet);
    const auto verify = test::RunCommand("cabextract -t " + test::ShellQuote(path));
    EXPECT_EQ(verify.ExitCode, 0) << verify.Output;
  }

  ScratchFolder scratch_;
};

TEST_P(CabWriterTest, SmallFilesExtractIdentically) {
  ExpectExtractsIdentically({Member("a.txt", "hello\r\n"), Member("sub\\b.bin", "\x01\x02\x03"),
                             Member("sub\\deeper\\c.txt", std::string(100, 'c'))});
}

TEST_P(CabWriterTest, EmptyFilesExtractIdentically) {
  ExpectExtractsIdentically({Member("empty", ""), Member("one", "1"), Member("also-empty", "")});
}

TEST_P(CabWriterTest, OnlyAnEmptyFile) { ExpectExtractsIdentically({Member("nothing", "")}); }

TEST_P(CabWriterTest, FileSpanningManyBlocksAndBlockBoundaries) {
  std::string large;
  for (int i = 0; i < 40; ++i) large += test::RandomBytes(4096, i) + std::string(4096, char('a' + i % 26));
  ExpectExtractsIdentically({Member("first", std::string(kCabBlockSize - 1, 'x')),
                             Member("large", large), Member("exact", std::string(kCabBlockSize, 'y')),
                             Member("tail", "end")});
}

TEST_P(CabWriterTest, IncompressibleData) {
  ExpectExtractsIdentically({Member("random.bin", test::RandomBytes(5 * kCabBlockSize + 123, 7))});
}

TEST_P(CabWriterTest, HighlyCompressibleData) {
  ExpectExtractsIdentically({Member("zeros.bin", std::string(1 << 20, '\0'))});
}

TEST_P(CabWriterTest, ManyFiles) {
  std::vector<CabMember> members;
  for (int i = 0; i < 1500; ++i) {
    members.push_back(Member("dir" + std::to_string(i % 7) + "\\file" + std::to_string(i) + ".txt",
                             "content " + std::to_string(i * i)));
  }
  ExpectExtractsIdentically(members);
}

TEST_P(CabWriterTest, FoldersSplitAtTheBlockLimit) {
  std::vector<CabMember> members;
  for (int i = 0; i < 6; ++i) {
    members.push_back(Member("f" + std::to_string(i), test::RandomBytes(40000 + 1000 * i, i)));
  }
  CabOptions options;
  options.MaxBlocksPerFolder = 2;
  ExpectExtractsIdentically(members, options);
  options.Compression = GetParam();
  const std::string cabinet = Cabinet(members, options);
  // Each file takes two blocks, so a folder holds one file.
  EXPECT_EQ(Read16(cabinet, 26), 6);
  MemorySink sink;
  const CabResult result = WriteCabinet(members, options, sink);
  EXPECT_EQ(result.Folders, 6u);
  EXPECT_EQ(result.Blocks, 12u);
}

TEST_P(CabWriterTest, GcabListsEveryFile) {
  if (!test::HaveProgram("gcab")) GTEST_SKIP() << "gcab is not installed";
  std::vector<CabMember> members = {Member("one.txt", "1"), Member("two\\three.txt", "23"),
                                    Member("big", test::RandomBytes(3 * kCabBlockSize, 3))};
  CabOptions options;
  options.Compression = GetParam();
  const std::string path = scratch_.File("list.cab");
  test::WriteBytes(path, Cabinet(members, options));
  const auto listing = test::RunCommand("gcab -l " + test::ShellQuote(path));
  ASSERT_EQ(listing.ExitCode, 0) << listing.Output;
  for (const CabMember& member : members) {
    EXPECT_NE(listing.Output.find(member.Name), std::string::npos) << listing.Output;
  }
  // gcab's own reader (zlib's inflate for MSZIP) extracts the same bytes.
  const std::string folder = scratch_.File("gcab-out");
  std::filesystem::create_directories(folder);
  const auto extract = test::RunCommand("gcab -x -C " + test::ShellQuote(folder) + " " +
                                        test::ShellQuote(path));
  ASSERT_EQ(extract.ExitCode, 0) << extract.Output;
  EXPECT_EQ(test::FolderFiles(folder), Expected(members));
}

TEST_P(CabWriterTest, SameInputSameBytes) {
  CabOptions options;
  options.Compression = GetParam();
  const std::vector<CabMember> members = {Member("a", test::RandomBytes(70000, 1)),
                                          Member("b", std::string(50000, 'b'))};
  EXPECT_EQ(Cabinet(members, options), Cabinet(members, options));
}

INSTANTIATE_TEST_SUITE_P(Compression, CabWriterTest,
                         ::testing::Values(CabCompression::Stored, CabCompression::Mszip),
                         [](const auto& param) {
                           return param.param == CabCompression::Stored ? std::string("Stored")
                                                                       : std::string("Mszip");
                         });

TEST(CabWriter, ChecksumsAreVerifiedByCabextract) {
  if (!test::HaveProgram("cabextract")) GTEST_SKIP() << "cabextract is not installed";
  ScratchFolder scratch;
  CabOptions options;
  options.Compression = CabCompression::Stored;
  std::string cabinet = Cabinet({Member("a", std::string(1000, 'a'))}, options);
  // One flipped payload byte (the last byte of the cabinet) must fail the test.
  cabinet.back() = static_cast<char>(cabinet.back() ^ 1);
  const std::string path = scratch.File("bad.cab");
  test::WriteBytes(path, cabinet);
  EXPECT_NE(test::RunCommand("cabextract -t " + test::ShellQuote(path)).ExitCode, 0);
}

TEST(CabWriter, ChecksumFoldsTheTailWithItsFirstByteHighest) {
  const std::uint8_t word[4] = {1, 2, 3, 4};
  const std::uint8_t three[3] = {5, 6, 7};
  EXPECT_EQ(CabChecksum(word, 4, 0), 0x04030201u);
  EXPECT_EQ(CabChecksum(three, 3, 0), 0x00050607u);
  const std::uint8_t seven[7] = {1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(CabChecksum(seven, 7, 0xFFFFFFFFu), 0xFFFFFFFFu ^ 0x04030201u ^ 0x00050607u);
}

TEST(CabWriter, MszipRefersBackAcrossBlocks) {
  // A random 20000-byte pattern repeated: only back references into the
  // previous block (the primed dictionary) make this small.
  const std::string pattern = test::RandomBytes(20000, 11);
  std::string data;
  while (data.size() < 10 * kCabBlockSize) data += pattern;
  CabOptions options;
  options.Compression = CabCompression::Mszip;
  const std::string cabinet = Cabinet({Member("repeated", data)}, options);
  EXPECT_LT(cabinet.size(), pattern.size() + 4 * kCabBlockSize / 10);
}

TEST(CabWriter, MemberLargerThanAFolderIsRefused) {
  CabOptions options;
  options.MaxBlocksPerFolder = 2;
  MemorySink sink;
  try {
    WriteCabinet({Member("big", std::string(2 * kCabBlockSize + 1, 'x'))}, options, sink);
    FAIL() << "no error";
  } catch (const BuildError& error) {
    EXPECT_EQ(error.Kind(), BuildErrorKind::Input);
    EXPECT_NE(std::string(error.what()).find("big"), std::string::npos);
  }
}

TEST(CabWriter, AtMost65535Files) {
  std::vector<CabMember> members(65536, Member("x", ""));
  MemorySink sink;
  EXPECT_THROW(WriteCabinet(members, {}, sink), BuildError);
  members.pop_back();
  MemorySink fits;
  EXPECT_NO_THROW(WriteCabinet(members, {}, fits));
  EXPECT_EQ(Read16(fits.Bytes(), 28), 65535);
}

TEST(CabWriter, BadNamesAreRefused) {
  MemorySink sink;
  EXPECT_THROW(WriteCabinet({Member("", "a")}, {}, sink), BuildError);
  EXPECT_THROW(WriteCabinet({Member(std::string(256, 'n'), "a")}, {}, sink), BuildError);
}

TEST(CabWriter, SourceFileThatChangedSizeIsAnInputError) {
  ScratchFolder scratch;
  const std::string path = scratch.File("source");
  test::WriteBytes(path, "1234567890");
  CabMember member;
  member.Name = "source";
  member.SourcePath = path;
  member.Size = 5;  // the file has grown since it was measured
  MemorySink sink;
  EXPECT_THROW(WriteCabinet({member}, {}, sink), BuildError);
  member.Size = 20;  // or shrunk
  MemorySink other;
  EXPECT_THROW(WriteCabinet({member}, {}, other), BuildError);
}

TEST(CabWriter, FileDatesAndAttributesAreStored) {
  if (!test::HaveProgram("cabextract")) GTEST_SKIP() << "cabextract is not installed";
  ScratchFolder scratch;
  CabMember member = Member("dated.txt", "x");
  member.DosDate = static_cast<std::uint16_t>(((2021 - 1980) << 9) | (3 << 5) | 14);
  member.DosTime = static_cast<std::uint16_t>((15 << 11) | (9 << 5) | (26 / 2));
  member.Attributes = kCabAttributeArchive | kCabAttributeReadOnly;
  const std::string path = scratch.File("dated.cab");
  test::WriteBytes(path, Cabinet({member}));
  const auto listing = test::RunCommand("cabextract -l " + test::ShellQuote(path));
  EXPECT_NE(listing.Output.find("14.03.2021 15:09:26"), std::string::npos) << listing.Output;
  // CFFILE starts after the header and the one folder.
  const std::string cabinet = test::ReadBytes(path);
  EXPECT_EQ(Read16(cabinet, 36 + 8 + 14), kCabAttributeArchive | kCabAttributeReadOnly);
}

// Deciphers every data block's payload in place, one cipher stream across
// all blocks of all folders in order, as the engine's data hook does.
std::string DecipherPayloads(std::string cabinet, const std::string& password) {
  GostCipher cipher;
  const auto key = PasswordKey(password);
  cipher.Init(key.data(), 256);
  const std::uint16_t folders = Read16(cabinet, 26);
  for (std::uint16_t f = 0; f < folders; ++f) {
    std::size_t at = Read32(cabinet, 36 + 8 * f);
    const std::uint16_t blocks = Read16(cabinet, 36 + 8 * f + 4);
    for (std::uint16_t b = 0; b < blocks; ++b) {
      const std::uint16_t size = Read16(cabinet, at + 4);
      cipher.DecryptCBC(cabinet.data() + at + 8, cabinet.data() + at + 8, size);
      at += 8 + size;
    }
  }
  return cabinet;
}

TEST(CabWriter, EncipheredPayloadsDecipherWithOneChainAcrossBlocks) {
  if (!test::HaveProgram("cabextract")) GTEST_SKIP() << "cabextract is not installed";
  ScratchFolder scratch;
  std::vector<CabMember> members = {Member("a", test::RandomBytes(3 * kCabBlockSize + 5, 1)),
                                    Member("b", std::string(2 * kCabBlockSize + 3, 'b')),
                                    Member("c", "tail of odd length")};
  for (CabCompression compression : {CabCompression::Stored, CabCompression::Mszip}) {
    CabOptions plain;
    plain.Compression = compression;
    plain.MaxBlocksPerFolder = 4;  // the chain also runs across folders
    CabOptions enciphered = plain;
    GostCipher cipher;
    const auto key = PasswordKey("Secret");
    cipher.Init(key.data(), 256);
    enciphered.Transform = [&cipher](std::uint8_t* payload, std::size_t size) {
      cipher.EncryptCBC(payload, payload, size);
    };
    const std::string clear = Cabinet(members, plain);
    const std::string hidden = Cabinet(members, enciphered);
    ASSERT_EQ(clear.size(), hidden.size());
    EXPECT_NE(clear, hidden);
    // Checksums cover the payload as the reader sees it after deciphering:
    // a plain tool finds them wrong, the deciphered cabinet is exact.
    const std::string path = scratch.File("hidden.cab");
    test::WriteBytes(path, hidden);
    EXPECT_NE(test::RunCommand("cabextract -t " + test::ShellQuote(path)).ExitCode, 0);
    const std::string deciphered = DecipherPayloads(hidden, "Secret");
    EXPECT_EQ(deciphered, clear);
    bool ok = false;
    EXPECT_EQ(test::CabextractFiles(scratch, deciphered, ok), Expected(members));
    EXPECT_TRUE(ok);
    // A chain restarted at every block does not give the plain cabinet back.
    std::string perBlock = hidden;
    std::size_t at = Read32(perBlock, 36);
    const std::uint16_t size = Read16(perBlock, at + 4);
    at += 8 + size;
    GostCipher fresh;
    fresh.Init(key.data(), 256);
    const std::uint16_t second = Read16(perBlock, at + 4);
    fresh.DecryptCBC(perBlock.data() + at + 8, perBlock.data() + at + 8, second);
    EXPECT_NE(perBlock.substr(at + 8, second), clear.substr(at + 8, second));
  }
}

}  // namespace
}  // namespace cv::build
