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
// without a drive, without empty parts, and without parts made only of dots
// and spaces ("..", ". .", "... "), which Windows shortens to something else
// than the name says. Names that would leave it are skipped, whatever a
// damaged or hostile package holds.
bool IsContainedEntryName(std::string_view name);

// The splash and progress pictures and their regions are extracted before
// the progress window appears, so that it can use them.
bool IsPresetupPicture(std::string_view name);

// `total` plus a package's PresetupSize (a floating-point number in the
// database) in bytes. Negative and NaN sizes count as nothing; sums saturate
// at 2^62 bytes, far beyond any disk, so that a hostile size fails the
// free-space check instead of overflowing past it.
std::int64_t AddPresetupSize(std::int64_t total, double size);

// Free KiB the presetup needs for `totalBytes`, rounded to the nearest KiB.
std::int64_t RequiredFreeKB(std::int64_t totalBytes);

// The progress in whole percent, rounded to the nearest; 0 without a total.
int PresetupPercent(std::int64_t done, std::int64_t total);

// The longest a splash stays on its own: a package cannot hold the setup
// for longer, whatever display time its picture carries.
inline constexpr std::uint32_t kMaxSplashMilliseconds = 20'000;

// The settings a splash picture carries in its last eight bytes.
struct SplashSettings {
  std::uint32_t MinimumMilliseconds = 0;
  std::int32_t Opacity = 100;  // in percent
};
std::optional<SplashSettings> ReadSplashSettings(std::string_view lastEightBytes);

// Whether a bitmap file's headers (its first bytes, at least the file and
// info headers) describe pixels that its `fileSize` bytes hold: a known
// header size, 1 to 32 bits per pixel, dimensions of at most 32768 either
// way, and the pixel offset plus the rows it claims within the file. The
// system's bitmap loader trusts these fields, so a picture from a package is
// checked before it is handed over.
bool IsSoundBitmap(std::string_view headerBytes, std::uint64_t fileSize);

// The window alpha for an opacity below 100 percent; nothing for an opaque
// splash. Values below 0 are taken as 0.
std::optional<std::uint8_t> SplashAlpha(std::int32_t opacity);

}  // namespace cv
