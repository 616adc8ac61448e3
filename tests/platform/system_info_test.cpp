#include "platform/system_info.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace cv {
namespace {

struct KindCase {
  PlatformFamily Family;
  std::int32_t Major;
  std::int32_t Minor;
  WindowsKind Expected;
  const char* What;
};

TEST(DescribeSystem, KindFollowsFamilyAndVersionNumbers) {
  const KindCase cases[] = {
      {PlatformFamily::Win9x, 4, 0, WindowsKind::Win95, "Windows 95"},
      {PlatformFamily::Win9x, 4, 10, WindowsKind::Win98, "Windows 98"},
      {PlatformFamily::Win9x, 4, 89, WindowsKind::Win98, "last 98 minor"},
      {PlatformFamily::Win9x, 4, 90, WindowsKind::WinMe, "Windows Me"},
      {PlatformFamily::Win9x, 5, 0, WindowsKind::WinMe, "9x above major 4"},
      {PlatformFamily::Win9x, 3, 95, WindowsKind::Win95, "9x below major 4"},
      {PlatformFamily::WinNT, 3, 51, WindowsKind::WinNT, "NT 3.51"},
      {PlatformFamily::WinNT, 4, 0, WindowsKind::WinNT, "NT 4"},
      {PlatformFamily::WinNT, 4, 90, WindowsKind::WinNT, "NT never looks at minor below 5"},
      {PlatformFamily::WinNT, 5, 0, WindowsKind::Win2000, "Windows 2000"},
      {PlatformFamily::WinNT, 5, 1, WindowsKind::WinXP, "Windows XP"},
      {PlatformFamily::WinNT, 5, 2, WindowsKind::Win2003, "Windows Server 2003"},
      {PlatformFamily::WinNT, 6, 0, WindowsKind::Win2000, "later major, minor 0"},
      {PlatformFamily::Win32s, 3, 10, WindowsKind::Win32s, "Win32s"},
  };
  for (const KindCase& c : cases) {
    EXPECT_EQ(DescribeSystem(c.Family, c.Major, c.Minor, 0, "").Kind, c.Expected) << c.What;
  }
}

TEST(DescribeSystem, FamilyTestsFollowTheKind) {
  EXPECT_TRUE(DescribeSystem(PlatformFamily::WinNT, 4, 0, 1381, "").IsNT());
  EXPECT_TRUE(DescribeSystem(PlatformFamily::WinNT, 5, 2, 3790, "").IsNT());
  EXPECT_FALSE(DescribeSystem(PlatformFamily::WinNT, 5, 1, 2600, "").Is9x());
  EXPECT_TRUE(DescribeSystem(PlatformFamily::Win9x, 4, 90, 3000, "").Is9x());
  EXPECT_FALSE(DescribeSystem(PlatformFamily::Win9x, 4, 0, 950, "").IsNT());
  const SystemInfoRecord win32s = DescribeSystem(PlatformFamily::Win32s, 3, 10, 0, "");
  EXPECT_FALSE(win32s.IsNT());
  EXPECT_FALSE(win32s.Is9x());
}

TEST(DescribeSystem, VersionTextShowsTwoMinorDigitsUnlessMinorIsZero) {
  EXPECT_EQ(DescribeSystem(PlatformFamily::WinNT, 5, 1, 2600, "").VersionText, "5.01");
  EXPECT_EQ(DescribeSystem(PlatformFamily::WinNT, 5, 0, 2195, "").VersionText, "5.0");
  EXPECT_EQ(DescribeSystem(PlatformFamily::Win9x, 4, 10, 1998, "").VersionText, "4.10");
  EXPECT_EQ(DescribeSystem(PlatformFamily::Win9x, 4, 90, 3000, "").VersionText, "4.90");
  EXPECT_EQ(DescribeSystem(PlatformFamily::WinNT, 3, 51, 1057, "").VersionText, "3.51");
}

TEST(DescribeSystem, FullNameOfXpWithServicePack) {
  const SystemInfoRecord xp = DescribeSystem(PlatformFamily::WinNT, 5, 1, 2600, "Service Pack 2");
  EXPECT_EQ(xp.Kind, WindowsKind::WinXP);
  EXPECT_EQ(xp.Major, 5);
  EXPECT_EQ(xp.Minor, 1);
  EXPECT_EQ(xp.Build, 2600);
  EXPECT_EQ(xp.ServicePack, "Service Pack 2");
  EXPECT_EQ(xp.FullName, "Windows XP 5.01.2600 Service Pack 2");
}

TEST(DescribeSystem, FullNameOfEveryKind) {
  EXPECT_EQ(DescribeSystem(PlatformFamily::WinNT, 4, 0, 1381, "Service Pack 6").FullName,
            "Windows NT 4.0.1381 Service Pack 6");
  EXPECT_EQ(DescribeSystem(PlatformFamily::WinNT, 5, 0, 2195, "Service Pack 4").FullName,
            "Windows 2000 5.0.2195 Service Pack 4");
  EXPECT_EQ(DescribeSystem(PlatformFamily::WinNT, 5, 2, 3790, "Service Pack 1").FullName,
            "Windows 2003 5.02.3790 Service Pack 1");
  EXPECT_EQ(DescribeSystem(PlatformFamily::Win9x, 4, 10, 0x040A07CE, "").FullName,
            "Windows 98 4.10.1998");
  EXPECT_EQ(DescribeSystem(PlatformFamily::Win9x, 4, 90, 0x045A0BB8, "").FullName,
            "Windows Me 4.90.3000");
}

TEST(DescribeSystem, BuildHasAtLeastFourDigitsAndNoTrailingBlank) {
  // Without a service pack the blank before it is trimmed away.
  EXPECT_EQ(DescribeSystem(PlatformFamily::Win9x, 4, 0, 0x040003B6, "").FullName,
            "Windows 95 4.0.0950");
}

TEST(DescribeSystem, NineXBuildKeepsOnlyItsLow16Bits) {
  // Windows 98 SE reports its version in the high word of the build number.
  const SystemInfoRecord se = DescribeSystem(PlatformFamily::Win9x, 4, 10, 0x040A08AE, "");
  EXPECT_EQ(se.Build, 2222);
  EXPECT_EQ(se.FullName, "Windows 98 4.10.2222");
  // The NT family's build number is used as it is.
  EXPECT_EQ(DescribeSystem(PlatformFamily::WinNT, 5, 1, 0x00012345, "").Build, 0x00012345);
}

TEST(KindName, ShortNamesUsedInFullName) {
  EXPECT_STREQ(KindName(WindowsKind::Win32s), "32s");
  EXPECT_STREQ(KindName(WindowsKind::Win95), "95");
  EXPECT_STREQ(KindName(WindowsKind::Win98), "98");
  EXPECT_STREQ(KindName(WindowsKind::WinNT), "NT");
  EXPECT_STREQ(KindName(WindowsKind::Win2000), "2000");
  EXPECT_STREQ(KindName(WindowsKind::WinMe), "Me");
  EXPECT_STREQ(KindName(WindowsKind::WinXP), "XP");
  EXPECT_STREQ(KindName(WindowsKind::Win2003), "2003");
}

}  // namespace
}  // namespace cv
