// Path lists normalized and reduced, as environment variables hold them.

#include "platform/path_list.h"

#include <gtest/gtest.h>

namespace cv {
namespace {

TEST(PathList, NormalizingTrimsAndDropsEmptyAndRepeatedElements) {
  struct Case {
    const char* list;
    const char* normalized;
  };
  for (const Case& c : {Case{"", ""}, Case{";;", ""}, Case{" C:\\A ;C:\\B;", "C:\\A;C:\\B"},
                        Case{"C:\\A;c:\\a;C:\\B;C:\\A", "C:\\A;C:\\B"}}) {
    EXPECT_EQ(NormalizePathList(c.list), c.normalized) << c.list;
  }
}

TEST(PathList, AnAlternateSpellingCountsAsTheSameElement) {
  const auto shortName = [](const std::string& e) {
    return e == "C:\\Program Files" ? std::string("C:\\PROGRA~1") : std::string();
  };
  EXPECT_EQ(NormalizePathList("C:\\Program Files;c:\\progra~1;C:\\X", shortName),
            "C:\\Program Files;C:\\X");
}

TEST(PathList, RemovingKeepsTheOtherElementsInTheirOrder) {
  EXPECT_EQ(RemoveFromPathList("C:\\B;C:\\Added;C:\\A", "c:\\added"), "C:\\B;C:\\A");
  EXPECT_EQ(RemoveFromPathList("C:\\Added", "C:\\Added;C:\\Other"), "");
  EXPECT_EQ(RemoveFromPathList("C:\\A;C:\\B", ""), "C:\\A;C:\\B");
}

}  // namespace
}  // namespace cv
