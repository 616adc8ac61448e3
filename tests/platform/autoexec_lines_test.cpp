#include "platform/autoexec_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cv {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitTextFileLines, EndsLinesAtCrLfLfAndCr) {
  EXPECT_EQ(SplitTextFileLines("a\r\nb\nc\rd\r\n"), (Lines{"a", "b", "c", "d"}));
}

TEST(SplitTextFileLines, KeepsALastLineWithoutLineEnd) {
  EXPECT_EQ(SplitTextFileLines("a\r\nlast"), (Lines{"a", "last"}));
}

TEST(SplitTextFileLines, KeepsEmptyLines) {
  EXPECT_EQ(SplitTextFileLines("\r\na\r\n\r\n\nb\r\n"), (Lines{"", "a", "", "", "b"}));
}

TEST(SplitTextFileLines, EmptyTextHasNoLines) { EXPECT_TRUE(SplitTextFileLines("").empty()); }

TEST(SplitTextFileLines, StopsAtTheEndOfFileMark) {
  EXPECT_EQ(SplitTextFileLines("a\r\nb\r\n\x1A"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitTextFileLines("a\r\nb\x1A\r\nSET X=1\r\n"), (Lines{"a", "b"}));
}

TEST(JoinTextFileLines, EndsEveryLineWithCrLf) {
  EXPECT_EQ(JoinTextFileLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(JoinTextFileLines({}), "");
}

TEST(IsSetLineFor, MatchesTheNameBeforeTheFirstEquals) {
  EXPECT_TRUE(IsSetLineFor("SET PATH=C:\\DOS", "PATH"));
  EXPECT_TRUE(IsSetLineFor("SET PATH=", "PATH"));
  EXPECT_TRUE(IsSetLineFor("SET PATH=A=B", "PATH"));
  EXPECT_FALSE(IsSetLineFor("SET PATH=C:\\DOS", "PAT"));
  EXPECT_FALSE(IsSetLineFor("SET PATHS=C:\\DOS", "PATH"));
  EXPECT_FALSE(IsSetLineFor("SET A=PATH=x", "PATH"));
}

TEST(IsSetLineFor, IgnoresCaseOfKeywordAndName) {
  EXPECT_TRUE(IsSetLineFor("set path=x", "PATH"));
  EXPECT_TRUE(IsSetLineFor("Set Path=x", "pAtH"));
}

TEST(IsSetLineFor, AllowsBlanksAroundTheLineAndAfterTheKeyword) {
  EXPECT_TRUE(IsSetLineFor("   SET PATH=x   ", "PATH"));
  EXPECT_TRUE(IsSetLineFor("\tSET    PATH=x", "PATH"));
}

TEST(IsSetLineFor, NeedsTheKeywordFollowedByASpace) {
  EXPECT_FALSE(IsSetLineFor("SETPATH=x", "PATH"));
  EXPECT_FALSE(IsSetLineFor("SET\tPATH=x", "PATH"));
  EXPECT_FALSE(IsSetLineFor("REM SET PATH=x", "PATH"));
  EXPECT_FALSE(IsSetLineFor("PATH=x", "PATH"));
  EXPECT_FALSE(IsSetLineFor("SET", "PATH"));
  EXPECT_FALSE(IsSetLineFor("", "PATH"));
}

TEST(IsSetLineFor, NameIsNotTrimmedBeforeTheEquals) {
  // DOS makes "PATH " (with the blank) of this line, another variable.
  EXPECT_FALSE(IsSetLineFor("SET PATH =x", "PATH"));
}

TEST(IsSetLineFor, SetWithoutEqualsSetsNothing) { EXPECT_FALSE(IsSetLineFor("SET PATH", "PATH")); }

TEST(SetLine, IsSetNameEqualsValue) {
  EXPECT_EQ(SetLine("Brindle", "C:\\B"), "SET Brindle=C:\\B");
  EXPECT_EQ(SetLine("A", "%PATH%;C:\\B"), "SET A=%PATH%;C:\\B");
}

TEST(SetAutoexecVariableLines, RemovesBothSetLinesAndKeepsEveryOtherLine) {
  const Lines before{"@ECHO OFF", "SET BRINDLE=C:\\ONE", "PATH C:\\DOS",
                     "",          "set brindle=C:\\TWO", "SET BRINDLE2=C:\\KEEP"};
  const AutoexecEdit edit = SetAutoexecVariableLines(before, "Brindle", "");
  EXPECT_TRUE(edit.Found);
  EXPECT_EQ(edit.Lines, (Lines{"@ECHO OFF", "PATH C:\\DOS", "", "SET BRINDLE2=C:\\KEEP"}));
}

TEST(SetAutoexecVariableLines, AppendsANewVariableAsOneLineAtTheEnd) {
  const Lines before{"@ECHO OFF", "SET TEMP=C:\\TEMP", "WIN"};
  const AutoexecEdit edit = SetAutoexecVariableLines(before, "BRINDLE", "C:\\BRINDLE");
  EXPECT_FALSE(edit.Found);
  EXPECT_EQ(edit.Lines,
            (Lines{"@ECHO OFF", "SET TEMP=C:\\TEMP", "WIN", "SET BRINDLE=C:\\BRINDLE"}));
}

TEST(SetAutoexecVariableLines, ReplacesMatchingLinesWhereTheyStand) {
  const Lines before{"  set brindle=C:\\OLD  ", "PROMPT $P$G", "SET BRINDLE=C:\\OLDER"};
  const AutoexecEdit edit = SetAutoexecVariableLines(before, "Brindle", "D:\\NEW");
  EXPECT_TRUE(edit.Found);
  EXPECT_EQ(edit.Lines, (Lines{"SET Brindle=D:\\NEW", "PROMPT $P$G", "SET Brindle=D:\\NEW"}));
}

TEST(SetAutoexecVariableLines, RemovingAMissingVariableChangesNothing) {
  const Lines before{"@ECHO OFF", "SET TEMP=C:\\TEMP"};
  const AutoexecEdit edit = SetAutoexecVariableLines(before, "BRINDLE", "");
  EXPECT_FALSE(edit.Found);
  EXPECT_EQ(edit.Lines, before);
}

TEST(SetAutoexecVariableLines, EmptyFileGetsTheOneLine) {
  EXPECT_EQ(SetAutoexecVariableLines({}, "BRINDLE", "1").Lines, (Lines{"SET BRINDLE=1"}));
  EXPECT_TRUE(SetAutoexecVariableLines({}, "BRINDLE", "").Lines.empty());
}

}  // namespace
}  // namespace cv
