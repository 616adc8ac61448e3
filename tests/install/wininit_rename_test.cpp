// The [Rename] section rules of "wininit.ini" on the 9x family.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/wininit_rename.h"

namespace cv {
namespace {

using Lines = std::vector<std::string>;

TEST(WininitRenameEntries, ReplaceDeletesTheTargetThenMovesTheSourceIn) {
  EXPECT_EQ(WininitRenameEntries("C:\\NEW~1.DLL", "C:\\OLD~1.DLL"),
            (Lines{"NUL=C:\\OLD~1.DLL", "C:\\OLD~1.DLL=C:\\NEW~1.DLL"}));
  EXPECT_EQ(WininitRenameEntries("C:\\GONE.DLL", ""), (Lines{"NUL=C:\\GONE.DLL"}));
}

struct InsertCase {
  const char* name;
  Lines old;
  Lines expected;
};

class InsertWininitRenameEntriesTest : public ::testing::TestWithParam<InsertCase> {};

TEST_P(InsertWininitRenameEntriesTest, PlacesTheEntriesOnce) {
  EXPECT_EQ(InsertWininitRenameEntries(GetParam().old, {"NUL=A", "A=B"}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InsertWininitRenameEntriesTest,
    ::testing::Values(
        InsertCase{"NoFile", {}, {"[Rename]", "NUL=A", "A=B"}},
        InsertCase{"NoRenameSection",
                   {"[Other]", "x=1", "", "  "},
                   {"[Other]", "x=1", "[Rename]", "NUL=A", "A=B"}},
        InsertCase{"BeforeTheFirstEmptyLineOfTheSection",
                   {"", "[rename]", " NUL=OLD ", "", "[Other]", "", "y=2"},
                   {"[rename]", "NUL=OLD", "NUL=A", "A=B", "", "[Other]", "", "y=2"}},
        InsertCase{"FileEndsInsideTheSection",
                   {"[Other]", "[RENAME]", "NUL=OLD"},
                   {"[Other]", "[RENAME]", "NUL=OLD", "NUL=A", "A=B"}},
        InsertCase{"NextSectionWithoutAnEmptyLine",
                   {"[Rename]", "NUL=OLD", "[Other]", "", "y=2"},
                   {"[Rename]", "NUL=OLD", "NUL=A", "A=B", "[Other]", "", "y=2"}}),
    [](const ::testing::TestParamInfo<InsertCase>& param) { return std::string(param.param.name); });

TEST(RunOnceRename, GivesTheLongNameBack) {
  EXPECT_EQ(RunOnceRenameName("C:\\PROGRA~1\\LONGFI~1.DLL"), "Rename C:\\PROGRA~1\\LONGFI~1.DLL");
  EXPECT_EQ(RunOnceRenameCommand("C:\\PROGRA~1\\LONGFI~1.DLL", "long file.dll"),
            "command.com /c ren C:\\PROGRA~1\\LONGFI~1.DLL \"long file.dll\"");
}

}  // namespace
}  // namespace cv
