#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "database/xml_tag.h"
#include "platform/file_io.h"
#include "scratch_folder.h"

namespace cv {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

TEST(XmlFile, SaveWritesTheTextWithCrLfAndLoadReadsItBack) {
  ScratchFolder folder;
  const std::string path = folder.File("project.xml");
  TXMLTag tag;
  tag.Parse("<Project name='Demo'><Item/>note</Project>");
  ASSERT_TRUE(tag.SaveToFile(path));
  EXPECT_EQ(ReadBytes(path), "<project name=\"Demo\">\r\n\t<item/>\r\nnote\r\n</project>\r\n");

  TXMLTag loaded;
  ASSERT_TRUE(loaded.LoadFromFile(path));
  EXPECT_EQ(loaded.GetXML(0), tag.GetXML(0));
}

TEST(XmlFile, LoadReadsTheBytesUnchanged) {
  // No text-mode translation: CR LF pairs and Ctrl-Z reach the parser as is.
  ScratchFolder folder;
  const std::string path = folder.File("bytes.xml");
  WriteBytes(path, "<a v='1\r\n2'>a\x1Az<!--\r\n--><b/>\xFF</a>");
  TXMLTag tag;
  ASSERT_TRUE(tag.LoadFromFile(path));
  EXPECT_EQ(tag.Attributes, (std::vector<std::string>{"v=1  2"}));
  ASSERT_EQ(tag.Children().Count(), 5);
  EXPECT_EQ(tag.Children().Items(0)->Text, "a\x1Az");
  EXPECT_EQ(tag.Children().Items(1)->Text, "\r\n");
  EXPECT_EQ(tag.Children().Items(4)->Text, "\xFF");
}

TEST(XmlFile, LoadOfAMissingFileIsFalseAndLeavesTheTag) {
  ScratchFolder folder;
  TXMLTag tag;
  tag.Parse("<keep/>");
  EXPECT_FALSE(tag.LoadFromFile(folder.File("missing.xml")));
  EXPECT_FALSE(tag.LoadFromFile(folder.File("no-folder/missing.xml")));
  EXPECT_EQ(tag.Name(), "keep");
}

TEST(XmlFile, LoadOfAFolderIsFalse) {
  ScratchFolder folder;
  std::filesystem::create_directory(folder.File("sub"));
  TXMLTag tag;
  EXPECT_FALSE(tag.LoadFromFile(folder.File("sub")));
}

TEST(XmlFile, LoadOfAnEmptyFileGivesAnEmptyTag) {
  ScratchFolder folder;
  const std::string path = folder.File("empty.xml");
  WriteBytes(path, "");
  TXMLTag tag;
  tag.Parse("<old/>");
  EXPECT_TRUE(tag.LoadFromFile(path));
  EXPECT_EQ(tag.Name(), "");
}

TEST(XmlFile, ParseErrorsInsideLoadPropagate) {
  ScratchFolder folder;
  const std::string path = folder.File("bad.xml");
  WriteBytes(path, "<a>\r\n<b c>\r\n<d e=1/>");
  TXMLTag tag;
  try {
    tag.LoadFromFile(path);
    FAIL() << "no error";
  } catch (const TXMLParserError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Opening quote character (single or double) expected. Line 3, position 6.");
  }
}

TEST(XmlFile, SaveOfAnUnnamedTagIsFalseAndTouchesNothing) {
  ScratchFolder folder;
  const std::string path = folder.File("kept.xml");
  WriteBytes(path, "previous");
  TXMLTag tag;
  tag.Attributes = {"a=1"};
  EXPECT_FALSE(tag.SaveToFile(path));
  EXPECT_EQ(ReadBytes(path), "previous");
  EXPECT_FALSE(tag.SaveToFile(folder.File("new.xml")));
  EXPECT_FALSE(std::filesystem::exists(folder.File("new.xml")));
}

TEST(XmlFile, SaveReplacesALongerFileWhole) {
  ScratchFolder folder;
  const std::string path = folder.File("replace.xml");
  WriteBytes(path, std::string(1000, 'z'));
  TXMLTag tag;
  tag.SetName("short");
  ASSERT_TRUE(tag.SaveToFile(path));
  EXPECT_EQ(ReadBytes(path), "<short/>\r\n");
}

TEST(XmlFile, SaveReplacesAReadOnlyFile) {
  ScratchFolder folder;
  const std::string path = folder.File("readonly.xml");
  WriteBytes(path, "old");
  std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  TXMLTag tag;
  tag.SetName("new");
  ASSERT_TRUE(tag.SaveToFile(path));
  EXPECT_EQ(ReadBytes(path), "<new/>\r\n");
}

TEST(XmlFile, SaveIntoAMissingFolderIsFalse) {
  ScratchFolder folder;
  TXMLTag tag;
  tag.SetName("a");
  EXPECT_FALSE(tag.SaveToFile(folder.File("no-such-folder/a.xml")));
}

TEST(WholeFile, ReadGivesEveryByte) {
  ScratchFolder folder;
  const std::string path = folder.File("all.bin");
  std::string all;
  for (int round = 0; round < 300; ++round) {
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  }
  WriteBytes(path, all);
  std::string read = "stale";
  ASSERT_TRUE(ReadWholeFile(path, read));
  EXPECT_EQ(read, all);
}

TEST(WholeFile, WriteGivesEveryByteAndReplaces) {
  ScratchFolder folder;
  const std::string path = folder.File("out.bin");
  const std::string bytes("\0\r\n\x1A\xFF", 5);
  ASSERT_TRUE(WriteWholeFile(path, bytes));
  EXPECT_EQ(ReadBytes(path), bytes);
  ASSERT_TRUE(WriteWholeFile(path, ""));
  EXPECT_EQ(ReadBytes(path), "");
  EXPECT_TRUE(std::filesystem::exists(path));
}

TEST(WholeFile, MissingFilesAndFoldersAreFalse) {
  ScratchFolder folder;
  std::string bytes;
  EXPECT_FALSE(ReadWholeFile(folder.File("none"), bytes));
  EXPECT_FALSE(WriteWholeFile(folder.File("none/x"), "x"));
}

}  // namespace
}  // namespace cv
