// The data hook: it sees the compressed payload of every data block, in
// order, and nothing else; what it leaves in the buffer is what libmspack
// decodes (and checksums). Deciphering a password-protected cabinet with
// the package cipher is the hook's real use.

#include <gtest/gtest.h>

#include "cabinet_builder.h"
#include "host/unpack_host_support.h"
#include "script/gost.h"
#include "script/package_password.h"

namespace cv::test {
namespace {

void ExpectHookSeesEveryPayload(const std::string& cabinetBytes, bool scrambled) {
  Scratch scratch;
  const std::string container = scratch.Path("setup.exe");
  WriteFile(container, RandomBytes(3000, 21) + (scrambled ? Scramble(cabinetBytes) : cabinetBytes));
  Harness harness;
  harness.output = scratch.Path("out/");
  EXPECT_EQ(harness.Extract(container, 0, scrambled, true), 1);
  EXPECT_EQ(harness.hooked, DataBlockPayloads(cabinetBytes));
}

TEST(DataHook, SeesEachPayloadOfLibmspackTestCabinets) {
  for (const char* name : {"normal_2files_1folder.cab", "normal_2files_2folders.cab",
                           "mszip_lzx_qtm.cab", "reserve_HFD.cab", "reserve_--D.cab"}) {
    SCOPED_TRACE(name);
    const std::string bytes = ReadFile(MspackTestFiles() + "/" + name);
    ASSERT_FALSE(bytes.empty());
    ExpectHookSeesEveryPayload(bytes, false);
    ExpectHookSeesEveryPayload(bytes, true);
  }
}

TEST(DataHook, SeesEachPayloadOfAGcabCabinet) {
  if (!HaveTool("gcab")) GTEST_SKIP() << "gcab is not installed";
  Scratch scratch;
  WriteFile(scratch.Path("in/big.bin"), TextBytes(300000, 22) + RandomBytes(100000, 23));
  WriteFile(scratch.Path("in/small.txt"), "small");
  ASSERT_EQ(RunCommand("cd " + Quote(scratch.Path("in")) + " && gcab -c -z " +
                       Quote(scratch.Path("made.cab")) + " big.bin small.txt"),
            0);
  const std::string bytes = ReadFile(scratch.Path("made.cab"));
  ASSERT_GT(DataBlockPayloads(bytes).size(), 5u);
  ExpectHookSeesEveryPayload(bytes, false);
  ExpectHookSeesEveryPayload(bytes, true);
}

// Skipped files are decoded all the same while a hook is there, so the
// hook's stream has no gaps.
TEST(DataHook, SkippedFilesStillPassTheHook) {
  Scratch scratch;
  const std::string bytes = ReadFile(MspackTestFiles() + "/normal_2files_2folders.cab");
  const std::string container = scratch.Path("c.cab");
  WriteFile(container, bytes);
  Harness harness;
  harness.output = scratch.Path("out/");
  harness.onFile = [&](unpack::FileRecord& file) {
    if (std::string(file.Name) != "lzx2.txt") return 0;
    const std::string path = Harness::TargetPath(harness.output, file.Name);
    std::snprintf(file.OutputPath, sizeof file.OutputPath, "%s", path.c_str());
    return 1;
  };
  EXPECT_EQ(harness.Extract(container, 0, false, true), 1);
  EXPECT_EQ(harness.hooked, DataBlockPayloads(bytes));
  EXPECT_EQ(Tree(harness.output).size(), 1u);
}

// The checksum is checked after the hook: a cabinet whose payloads were
// changed after their checksums fails without the hook and succeeds with
// the hook that undoes the change.
TEST(DataHook, ChecksumIsCheckedOnWhatTheHookLeaves) {
  Scratch scratch;
  const std::vector<CabinetFile> files = {{"a.bin", RandomBytes(100000, 24)}};
  CabinetOptions options;
  options.Transform = [](std::string& payload) {
    for (auto& c : payload) c = static_cast<char>(c + 1);
  };
  const std::string container = scratch.Path("c.cab");
  WriteFile(container, BuildCabinet(files, options));

  Harness without;
  without.output = scratch.Path("without/");
  EXPECT_EQ(without.Extract(container), 0);

  Harness with;
  with.output = scratch.Path("with/");
  with.onHook = [](std::string& payload) {
    for (auto& c : payload) c = static_cast<char>(c - 1);
  };
  EXPECT_EQ(with.Extract(container, 0, false, true), 1);
  EXPECT_EQ(ReadFile(scratch.Path("with/a.bin")), files[0].Data);
}

// A password-protected cabinet: each payload enciphered with the package
// cipher, the chain carried across the blocks; the hook deciphers with a
// cipher started once for the whole extraction.
TEST(DataHook, DeciphersAPasswordProtectedCabinet) {
  Scratch scratch;
  const std::vector<CabinetFile> files = {{"one.txt", TextBytes(50003, 25)},
                                          {"two.bin", RandomBytes(70001, 26)},
                                          {"three.txt", "tail"}};
  const auto key = PasswordKey("Secret pw");
  GostCipher encrypt;
  ASSERT_TRUE(encrypt.Init(key.data(), 256));
  CabinetOptions options;
  options.BlockSize = 32765;  // payloads that are not whole cipher blocks
  options.Transform = [&](std::string& payload) {
    encrypt.EncryptCBC(payload.data(), payload.data(), payload.size());
  };
  const std::string container = scratch.Path("c.cvp");
  WriteFile(container, Scramble(BuildCabinet(files, options)));

  GostCipher decrypt;
  ASSERT_TRUE(decrypt.Init(key.data(), 256));
  Harness harness;
  harness.output = scratch.Path("out/");
  harness.onHook = [&](std::string& payload) {
    decrypt.DecryptCBC(payload.data(), payload.data(), payload.size());
  };
  EXPECT_EQ(harness.Extract(container, 0, true, true), 1);
  EXPECT_EQ(ReadFile(scratch.Path("out/one.txt")), files[0].Data);
  EXPECT_EQ(ReadFile(scratch.Path("out/two.bin")), files[1].Data);
  EXPECT_EQ(ReadFile(scratch.Path("out/three.txt")), files[2].Data);

  // The wrong password deciphers into garbage, which the checksums reject.
  GostCipher wrong;
  const auto wrongKey = PasswordKey("secret pw");
  ASSERT_TRUE(wrong.Init(wrongKey.data(), 256));
  Harness mistaken;
  mistaken.output = scratch.Path("wrong/");
  mistaken.onHook = [&](std::string& payload) {
    wrong.DecryptCBC(payload.data(), payload.data(), payload.size());
  };
  EXPECT_EQ(mistaken.Extract(container, 0, true, true), 0);
}

// Files listed out of their folder's order make libmspack read blocks again;
// a hook cannot see a block twice (its stream has moved on), so that fails
// rather than deciphering garbage. Without a hook it is fine.
TEST(DataHook, BlocksReadTwiceFailWithAHook) {
  Scratch scratch;
  std::string cab = BuildCabinet({{"first.bin", RandomBytes(50000, 27)},
                                  {"second.bin", RandomBytes(50000, 28)}});
  // Both files have the same size: exchanging their folder offsets lists
  // the second half of the folder before the first.
  const std::size_t entries = GetU32(cab, 16);
  std::string offsetFirst = cab.substr(entries + 4, 4);
  const std::size_t secondEntry = entries + 16 + std::string("first.bin").size() + 1;
  std::string offsetSecond = cab.substr(secondEntry + 4, 4);
  cab.replace(entries + 4, 4, offsetSecond);
  cab.replace(secondEntry + 4, 4, offsetFirst);
  const std::string container = scratch.Path("c.cab");
  WriteFile(container, cab);

  Harness plain;
  plain.output = scratch.Path("plain/");
  EXPECT_EQ(plain.Extract(container), 1);
  EXPECT_EQ(Tree(plain.output).size(), 2u);

  Harness hooked;
  hooked.output = scratch.Path("hooked/");
  EXPECT_EQ(hooked.Extract(container, 0, false, true), 0);
}

}  // namespace
}  // namespace cv::test
