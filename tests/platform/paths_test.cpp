#include "platform/paths.h"

#include <gtest/gtest.h>

namespace cv {
namespace {

TEST(IncludeBackslash, AddsOneBackslashOnlyWhenMissing) {
  EXPECT_EQ(IncludeBackslash("C:\\Temp"), "C:\\Temp\\");
  EXPECT_EQ(IncludeBackslash("C:\\Temp\\"), "C:\\Temp\\");
  EXPECT_EQ(IncludeBackslash(""), "");
}

TEST(IncludeBackslash, EnclosingQuotesAreDropped) {
  EXPECT_EQ(IncludeBackslash("\"C:\\My Files\""), "C:\\My Files\\");
  EXPECT_EQ(IncludeBackslash("\"C:\\My Files\\\""), "C:\\My Files\\");
  // A quote on one side only is part of the name.
  EXPECT_EQ(IncludeBackslash("\"C:\\a"), "\"C:\\a\\");
}

TEST(ExcludeBackslash, RemovesOneTrailingBackslash) {
  EXPECT_EQ(ExcludeBackslash("C:\\Temp\\"), "C:\\Temp");
  EXPECT_EQ(ExcludeBackslash("C:\\Temp"), "C:\\Temp");
  EXPECT_EQ(ExcludeBackslash("C:\\Temp\\\\"), "C:\\Temp\\");
  EXPECT_EQ(ExcludeBackslash(""), "");
}

TEST(ExtractFolder, UpToAndIncludingTheLastBackslash) {
  EXPECT_EQ(ExtractFolder("C:\\Setup\\data\\setup.exe"), "C:\\Setup\\data\\");
  EXPECT_EQ(ExtractFolder("C:\\Setup\\"), "C:\\Setup\\");
  EXPECT_EQ(ExtractFolder("setup.exe"), "");
}

TEST(ExtractFileName, EverythingAfterTheLastBackslash) {
  EXPECT_EQ(ExtractFileName("C:\\Setup\\data\\setup.exe"), "setup.exe");
  EXPECT_EQ(ExtractFileName("C:\\Setup\\"), "");
  EXPECT_EQ(ExtractFileName("setup.exe"), "setup.exe");
}

TEST(CollapseBackslashes, OneBackslashBetweenNamesTwoBeforeAServer) {
  EXPECT_EQ(CollapseBackslashes("C:\\Program Files\\App\\\\bin\\lib.dll"), "C:\\Program Files\\App\\bin\\lib.dll");
  EXPECT_EQ(CollapseBackslashes("C:\\\\\\a\\"), "C:\\a\\");
  EXPECT_EQ(CollapseBackslashes("\\\\server\\share\\\\x"), "\\\\server\\share\\x");
  EXPECT_EQ(CollapseBackslashes("\\\\\\server"), "\\\\server");
  EXPECT_EQ(CollapseBackslashes(""), "");
}

TEST(ChangeExtension, ReplacesTheLastExtensionOfTheFileName) {
  EXPECT_EQ(ChangeExtension("C:\\Setup\\setup.exe", ".sss"), "C:\\Setup\\setup.sss");
  EXPECT_EQ(ChangeExtension("archive.tar.gz", ".x"), "archive.tar.x");
  EXPECT_EQ(ChangeExtension("setup.exe", ""), "setup");
}

TEST(ChangeExtension, AppendsWhenTheFileNameHasNoDot) {
  EXPECT_EQ(ChangeExtension("data1", ".cvp"), "data1.cvp");
  // A dot in a folder name is not the file's extension.
  EXPECT_EQ(ChangeExtension("C:\\my.folder\\data1", ".cvp"), "C:\\my.folder\\data1.cvp");
}

}  // namespace
}  // namespace cv
