// The installation's buffered copy.

#include "install/win/file_copy.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "same_bytes.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::PathExists;
using test::ReadFileBytes;
using test::SameBytes;
using test::TempFolder;
using test::WriteFileBytes;

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  return bytes;
}

TEST(BufferedCopyFile, CopiesInChunksOf128KiBWithTimeAndAttributes) {
  TempFolder temp;
  const std::string source = temp.Path() + "source.bin";
  const std::string target = temp.Path() + "target.bin";
  const std::string bytes = Pattern(300000);
  ASSERT_TRUE(WriteFileBytes(source, bytes));
  std::vector<std::int64_t> chunks;
  std::int64_t lastWritten = 0;
  const bool ok = BufferedCopyFile(
      source, target,
      [&](const std::string&, const std::string&, std::int64_t chunk, std::int64_t total,
          std::int64_t written) {
        EXPECT_EQ(total, 300000);
        chunks.push_back(chunk);
        lastWritten = written;
        return true;
      });
  ASSERT_TRUE(ok);
  EXPECT_EQ(chunks, (std::vector<std::int64_t>{131072, 131072, 300000 - 262144}));
  EXPECT_EQ(lastWritten, 300000);
  EXPECT_TRUE(SameBytes(ReadFileBytes(target), bytes));
}

TEST(BufferedCopyFile, CarriesAttributesAndLastWriteTime) {
  TempFolder temp;
  const std::string source = temp.Path() + "source.bin";
  const std::string target = temp.Path() + "target.bin";
  ASSERT_TRUE(WriteFileBytes(source, "abc"));
  HANDLE handle = CreateFileA(source.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME old{0x12345600, 0x01c00000};
  SetFileTime(handle, nullptr, nullptr, &old);
  CloseHandle(handle);
  SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  ASSERT_TRUE(BufferedCopyFile(source, target));
  EXPECT_EQ(GetFileAttributesA(target.c_str()),
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(CompareFileTime(&data.ftLastWriteTime, &old), 0);
  SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL);
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(BufferedCopyFile, TransformsEachChunkAndAppends) {
  TempFolder temp;
  const std::string source = temp.Path() + "source.bin";
  const std::string target = temp.Path() + "target.bin";
  ASSERT_TRUE(WriteFileBytes(source, "abc"));
  ASSERT_TRUE(WriteFileBytes(target, "head:"));
  ASSERT_TRUE(BufferedCopyFile(source, target, {}, true, [](char* buffer, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) buffer[i] = static_cast<char>(buffer[i] - 32);
  }));
  EXPECT_EQ(ReadFileBytes(target), "head:ABC");
}

TEST(BufferedCopyFile, MissingSourceFailsAndCreatesNothing) {
  TempFolder temp;
  EXPECT_FALSE(BufferedCopyFile(temp.Path() + "absent", temp.Path() + "target"));
  EXPECT_FALSE(PathExists(temp.Path() + "target"));
}

TEST(BufferedCopyFile, StoppedByTheProgressHookLeavesNoPartialTarget) {
  TempFolder temp;
  const std::string source = temp.Path() + "source.bin";
  const std::string target = temp.Path() + "target.bin";
  ASSERT_TRUE(WriteFileBytes(source, Pattern(300000)));
  EXPECT_FALSE(BufferedCopyFile(source, target, [](auto&&...) { return false; }));
  EXPECT_FALSE(PathExists(target));
}

// Every failure after the target is opened (read error, write error, short
// write, a stop from the hook) leaves by the same way out.
TEST(BufferedCopyFile, FailedAppendCutsTheTargetBackToItsPreviousBytes) {
  TempFolder temp;
  const std::string source = temp.Path() + "source.bin";
  const std::string appended = temp.Path() + "appended.bin";
  ASSERT_TRUE(WriteFileBytes(source, Pattern(300000)));
  ASSERT_TRUE(WriteFileBytes(appended, "kept"));
  int calls = 0;
  EXPECT_FALSE(BufferedCopyFile(
      source, appended, [&](auto&&...) { return ++calls < 2; }, true));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(ReadFileBytes(appended), "kept");
}

}  // namespace
}  // namespace cv
