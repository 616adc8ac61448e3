// The install log's entries read back as the uninstaller reads them.

#include "install/log_entries.h"

#include <gtest/gtest.h>

namespace cv {
namespace {

TEST(LogEntries, PathKeysRunToTheLastEqualsSign) {
  const LogEntry path = SplitLogLine("C:\\a=b\\file.txt=", true);
  EXPECT_EQ(path.Key, "C:\\a=b\\file.txt");
  EXPECT_EQ(path.Value, "b\\file.txt=");
  const LogEntry named = SplitLogLine("Path=1,C:\\x=y", false);
  EXPECT_EQ(named.Key, "Path");
  EXPECT_EQ(named.Value, "1,C:\\x=y");
}

TEST(LogEntries, QuotedFieldsMayHoldCommas) {
  EXPECT_EQ(SplitLogFields("'a,b','',3,'x'"), (std::vector<std::string>{"a,b", "", "3", "x"}));
  EXPECT_EQ(SplitLogFields("'it''s',1"), (std::vector<std::string>{"it''s", "1"}));
}

TEST(LogEntries, ProgramsTakeTheirDefaultsAndLoseDoubleQuotes) {
  const LoggedProgram p = ParseLoggedProgram("'\"C:\\x y\\a.exe\"','/q','C:\\w',0,'\"Bye\"',0,1");
  EXPECT_EQ(p.CmdLine, "C:\\x y\\a.exe");
  EXPECT_EQ(p.Arg, "/q");
  EXPECT_EQ(p.WorkDir, "C:\\w");
  EXPECT_EQ(p.ShowCode, 0);
  EXPECT_EQ(p.Msg, "Bye");
  EXPECT_FALSE(p.Wait);
  EXPECT_TRUE(p.CheckExitCode);
  const LoggedProgram bare = ParseLoggedProgram("'a.exe'");
  EXPECT_EQ(bare.ShowCode, 1);
  EXPECT_TRUE(bare.Wait);
  EXPECT_TRUE(bare.CheckExitCode);
}

TEST(LogEntries, RegistryValuesSplitOutsideQuotes) {
  const LoggedRegistryValue dword = ParseLoggedRegistryValue("HKLM\\Software\\Acme\\'Level'", "4,10");
  EXPECT_EQ(dword.Key, "HKLM\\Software\\Acme");
  EXPECT_EQ(dword.Name, "Level");
  EXPECT_EQ(dword.Type, 4);
  EXPECT_EQ(dword.Data, "10");
  const LoggedRegistryValue text = ParseLoggedRegistryValue("HKCU\\K\\'a\\b'", "1,'one||two'");
  EXPECT_EQ(text.Key, "HKCU\\K");
  EXPECT_EQ(text.Name, "a\\b");
  EXPECT_EQ(text.Data, "one\r\ntwo");
  EXPECT_EQ(ParseLoggedRegistryValue("HKCU\\K\\'v'", "").Type, 0);
}

TEST(LogEntries, IniAndEnvironmentEntries) {
  const LoggedIniEntry ini = ParseLoggedIniEntry("'C:\\a,b.ini','Main','Key'");
  EXPECT_EQ(ini.File, "C:\\a,b.ini");
  EXPECT_EQ(ini.Section, "Main");
  EXPECT_EQ(ini.Key, "Key");
  const LoggedEnvironmentVariable system = ParseLoggedEnvironmentVariable("1,C:\\A;C:\\B");
  EXPECT_TRUE(system.System);
  EXPECT_EQ(system.AddedPaths, "C:\\A;C:\\B");
  EXPECT_FALSE(ParseLoggedEnvironmentVariable("0,").System);
  EXPECT_EQ(ParseLoggedEnvironmentVariable("0,").AddedPaths, "");
}

}  // namespace
}  // namespace cv
