// Sharing and attributes of the whole-file reads and writes on Windows.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "database/xml_tag.h"
#include "platform/file_io.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

class OpenHandle {
 public:
  OpenHandle(const std::string& path, DWORD access, DWORD share)
      : handle_(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~OpenHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  OpenHandle(const OpenHandle&) = delete;
  OpenHandle& operator=(const OpenHandle&) = delete;
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

TEST(WholeFileSharing, AFileOpenForWritingElsewhereIsNotRead) {
  TempFolder folder;
  const std::string path = folder.Path() + "busy.xml";
  ASSERT_TRUE(WriteFileBytes(path, "<a/>"));
  OpenHandle writer(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_TRUE(writer.IsOpen());
  std::string bytes;
  EXPECT_FALSE(ReadWholeFile(path, bytes));
  TXMLTag tag;
  EXPECT_FALSE(tag.LoadFromFile(path));
}

TEST(WholeFileSharing, AFileOpenForReadingElsewhereIsRead) {
  TempFolder folder;
  const std::string path = folder.Path() + "shared.xml";
  ASSERT_TRUE(WriteFileBytes(path, "<a/>"));
  OpenHandle reader(path, GENERIC_READ, FILE_SHARE_READ);
  ASSERT_TRUE(reader.IsOpen());
  TXMLTag tag;
  EXPECT_TRUE(tag.LoadFromFile(path));
  EXPECT_EQ(tag.Name(), "a");
}

TEST(WholeFileAttributes, AReadOnlyHiddenFileIsReplacedWithNormalAttributes) {
  TempFolder folder;
  const std::string path = folder.Path() + "locked.xml";
  ASSERT_TRUE(WriteFileBytes(path, "old contents"));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  TXMLTag tag;
  tag.SetName("fresh");
  ASSERT_TRUE(tag.SaveToFile(path));
  EXPECT_EQ(ReadFileBytes(path), "<fresh/>\r\n");
  const DWORD attributes = GetFileAttributesA(path.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
}

TEST(WholeFileAttributes, AFileHeldOpenElsewhereIsNotReplaced) {
  TempFolder folder;
  const std::string path = folder.Path() + "open.xml";
  ASSERT_TRUE(WriteFileBytes(path, "kept"));
  {
    OpenHandle other(path, GENERIC_READ, 0);
    ASSERT_TRUE(other.IsOpen());
    EXPECT_FALSE(WriteWholeFile(path, "new"));
  }
  EXPECT_EQ(ReadFileBytes(path), "kept");
}

}  // namespace
}  // namespace cv
