#include "engine/startup_switches.h"

#include <gtest/gtest.h>

#include "platform/paths.h"

namespace cv {
namespace {

TEST(StartupSwitches, NoArgumentsSetNothing) {
  const auto switches = ParseStartupSwitches({"setup.exe"});
  EXPECT_FALSE(switches.ResumeFolder.has_value());
  EXPECT_FALSE(switches.ExeName.has_value());
  EXPECT_TRUE(switches.Variables.empty());
  EXPECT_FALSE(switches.Uninstall);
  EXPECT_FALSE(switches.Repair);
  EXPECT_FALSE(switches.Silent);
}

TEST(StartupSwitches, ResumeInUpperCaseWithQuotes) {
  const auto switches = ParseStartupSwitches({"setup.exe", "/RESUME:\"C:\\a b\""});
  ASSERT_TRUE(switches.ResumeFolder.has_value());
  EXPECT_EQ(*switches.ResumeFolder, "C:\\a b\\");
}

TEST(StartupSwitches, ResumeWrittenEitherWayGivesTheSameFolder) {
  const auto upper = ParseStartupSwitches({"setup.exe", "/RESUME:\"C:\\Temp\\0AB12CDE\""});
  const auto lower = ParseStartupSwitches({"setup.exe", "/resume:C:\\Temp\\0AB12CDE"});
  ASSERT_TRUE(upper.ResumeFolder.has_value());
  ASSERT_TRUE(lower.ResumeFolder.has_value());
  EXPECT_EQ(*upper.ResumeFolder, "C:\\Temp\\0AB12CDE\\");
  EXPECT_EQ(*lower.ResumeFolder, *upper.ResumeFolder);
}

TEST(StartupSwitches, ResumeFolderKeepsAnExistingBackslash) {
  const auto switches = ParseStartupSwitches({"setup.exe", "-Resume:\"C:\\Temp\\X\\\""});
  ASSERT_TRUE(switches.ResumeFolder.has_value());
  EXPECT_EQ(*switches.ResumeFolder, "C:\\Temp\\X\\");
}

TEST(StartupSwitches, ResumeWithoutColonIsNoResumeSwitch) {
  EXPECT_FALSE(ParseStartupSwitches({"setup.exe", "/resume"}).ResumeFolder.has_value());
  EXPECT_FALSE(ParseStartupSwitches({"setup.exe", "-RESUME"}).ResumeFolder.has_value());
  EXPECT_FALSE(ParseStartupSwitches({"setup.exe", "resume:C:\\x"}).ResumeFolder.has_value());
  // A later proper switch still counts.
  const auto later = ParseStartupSwitches({"setup.exe", "/resume", "/resume:C:\\x"});
  ASSERT_TRUE(later.ResumeFolder.has_value());
  EXPECT_EQ(*later.ResumeFolder, "C:\\x\\");
}

TEST(StartupSwitches, ShortSwitchesAreNotTakenForValueSwitches) {
  // "/r" starts like "resume:" and "/e" like "exename:", but they carry no
  // colon and no value.
  const auto switches = ParseStartupSwitches({"setup.exe", "/r", "/e", "-res", "/exe"});
  EXPECT_TRUE(switches.Repair);
  EXPECT_FALSE(switches.ResumeFolder.has_value());
  EXPECT_FALSE(switches.ExeName.has_value());
}

TEST(StartupSwitches, FirstResumeAndExeNameWin) {
  const auto switches = ParseStartupSwitches(
      {"setup.exe", "/resume:C:\\one", "/exename:a.exe", "/resume:C:\\two", "/exename:b.exe"});
  EXPECT_EQ(switches.ResumeFolder.value_or(""), "C:\\one\\");
  EXPECT_EQ(switches.ExeName.value_or(""), "a.exe");
}

TEST(StartupSwitches, ExeNameLosesOnePairOfQuotes) {
  EXPECT_EQ(ParseStartupSwitches({"setup.exe", "/EXENAME:\"C:\\My Setup\\setup.exe\""})
                .ExeName.value_or(""),
            "C:\\My Setup\\setup.exe");
  EXPECT_EQ(ParseStartupSwitches({"setup.exe", "-exename:C:\\setup.exe"}).ExeName.value_or(""),
            "C:\\setup.exe");
  EXPECT_EQ(ParseStartupSwitches({"setup.exe", "/exename:\"\"x\"\""}).ExeName.value_or(""),
            "\"x\"");
  // No trailing backslash for a file name.
  EXPECT_EQ(ParseStartupSwitches({"setup.exe", "/exename:C:\\a"}).ExeName.value_or(""), "C:\\a");
}

TEST(StartupSwitches, ExeNameWithoutColonIsNoExeNameSwitch) {
  EXPECT_FALSE(ParseStartupSwitches({"setup.exe", "/exename"}).ExeName.has_value());
  EXPECT_EQ(ParseStartupSwitches({"setup.exe", "/exename", "/exename:b.exe"}).ExeName.value_or(""),
            "b.exe");
}

TEST(StartupSwitches, VarTakesEverythingAfterTheFirstEqualsAsValue) {
  const auto switches = ParseStartupSwitches({"setup.exe", "/var:Name=Value=More"});
  ASSERT_EQ(switches.Variables.size(), 1u);
  EXPECT_EQ(switches.Variables[0].Name, "Name");
  EXPECT_EQ(switches.Variables[0].Value, "Value=More");
}

TEST(StartupSwitches, VarWithoutNameIsIgnored) {
  EXPECT_TRUE(ParseStartupSwitches({"setup.exe", "/var:=x"}).Variables.empty());
  EXPECT_TRUE(ParseStartupSwitches({"setup.exe", "/var:"}).Variables.empty());
  EXPECT_TRUE(ParseStartupSwitches({"setup.exe", "/var"}).Variables.empty());
}

TEST(StartupSwitches, VarWithoutEqualsSetsEmptyValue) {
  const auto switches = ParseStartupSwitches({"setup.exe", "/var:Flag"});
  ASSERT_EQ(switches.Variables.size(), 1u);
  EXPECT_EQ(switches.Variables[0].Name, "Flag");
  EXPECT_EQ(switches.Variables[0].Value, "");
}

TEST(StartupSwitches, EveryVarSwitchIsKeptInOrderWithItsCase) {
  const auto switches = ParseStartupSwitches(
      {"setup.exe", "-var:A=1", "/s", "/VAR:InstallPath=C:\\My App", "/Var:A=2"});
  ASSERT_EQ(switches.Variables.size(), 3u);
  EXPECT_EQ(switches.Variables[0].Name, "A");
  EXPECT_EQ(switches.Variables[0].Value, "1");
  EXPECT_EQ(switches.Variables[1].Name, "InstallPath");
  EXPECT_EQ(switches.Variables[1].Value, "C:\\My App");
  EXPECT_EQ(switches.Variables[2].Name, "A");
  EXPECT_EQ(switches.Variables[2].Value, "2");
}

TEST(StartupSwitches, OnlyRealVarSwitchesSetVariables) {
  const auto switches = ParseStartupSwitches(
      {"var:A=1", "setup.exe", "var:B=2", "xvar:C=3", "/variable:D=4", "//var:E=5"});
  EXPECT_TRUE(switches.Variables.empty());
}

TEST(StartupSwitches, ModeSwitchesAreWholeWordsInAnyCase) {
  const auto all = ParseStartupSwitches({"setup.exe", "/U", "-r", "/s"});
  EXPECT_TRUE(all.Uninstall);
  EXPECT_TRUE(all.Repair);
  EXPECT_TRUE(all.Silent);

  const auto none = ParseStartupSwitches({"setup.exe", "/us", "r", "/silent", "/", "/s:"});
  EXPECT_FALSE(none.Uninstall);
  EXPECT_FALSE(none.Repair);
  EXPECT_FALSE(none.Silent);
}

TEST(StripOneQuotePair, OnlyOnePairAndOnlyWhenBothEndsAreQuotes) {
  EXPECT_EQ(StripOneQuotePair("\"a b\""), "a b");
  EXPECT_EQ(StripOneQuotePair("\"\"a\"\""), "\"a\"");
  EXPECT_EQ(StripOneQuotePair("\"a"), "\"a");
  EXPECT_EQ(StripOneQuotePair("\""), "\"");
  EXPECT_EQ(StripOneQuotePair("\"\""), "");
}

}  // namespace
}  // namespace cv
