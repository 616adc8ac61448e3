#include "engine/launch_checks.h"

#include <gtest/gtest.h>

namespace cv {
namespace {

const SystemInfoRecord kWin95 = DescribeSystem(PlatformFamily::Win9x, 4, 0, 0x040003B6, "");
const SystemInfoRecord kWin98 = DescribeSystem(PlatformFamily::Win9x, 4, 10, 0x040A07CE, "");
const SystemInfoRecord kWinMe = DescribeSystem(PlatformFamily::Win9x, 4, 90, 0x045A0BB8, "");
const SystemInfoRecord kNT4 = DescribeSystem(PlatformFamily::WinNT, 4, 0, 1381, "Service Pack 6");
const SystemInfoRecord kWin2000 = DescribeSystem(PlatformFamily::WinNT, 5, 0, 2195, "");
const SystemInfoRecord kWinXP = DescribeSystem(PlatformFamily::WinNT, 5, 1, 2600, "Service Pack 2");
const SystemInfoRecord kWin2003 = DescribeSystem(PlatformFamily::WinNT, 5, 2, 3790, "");
const SystemInfoRecord kWin32s = DescribeSystem(PlatformFamily::Win32s, 3, 10, 0, "");

TEST(SupportedOs, EmptyListLetsEverySystemRun) {
  EXPECT_TRUE(SupportedOsPasses("", kWin95));
  EXPECT_TRUE(SupportedOsPasses("", kWin2003));
  EXPECT_TRUE(SupportedOsPasses("", kWin32s));
}

TEST(SupportedOs, ListIsUpperCasedBeforeTheWordTest) {
  EXPECT_TRUE(SupportedOsPasses("nt4,2k", kWin2000));
  EXPECT_TRUE(SupportedOsPasses("nt4,2k", kNT4));
  EXPECT_FALSE(SupportedOsPasses("nt4,2k", kWinXP));
  EXPECT_TRUE(SupportedOsPasses("Me", kWinMe));
}

TEST(SupportedOs, NtFamilyWords) {
  for (const SystemInfoRecord* nt : {&kNT4, &kWin2000, &kWinXP, &kWin2003}) {
    EXPECT_TRUE(SupportedOsPasses("NT", *nt)) << nt->FullName;
    EXPECT_FALSE(SupportedOsPasses("9X", *nt)) << nt->FullName;
  }
  EXPECT_TRUE(SupportedOsPasses("NT4", kNT4));
  EXPECT_FALSE(SupportedOsPasses("NT4", kWin2000));
  EXPECT_TRUE(SupportedOsPasses("2K", kWin2000));
  EXPECT_FALSE(SupportedOsPasses("2K", kWinXP));
  EXPECT_TRUE(SupportedOsPasses("XP", kWinXP));
  EXPECT_FALSE(SupportedOsPasses("XP", kWin2003));
  EXPECT_TRUE(SupportedOsPasses("2K3", kWin2003));
  EXPECT_FALSE(SupportedOsPasses("2K3", kWinXP));
}

TEST(SupportedOs, NineXFamilyWords) {
  for (const SystemInfoRecord* nineX : {&kWin95, &kWin98, &kWinMe}) {
    EXPECT_TRUE(SupportedOsPasses("9X", *nineX)) << nineX->FullName;
    EXPECT_FALSE(SupportedOsPasses("NT", *nineX)) << nineX->FullName;
  }
  EXPECT_TRUE(SupportedOsPasses("95", kWin95));
  EXPECT_FALSE(SupportedOsPasses("95", kWin98));
  EXPECT_TRUE(SupportedOsPasses("98", kWin98));
  EXPECT_FALSE(SupportedOsPasses("98", kWinMe));
  EXPECT_TRUE(SupportedOsPasses("ME", kWinMe));
  EXPECT_FALSE(SupportedOsPasses("ME", kWin98));
}

TEST(SupportedOs, OnlyWholeWordsCount) {
  EXPECT_FALSE(SupportedOsPasses("NT4", kWinXP));    // holds "NT" but is not "NT"
  EXPECT_FALSE(SupportedOsPasses("2K3", kWin2000));  // holds "2K"
  EXPECT_FALSE(SupportedOsPasses("XPSP2", kWinXP));
  EXPECT_FALSE(SupportedOsPasses("95,98", kWinMe));
  EXPECT_TRUE(SupportedOsPasses(",,95,,XP,", kWinXP));
}

TEST(SupportedOs, Win32sIsInNoList) {
  EXPECT_FALSE(SupportedOsPasses("NT,9X,95,98,ME,NT4,2K,XP,2K3", kWin32s));
}

TEST(MinOsVersion, EmptyPassesEverywhere) {
  EXPECT_TRUE(MinOsVersionPasses("", kWin95));
  EXPECT_TRUE(MinOsVersionPasses("", kWin32s));
}

TEST(MinOsVersion, MajorOnlyComparesMajor) {
  EXPECT_TRUE(MinOsVersionPasses("5", kWin2000));
  EXPECT_TRUE(MinOsVersionPasses("5", kWinXP));
  EXPECT_FALSE(MinOsVersionPasses("5", kWinMe));
  EXPECT_FALSE(MinOsVersionPasses("6", kWin2003));
  EXPECT_TRUE(MinOsVersionPasses("4", kNT4));
}

TEST(MinOsVersion, MinorCountsOnlyWithEqualMajors) {
  EXPECT_FALSE(MinOsVersionPasses("5.1", kWin2000));
  EXPECT_TRUE(MinOsVersionPasses("5.1", kWinXP));
  EXPECT_TRUE(MinOsVersionPasses("4.90", kWinMe));
  EXPECT_TRUE(MinOsVersionPasses("4.10", kWinMe));
  EXPECT_FALSE(MinOsVersionPasses("4.90", kWin98));
  EXPECT_TRUE(MinOsVersionPasses("4.99", kWinXP));  // an older major never fails
}

TEST(MinOsVersion, BuildCountsOnlyWithEqualMajorsAndMinors) {
  EXPECT_TRUE(MinOsVersionPasses("5.1.2600", kWinXP));
  EXPECT_FALSE(MinOsVersionPasses("5.1.2601", kWinXP));
  EXPECT_TRUE(MinOsVersionPasses("5.0.9999", kWinXP));
  EXPECT_TRUE(MinOsVersionPasses("4.90.3000", kWinMe));
  // Me's build is judged by the low 16 bits only.
  EXPECT_FALSE(MinOsVersionPasses("4.90.3001", kWinMe));
}

TEST(MinOsVersion, MissingOrNonNumericPartsTakeTheRunningValue) {
  EXPECT_TRUE(MinOsVersionPasses("x.1", kWinXP));
  EXPECT_FALSE(MinOsVersionPasses("x.2", kWinXP));
  EXPECT_TRUE(MinOsVersionPasses("5.x", kWin2000));
  EXPECT_FALSE(MinOsVersionPasses("5..2601", kWinXP));
  EXPECT_TRUE(MinOsVersionPasses("5..2600", kWinXP));
  EXPECT_TRUE(MinOsVersionPasses("5.1.sp2", kWinXP));
  EXPECT_TRUE(MinOsVersionPasses("5.1.", kWinXP));
  EXPECT_FALSE(MinOsVersionPasses("6.abc", kWinXP));
}

TEST(MinOsVersion, PartsAfterTheThirdAreIgnored) {
  EXPECT_TRUE(MinOsVersionPasses("5.1.2600.9999", kWinXP));
  EXPECT_FALSE(MinOsVersionPasses("5.1.2601.0", kWinXP));
}

}  // namespace
}  // namespace cv
