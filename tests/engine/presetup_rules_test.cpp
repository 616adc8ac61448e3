#include "engine/presetup_rules.h"

#include <gtest/gtest.h>

#include <limits>
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
  // Windows drops trailing dots and spaces, so these would not name what
  // they say (and "..." parts climb on some systems).
  for (const char* name : {".. \\x", ".. .\\x", "a\\...\\x", "a\\ \\x", "a\\.", "a\\\\x", "a\\", ". "}) {
    EXPECT_FALSE(IsContainedEntryName(name)) << name;
  }
  EXPECT_TRUE(IsContainedEntryName(".config\\ a b"));
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
  // No package holds the setup for long: a huge display time is capped.
  EXPECT_EQ(ReadSplashSettings(LittleEndianPair(0xFFFFFFFF, 100))->MinimumMilliseconds,
            kMaxSplashMilliseconds);
  EXPECT_EQ(ReadSplashSettings(LittleEndianPair(20, 100))->MinimumMilliseconds, 20'000u);
  EXPECT_EQ(ReadSplashSettings(LittleEndianPair(21, 100))->MinimumMilliseconds, 20'000u);
}

TEST(PresetupProgress, HugeOrInvalidPresetupSizesCannotOverflowTheTotal) {
  EXPECT_EQ(AddPresetupSize(10, 1536.0), 1546);
  EXPECT_EQ(AddPresetupSize(10, -5.0), 10);
  EXPECT_EQ(AddPresetupSize(10, std::numeric_limits<double>::quiet_NaN()), 10);
  const std::int64_t limit = std::int64_t{1} << 62;
  EXPECT_EQ(AddPresetupSize(0, 9.3e18), limit);  // 2^63 - 512 and more
  EXPECT_EQ(AddPresetupSize(limit - 1, 1e10), limit);
  EXPECT_EQ(AddPresetupSize(0, std::numeric_limits<double>::infinity()), limit);
  // So the free-space check asks for more than any disk has.
  EXPECT_GT(RequiredFreeKB(AddPresetupSize(AddPresetupSize(0, 9.3e18), 9.3e18)), std::int64_t{1} << 50);
}

// A bitmap file as the builder would ship it: file and info header, then
// `pixelBytes` of pixels; `fields` overrides (offset, value, width).
std::string Bitmap(std::int32_t width, std::int32_t height, std::uint16_t bits, std::size_t pixelBytes,
                   std::uint32_t compression = 0) {
  std::string bytes(54, '\0');
  auto put = [&](std::size_t offset, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put(2, static_cast<std::uint32_t>(54 + pixelBytes), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<std::uint32_t>(width), 4);
  put(22, static_cast<std::uint32_t>(height), 4);
  put(26, 1, 2);
  put(28, bits, 2);
  put(30, compression, 4);
  put(34, static_cast<std::uint32_t>(pixelBytes), 4);
  return bytes + std::string(pixelBytes, '\x7f');
}

TEST(PresetupPictures, BitmapHeadersMustMatchTheFile) {
  struct Case {
    std::string bytes;
    bool sound;
  };
  const Case cases[] = {
      {Bitmap(200, 100, 24, 600 * 100), true},        // rows of 600 bytes
      {Bitmap(201, 100, 24, 604 * 100), true},        // padded to 4 bytes
      {Bitmap(201, 100, 24, 604 * 100 - 1), false},   // one byte short
      {Bitmap(200, -100, 24, 600 * 100), true},       // top-down
      {Bitmap(16, 16, 1, 4 * 16), true},
      {Bitmap(30000, 30000, 24, 8), false},           // claims 2.7 GB in a tiny file
      {Bitmap(200, 200, 24, 8), false},
      {Bitmap(0, 10, 24, 0), false},
      {Bitmap(40000, 1, 8, 40000), false},            // beyond any sane picture
      {Bitmap(10, 10, 7, 400), false},                // no such pixel size
      {Bitmap(10, 10, 8, 30, 1), true},               // run-length data of its stated size
      {Bitmap(10, 10, 24, 400, 1), false},            // RLE8 needs 8 bits
      {Bitmap(10, 10, 8, 400, 4), false},             // JPEG inside a bitmap: not for us
      {"BM" + std::string(10, '\0'), false},
      {"PK" + Bitmap(1, 1, 24, 4).substr(2), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsSoundBitmap(c.bytes, c.bytes.size()), c.sound) << testing::PrintToString(c.bytes.substr(0, 40));
  }
  // The pixel offset must lie after the headers and inside the file.
  std::string early = Bitmap(2, 2, 24, 16);
  early[10] = 20;
  EXPECT_FALSE(IsSoundBitmap(early, early.size()));
  const std::string whole = Bitmap(2, 2, 24, 16);
  EXPECT_FALSE(IsSoundBitmap(whole, 40));
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
