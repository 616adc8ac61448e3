#include "engine/presetup_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/install_mode.h"

namespace cv {
namespace {

std::string LittleEndianPair(std::uint32_t first, std::uint32_t second) {
  std::string bytes;
  for (std::uint32_t value : {first, second}) {
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  }
  return bytes;
}

TEST(PresetupEntries, DataEntriesEndThePresetupWhateverTheirCase) {
  EXPECT_TRUE(IsDataEntry("data\\main\\app.exe"));
  EXPECT_TRUE(IsDataEntry("DATA\\x"));
  EXPECT_TRUE(IsDataEntry("data\\"));
  EXPECT_FALSE(IsDataEntry("data"));
  EXPECT_FALSE(IsDataEntry("database"));
  EXPECT_FALSE(IsDataEntry("plugins\\0\\data\\x.dll"));
}

TEST(PresetupEntries, OnlyNamesThatStayInTheirFolderAreExtracted) {
  EXPECT_TRUE(IsContainedEntryName("maindb"));
  EXPECT_TRUE(IsContainedEntryName("plugins\\0\\wizard.dll"));
  EXPECT_TRUE(IsContainedEntryName("a..b\\..c"));
  EXPECT_FALSE(IsContainedEntryName(""));
  EXPECT_FALSE(IsContainedEntryName("..\\..\\Windows\\evil.dll"));
  EXPECT_FALSE(IsContainedEntryName("plugins\\..\\..\\x"));
  EXPECT_FALSE(IsContainedEntryName("plugins/../x"));
  EXPECT_FALSE(IsContainedEntryName(".."));
  EXPECT_FALSE(IsContainedEntryName("\\Windows\\x"));
  EXPECT_FALSE(IsContainedEntryName("C:\\x"));
  EXPECT_FALSE(IsContainedEntryName("C:x"));
}

TEST(PresetupEntries, PicturesAndRegionsComeBeforeTheProgressWindow) {
  EXPECT_TRUE(IsPresetupPicture("splash.bmp"));
  EXPECT_TRUE(IsPresetupPicture("SPLASH.RGN"));
  EXPECT_TRUE(IsPresetupPicture("presetup.bmp"));
  EXPECT_TRUE(IsPresetupPicture("presetup"));
  EXPECT_FALSE(IsPresetupPicture("maindb"));
  EXPECT_FALSE(IsPresetupPicture("splash2.bmp"));
  EXPECT_FALSE(IsPresetupPicture("plugins\\0\\splash.dll"));
}

TEST(PresetupProgress, SpaceAndPercentRoundToTheNearest) {
  EXPECT_EQ(RequiredFreeKB(0), 0);
  EXPECT_EQ(RequiredFreeKB(511), 0);
  EXPECT_EQ(RequiredFreeKB(512), 1);
  EXPECT_EQ(RequiredFreeKB(1536), 2);
  EXPECT_EQ(RequiredFreeKB(5'000'000'000LL), 4'882'813);
  EXPECT_EQ(PresetupPercent(0, 0), 0);
  EXPECT_EQ(PresetupPercent(5, 0), 0);
  EXPECT_EQ(PresetupPercent(1, 200), 1);  // 0.5 rounds up
  EXPECT_EQ(PresetupPercent(1, 201), 0);
  EXPECT_EQ(PresetupPercent(200, 200), 100);
  EXPECT_EQ(PresetupPercent(6'000'000'000LL, 12'000'000'000LL), 50);
}

TEST(SplashSettings, TheLastEightBytesGiveSecondsAndOpacity) {
  const auto settings = ReadSplashSettings(LittleEndianPair(3, 50));
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->MinimumMilliseconds, 3000u);
  EXPECT_EQ(settings->Opacity, 50);
  EXPECT_FALSE(ReadSplashSettings("short"));
  // A huge display time is held at the longest wait the clock can measure.
  EXPECT_EQ(ReadSplashSettings(LittleEndianPair(0xFFFFFFFF, 100))->MinimumMilliseconds,
            0xFFFFFFFFu);
}

TEST(SplashSettings, OnlyOpacitiesBelowAHundredMakeTheSplashTranslucent) {
  EXPECT_FALSE(SplashAlpha(100));
  EXPECT_FALSE(SplashAlpha(250));
  EXPECT_EQ(SplashAlpha(50), 128);  // 127.5
  EXPECT_EQ(SplashAlpha(99), 252);
  EXPECT_EQ(SplashAlpha(0), 0);
  EXPECT_EQ(SplashAlpha(-7), 0);
}

TEST(InstallModeDecision, SwitchesCountOnlyForAnInstalledApplication) {
  const InstalledApplication absent;
  EXPECT_EQ(DecideInstallMode(absent, "C:\\Setup\\", "1.0", true, true), InstallMode::Install);

  InstalledApplication installed{true, "1.0", "C:\\Program Files\\App"};
  EXPECT_EQ(DecideInstallMode(installed, "C:\\Setup\\", "2.0", false, false),
            InstallMode::Install);
  EXPECT_EQ(DecideInstallMode(installed, "C:\\Setup\\", "1.0", false, false), InstallMode::Repair);
  EXPECT_EQ(DecideInstallMode(installed, "C:\\Setup\\", "1.0 ", false, false),
            InstallMode::Install);
  EXPECT_EQ(DecideInstallMode(installed, "C:\\Setup\\", "2.0", true, false), InstallMode::Repair);
  EXPECT_EQ(DecideInstallMode(installed, "C:\\Setup\\", "1.0", true, true),
            InstallMode::Uninstall);
  // Started from the installed folder, as its uninstall entry starts it.
  EXPECT_EQ(DecideInstallMode(installed, "c:\\program files\\app\\", "2.0", false, false),
            InstallMode::Uninstall);
  EXPECT_EQ(DecideInstallMode(installed, "c:\\program files\\app\\", "2.0", true, false),
            InstallMode::Repair);
  // An installed copy without a location is never "this folder".
  installed.Location.clear();
  EXPECT_EQ(DecideInstallMode(installed, "", "2.0", false, false), InstallMode::Install);
}

}  // namespace
}  // namespace cv
