#pragma once
// The decisions of the presetup extraction that need no window: which
// entries it extracts, when it shows its progress, how a splash picture's
// appended settings read.

#include <cstdint>
#include <optional>
#include <string_view>

namespace cv {

// Entries under "data\" are installed later; the first one ends the presetup.
bool IsDataEntry(std::string_view name);

// Whether an entry name stays inside the folder it is extracted to: relative,
// without a drive, and without ".." as a part. Names that would leave it are
// skipped, whatever a damaged or hostile package holds.
bool IsContainedEntryName(std::string_view name);

// The splash and progress pictures and their regions are extracted before
// the progress window appears, so that it can use them.
bool IsPresetupPicture(std::string_view name);

// Free KiB the presetup needs for `totalBytes`, rounded to the nearest KiB.
std::int64_t RequiredFreeKB(std::int64_t totalBytes);

// The progress in whole percent, rounded to the nearest; 0 without a total.
int PresetupPercent(std::int64_t done, std::int64_t total);

// The settings a splash picture carries in its last eight bytes.
struct SplashSettings {
  std::uint32_t MinimumMilliseconds = 0;
  std::int32_t Opacity = 100;  // in percent
};
std::optional<SplashSettings> ReadSplashSettings(std::string_view lastEightBytes);

// The window alpha for an opacity below 100 percent; nothing for an opaque
// splash. Values below 0 are taken as 0.
std::optional<std::uint8_t> SplashAlpha(std::int32_t opacity);

}  // namespace cv
