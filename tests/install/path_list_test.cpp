#include "install/path_list.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace cv {
namespace {

// The 8.3 names a file system would give for a few folders.
std::string ShortOf(const std::string& path) {
  static const std::map<std::string, std::string> names = {
      {"C:\\Program Files\\Acme", "C:\\PROGRA~1\\Acme"},
      {"C:\\Program Files\\Acme Tools", "C:\\PROGRA~1\\ACMETO~1"},
  };
  const auto found = names.find(path);
  return found == names.end() ? path : found->second;
}

TEST(NormalizePathList, TrimsDropsEmptiesAndRepeatsIgnoringCase) {
  const struct {
    const char* list;
    const char* expected;
  } cases[] = {
      {"", ""},
      {";;", ""},
      {" C:\\A ; ;C:\\B;", "C:\\A;C:\\B"},
      {"C:\\A;c:\\a;C:\\B;C:\\A", "C:\\A;C:\\B"},
      {"%SystemRoot%\\system32;%SYSTEMROOT%\\System32", "%SystemRoot%\\system32"},
      {"C:\\\xC4pfel;C:\\\xE4PFEL", "C:\\\xC4pfel"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NormalizePathList(c.list, nullptr, false), c.expected) << c.list;
    EXPECT_EQ(NormalizePathList(c.list, ShortOf, false), c.expected) << c.list;
  }
}

TEST(NormalizePathList, LongAndShortFormsOfOneFolderAreOneElement) {
  EXPECT_EQ(NormalizePathList("C:\\PROGRA~1\\Acme;C:\\Program Files\\Acme", ShortOf, false),
            "C:\\PROGRA~1\\Acme");
  EXPECT_EQ(NormalizePathList("C:\\Program Files\\Acme;c:\\progra~1\\acme", ShortOf, false),
            "C:\\Program Files\\Acme");
  EXPECT_EQ(NormalizePathList("C:\\Program Files\\Acme;C:\\Program Files\\Acme Tools;C:\\X",
                              ShortOf, true),
            "C:\\PROGRA~1\\Acme;C:\\PROGRA~1\\ACMETO~1;C:\\X");
}

// A PATH far beyond 8 KB keeps every element, in its order, with the new
// ones at the end; one that is already there (in another case) is not
// added twice.
TEST(AppendPathList, LongListKeepsEveryElement) {
  std::string current;
  for (int i = 0; i < 600; ++i) current += "C:\\Tools\\Package" + std::to_string(i) + "\\bin;";
  current.pop_back();
  ASSERT_GT(current.size(), 12000u);
  const std::string added =
      NormalizePathList("C:\\Acme\\bin;c:\\tools\\PACKAGE599\\BIN", ShortOf, false);
  EXPECT_EQ(AppendPathList(current, added, ShortOf), current + ";C:\\Acme\\bin");
  EXPECT_EQ(AppendPathList(current + ";", "C:\\Acme", ShortOf), current + ";C:\\Acme");
  EXPECT_EQ(AppendPathList("", "C:\\Acme", ShortOf), "C:\\Acme");
  EXPECT_EQ(AppendPathList(current, "C:\\Tools\\Package0\\bin", ShortOf), current);
}

TEST(RemoveFromPathList, KeepsTheOtherElementsInTheirOrder) {
  EXPECT_EQ(RemoveFromPathList("C:\\B;C:\\Added;C:\\A", "c:\\added"), "C:\\B;C:\\A");
  EXPECT_EQ(RemoveFromPathList("C:\\Added", "C:\\Added;C:\\Other"), "");
  EXPECT_EQ(RemoveFromPathList("C:\\A;C:\\B", ""), "C:\\A;C:\\B");
}

}  // namespace
}  // namespace cv
