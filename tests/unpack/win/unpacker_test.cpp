// The engine's wrapper with the real unpack library as built, under Windows:
// file times and attributes, password-protected data, missing or incomplete
// libraries, and routines that throw.

#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>

#include "cabinet_builder.h"
#include "engine/win/cv_unpacker.h"
#include "script/gost.h"
#include "script/package_password.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::BuildCabinet;
using test::CabinetFile;
using test::CabinetOptions;

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string LibraryPath() { return ProgramFolder() + "unpack.dll"; }

std::string Bytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned state = seed * 2654435761u + 1;
  for (auto& c : bytes) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 16);
  }
  return bytes;
}

std::string Scramble(std::string bytes) {
  for (auto& c : bytes) c = static_cast<char>(c ^ 0xA7);
  return bytes;
}

// Extracts every entry into folder under its own name.
UnpackRoutines ExtractAllTo(const std::string& folder, std::vector<std::string>* completed = nullptr) {
  UnpackRoutines routines;
  routines.onFileToExtract = [folder](const std::string& name, std::uint32_t, std::uint32_t,
                                      const LocalTime&, std::string& outputPath) {
    outputPath = folder + name;
    const std::size_t slash = outputPath.find_last_of('\\');
    CreateDirectoryA(outputPath.substr(0, slash).c_str(), nullptr);
    return 1;
  };
  if (completed) {
    routines.onFileComplete = [completed](const std::string& name, std::uint32_t, std::uint32_t,
                                          const LocalTime&, const std::string&) {
      completed->push_back(name);
      return 1;
    };
  }
  return routines;
}

TEST(Unpacker, ExtractsAScrambledEmbeddedCabinet) {
  test::TempFolder temp;
  const std::vector<CabinetFile> files = {{"splash.bmp", Bytes(5000, 1)},
                                          {"plugins\\wizard.dll", Bytes(80000, 2)},
                                          {"data\\app.exe", Bytes(40000, 3)}};
  const std::string container = temp.Path() + "setup.exe";
  ASSERT_TRUE(test::WriteFileBytes(container, "MZ" + Bytes(70000, 4) + Scramble(BuildCabinet(files)) +
                                                  std::string(28, '\0') + "CVPEND"));
  CreateDirectoryA((temp.Path() + "out").c_str(), nullptr);
  std::vector<std::string> completed;
  TcvUnpacker unpacker(LibraryPath(), container, true, 0);
  ASSERT_TRUE(unpacker.Loaded());
  EXPECT_TRUE(unpacker.Enumerate(ExtractAllTo(temp.Path() + "out\\", &completed)));
  for (const auto& file : files) {
    EXPECT_EQ(test::ReadFileBytes(temp.Path() + "out\\" + file.Name), file.Data) << file.Name;
  }
  EXPECT_EQ(completed.size(), files.size());
}

TEST(Unpacker, PresetupStopsAtTheFirstDataEntry) {
  test::TempFolder temp;
  const std::vector<CabinetFile> files = {{"maindb", Bytes(100, 5)},
                                          {"languages", Bytes(200, 6)},
                                          {"data\\app.exe", Bytes(300, 7)},
                                          {"data\\more.txt", Bytes(400, 8)}};
  const std::string container = temp.Path() + "setup.exe";
  ASSERT_TRUE(test::WriteFileBytes(container, "MZ" + BuildCabinet(files)));
  UnpackRoutines routines = ExtractAllTo(temp.Path());
  auto extractAll = routines.onFileToExtract;
  routines.onFileToExtract = [extractAll](const std::string& name, std::uint32_t size,
                                          std::uint32_t attributes, const LocalTime& time,
                                          std::string& outputPath) {
    if (name.rfind("data\\", 0) == 0) return -1;
    return extractAll(name, size, attributes, time, outputPath);
  };
  TcvUnpacker unpacker(LibraryPath(), container, false, 0);
  EXPECT_TRUE(unpacker.Enumerate(routines));
  EXPECT_EQ(test::ReadFileBytes(temp.Path() + "maindb"), files[0].Data);
  EXPECT_EQ(test::ReadFileBytes(temp.Path() + "languages"), files[1].Data);
  EXPECT_FALSE(test::PathExists(temp.Path() + "data"));
}

TEST(Unpacker, DosTimeIsLocalTime) {
  test::TempFolder temp;
  // 2025-01-01 12:00:00 and 2024-07-15 08:30:10.
  const std::vector<CabinetFile> files = {{"noon.txt", "noon", 0x5A21, 0x6000, 0x20},
                                          {"summer.txt", "summer", 0x58EF, 0x43C5, 0x20}};
  const std::string container = temp.Path() + "c.cab";
  ASSERT_TRUE(test::WriteFileBytes(container, BuildCabinet(files)));
  std::vector<LocalTime> offered;
  UnpackRoutines routines = ExtractAllTo(temp.Path());
  auto extractAll = routines.onFileToExtract;
  routines.onFileToExtract = [&](const std::string& name, std::uint32_t size, std::uint32_t attributes,
                                 const LocalTime& time, std::string& outputPath) {
    offered.push_back(time);
    return extractAll(name, size, attributes, time, outputPath);
  };
  TcvUnpacker unpacker(LibraryPath(), container, false, 0);
  ASSERT_TRUE(unpacker.Enumerate(routines));
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_EQ(offered[0].Year, 2025);
  EXPECT_EQ(offered[0].Month, 1);
  EXPECT_EQ(offered[0].Day, 1);
  EXPECT_EQ(offered[0].Hour, 12);
  EXPECT_EQ(offered[0].Minute, 0);
  EXPECT_EQ(offered[1].Year, 2024);
  EXPECT_EQ(offered[1].Month, 7);
  EXPECT_EQ(offered[1].Day, 15);
  EXPECT_EQ(offered[1].Hour, 8);
  EXPECT_EQ(offered[1].Minute, 30);
  EXPECT_EQ(offered[1].Second, 10);

  for (std::size_t i = 0; i < files.size(); ++i) {
    const HANDLE file = CreateFileA((temp.Path() + files[i].Name).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME created;
    FILETIME accessed;
    FILETIME written;
    ASSERT_TRUE(GetFileTime(file, &created, &accessed, &written));
    CloseHandle(file);
    FILETIME local;
    ASSERT_TRUE(FileTimeToLocalFileTime(&written, &local));
    WORD date = 0;
    WORD time = 0;
    ASSERT_TRUE(FileTimeToDosDateTime(&local, &date, &time));
    EXPECT_EQ(date, files[i].Date) << files[i].Name;
    EXPECT_EQ(time, files[i].Time) << files[i].Name;
    EXPECT_EQ(CompareFileTime(&created, &written), 0) << files[i].Name;
  }
}

TEST(Unpacker, AttributesBeyondTheFileBitsAreMasked) {
  test::TempFolder temp;
  const std::vector<CabinetFile> files = {{"all.txt", "a", 0x5A21, 0x6000, 0xFFFF},
                                          {"dir.txt", "b", 0x5A21, 0x6000, 0x10 | 0x40 | 0x80 | 0x02},
                                          {"sys.txt", "c", 0x5A21, 0x6000, 0x04 | 0x01},
                                          {"none.txt", "d", 0x5A21, 0x6000, 0x00}};
  const std::string container = temp.Path() + "c.cab";
  ASSERT_TRUE(test::WriteFileBytes(container, BuildCabinet(files)));
  CreateDirectoryA((temp.Path() + "out").c_str(), nullptr);
  TcvUnpacker unpacker(LibraryPath(), container, false, 0);
  ASSERT_TRUE(unpacker.Enumerate(ExtractAllTo(temp.Path() + "out\\")));
  // Wine reports the archive bit on every file it keeps on a Unix file
  // system, so only a set archive bit can be checked.
  const DWORD expected[] = {0x27, 0x02, 0x05, 0x00};
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string path = temp.Path() + "out\\" + files[i].Name;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << files[i].Name;
    EXPECT_EQ(attributes & 0x07, expected[i] & 0x07) << files[i].Name;
    if (expected[i] & FILE_ATTRIBUTE_ARCHIVE) {
      EXPECT_NE(attributes & FILE_ATTRIBUTE_ARCHIVE, 0u);
    }
    EXPECT_EQ(attributes & ~DWORD{0x27 | FILE_ATTRIBUTE_NORMAL}, 0u) << files[i].Name;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST(Unpacker, MissingOrIncompleteLibraryIsNotLoaded) {
  test::TempFolder temp;
  const std::string container = temp.Path() + "c.cab";
  ASSERT_TRUE(test::WriteFileBytes(container, BuildCabinet({{"f.txt", "x"}})));
  bool called = false;
  UnpackRoutines routines;
  routines.onFileToExtract = [&](const std::string&, std::uint32_t, std::uint32_t, const LocalTime&,
                                 std::string&) {
    called = true;
    return 0;
  };
  TcvUnpacker missing(temp.Path() + "no-such-library.dll", container, false, 0);
  EXPECT_FALSE(missing.Loaded());
  EXPECT_FALSE(missing.Enumerate(routines));
  TcvUnpacker incomplete(ProgramFolder() + "unpack_incomplete.dll", container, false, 0);
  EXPECT_FALSE(incomplete.Loaded());
  EXPECT_FALSE(incomplete.Enumerate(routines));
  EXPECT_FALSE(called);
  // The same container through the real library works.
  TcvUnpacker real(LibraryPath(), container, false, 0);
  EXPECT_TRUE(real.Loaded());
  EXPECT_TRUE(real.Enumerate(routines));
  EXPECT_TRUE(called);
}

// The package's data enciphered block by block with the password's key, the
// chain carried across the blocks; checksums over the plain data.
TEST(Unpacker, PasswordProtectedCabinet) {
  test::TempFolder temp;
  const std::string password = "Pa55 word";
  const std::vector<CabinetFile> files = {{"one.bin", Bytes(45001, 9)},
                                          {"two.bin", Bytes(33333, 10)},
                                          {"three.txt", "three"}};
  const auto key = PasswordKey(password);
  GostCipher cipher;
  ASSERT_TRUE(cipher.Init(key.data(), 256));
  CabinetOptions options;
  options.BlockSize = 30001;
  options.Transform = [&](std::string& payload) {
    cipher.EncryptCBC(payload.data(), payload.data(), payload.size());
  };
  const std::string container = temp.Path() + "package.cvp";
  ASSERT_TRUE(test::WriteFileBytes(container, Bytes(1000, 11) + Scramble(BuildCabinet(files, options))));

  CreateDirectoryA((temp.Path() + "good").c_str(), nullptr);
  TcvUnpacker unpacker(LibraryPath(), container, true, 0);
  unpacker.SetPassword(password);
  ASSERT_TRUE(unpacker.Enumerate(ExtractAllTo(temp.Path() + "good\\")));
  for (const auto& file : files) {
    EXPECT_EQ(test::ReadFileBytes(temp.Path() + "good\\" + file.Name), file.Data) << file.Name;
  }
  // The cipher starts afresh for each extraction.
  CreateDirectoryA((temp.Path() + "again").c_str(), nullptr);
  ASSERT_TRUE(unpacker.Enumerate(ExtractAllTo(temp.Path() + "again\\")));
  EXPECT_EQ(test::ReadFileBytes(temp.Path() + "again\\one.bin"), files[0].Data);

  // Without the password (or after dropping it) the data does not pass the
  // checksums.
  unpacker.SetPassword("");
  CreateDirectoryA((temp.Path() + "none").c_str(), nullptr);
  EXPECT_FALSE(unpacker.Enumerate(ExtractAllTo(temp.Path() + "none\\")));
  TcvUnpacker wrong(LibraryPath(), container, true, 0);
  wrong.SetPassword("pa55 word");
  CreateDirectoryA((temp.Path() + "wrong").c_str(), nullptr);
  EXPECT_FALSE(wrong.Enumerate(ExtractAllTo(temp.Path() + "wrong\\")));
}

TEST(Unpacker, ExceptionFromARoutineGivesFalse) {
  test::TempFolder temp;
  const std::string container = temp.Path() + "c.cab";
  ASSERT_TRUE(test::WriteFileBytes(container, BuildCabinet({{"a.txt", "a"}, {"b.txt", "b"}})));
  std::vector<std::string> completed;
  UnpackRoutines routines = ExtractAllTo(temp.Path(), &completed);
  routines.onFileComplete = [&](const std::string& name, std::uint32_t, std::uint32_t,
                                const LocalTime&, const std::string&) -> int {
    completed.push_back(name);
    throw std::runtime_error("routine failed");
  };
  TcvUnpacker unpacker(LibraryPath(), container, false, 0);
  EXPECT_FALSE(unpacker.Enumerate(routines));
  EXPECT_EQ(completed, std::vector<std::string>{"a.txt"});
  // The next extraction is not affected.
  std::vector<std::string> again;
  EXPECT_TRUE(unpacker.Enumerate(ExtractAllTo(temp.Path(), &again)));
  EXPECT_EQ(again.size(), 2u);
}

TEST(Unpacker, OutputPathTooLongForTheRecordGivesFalse) {
  test::TempFolder temp;
  const std::string container = temp.Path() + "c.cab";
  ASSERT_TRUE(test::WriteFileBytes(container, BuildCabinet({{"a.txt", "a"}})));
  UnpackRoutines routines;
  routines.onFileToExtract = [&](const std::string&, std::uint32_t, std::uint32_t, const LocalTime&,
                                 std::string& outputPath) {
    outputPath = temp.Path() + std::string(300, 'l');
    return 1;
  };
  TcvUnpacker unpacker(LibraryPath(), container, false, 0);
  EXPECT_FALSE(unpacker.Enumerate(routines));
}

TEST(Unpacker, OutputPathOf259Characters) {
  test::TempFolder temp;
  const std::string container = temp.Path() + "c.cab";
  ASSERT_TRUE(test::WriteFileBytes(container, BuildCabinet({{"a.txt", "content"}})));
  const std::string path = temp.Path() + std::string(259 - temp.Path().size(), 'p');
  ASSERT_EQ(path.size(), 259u);
  std::string completedPath;
  UnpackRoutines routines;
  routines.onFileToExtract = [&](const std::string&, std::uint32_t, std::uint32_t, const LocalTime&,
                                 std::string& outputPath) {
    outputPath = path;
    return 1;
  };
  routines.onFileComplete = [&](const std::string&, std::uint32_t, std::uint32_t, const LocalTime&,
                                const std::string& outputPath) {
    completedPath = outputPath;
    return 1;
  };
  TcvUnpacker unpacker(LibraryPath(), container, false, 0);
  EXPECT_TRUE(unpacker.Enumerate(routines));
  EXPECT_EQ(completedPath, path);
  EXPECT_EQ(test::ReadFileBytes(path), "content");
}

TEST(Unpacker, CabinetNeededFindsTheContainerElsewhere) {
  test::TempFolder temp;
  CreateDirectoryA((temp.Path() + "disk").c_str(), nullptr);
  ASSERT_TRUE(test::WriteFileBytes(temp.Path() + "disk\\setup.exe", "MZ" + BuildCabinet({{"a.txt", "a"}})));
  std::string askedName;
  std::string askedFolder;
  UnpackRoutines routines = ExtractAllTo(temp.Path());
  routines.onCabinetNeeded = [&](const std::string& name, std::string& folder) {
    askedName = name;
    askedFolder = folder;
    folder = temp.Path() + "disk";  // the wrapper adds the backslash
    return true;
  };
  TcvUnpacker unpacker(LibraryPath(), temp.Path() + "setup.exe", false, 0);
  EXPECT_TRUE(unpacker.Enumerate(routines));
  EXPECT_EQ(askedName, "setup.exe");
  EXPECT_EQ(askedFolder, temp.Path());
  EXPECT_EQ(test::ReadFileBytes(temp.Path() + "a.txt"), "a");

  // Nobody to ask: the extraction fails.
  TcvUnpacker alone(LibraryPath(), temp.Path() + "setup.exe", false, 0);
  EXPECT_FALSE(alone.Enumerate(ExtractAllTo(temp.Path())));
}

TEST(Unpacker, OneExtractionAtATime) {
  test::TempFolder temp;
  const std::string container = temp.Path() + "c.cab";
  ASSERT_TRUE(test::WriteFileBytes(container, BuildCabinet({{"a.txt", "a"}, {"b.txt", "b"}})));
  std::vector<std::string> completed;
  UnpackRoutines routines = ExtractAllTo(temp.Path(), &completed);
  TcvUnpacker unpacker(LibraryPath(), container, false, 0);
  bool inner = true;
  routines.onDataWritten = [&](const std::string&, const std::string&, std::uint32_t, std::uint32_t,
                               std::uint32_t) {
    inner = unpacker.Enumerate(UnpackRoutines{});
    return 1;
  };
  EXPECT_TRUE(unpacker.Enumerate(routines));
  EXPECT_FALSE(inner);
  EXPECT_EQ(completed.size(), 2u);
}

TEST(Unpacker, PasswordHashIsTheDigestInUpperCaseHex) {
  const std::string hash = TcvUnpacker::PasswordHash("abc");
  ASSERT_EQ(hash.size(), 64u);
  const auto digest = HavalDigest::Of("abc", 3);
  static const char digits[] = "0123456789ABCDEF";
  std::string expected;
  for (auto byte : digest) {
    expected += digits[byte >> 4];
    expected += digits[byte & 15];
  }
  EXPECT_EQ(hash, expected);
  EXPECT_NE(TcvUnpacker::PasswordHash("abd"), hash);
}

}  // namespace
}  // namespace cv
