#include "engine/presetup_rules.h"

#include <algorithm>
#include <cmath>

#include "platform/case_map.h"
#include "platform/paths.h"

namespace cv {
namespace {

std::uint32_t LittleEndian32(std::string_view bytes) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  return value;
}

std::uint16_t LittleEndian16(std::string_view bytes) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) |
                                    (static_cast<unsigned char>(bytes[1]) << 8));
}

}  // namespace

bool IsDataEntry(std::string_view name) {
  return name.size() >= 5 && SameTextNoCase(name.substr(0, 5), "data\\");
}

bool IsContainedEntryName(std::string_view name) {
  if (name.empty() || name.front() == '\\' || name.front() == '/') return false;
  if (name.find(':') != std::string_view::npos) return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view part = name.substr(start, end - start);
    if (part.find_first_not_of(". ") == std::string_view::npos) return false;
    start = end + 1;
  }
  return true;
}

bool IsPresetupPicture(std::string_view name) {
  const std::string stem = ChangeExtension(name, "");
  return SameTextNoCase(stem, "splash") || SameTextNoCase(stem, "presetup");
}

std::int64_t AddPresetupSize(std::int64_t total, double size) {
  constexpr std::int64_t kLimit = std::int64_t{1} << 62;
  if (!(size > 0)) return total;
  if (size >= static_cast<double>(kLimit - total)) return kLimit;
  return total + static_cast<std::int64_t>(size);
}

std::int64_t RequiredFreeKB(std::int64_t totalBytes) {
  return static_cast<std::int64_t>(std::llround(static_cast<double>(totalBytes) / 1024.0));
}

int PresetupPercent(std::int64_t done, std::int64_t total) {
  if (total <= 0) return 0;
  return static_cast<int>(std::lround(static_cast<double>(done) / static_cast<double>(total) * 100.0));
}

std::optional<SplashSettings> ReadSplashSettings(std::string_view lastEightBytes) {
  if (lastEightBytes.size() != 8) return std::nullopt;
  SplashSettings settings;
  const std::uint64_t seconds = LittleEndian32(lastEightBytes.substr(0, 4));
  settings.MinimumMilliseconds =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(seconds * 1000, kMaxSplashMilliseconds));
  settings.Opacity = static_cast<std::int32_t>(LittleEndian32(lastEightBytes.substr(4, 4)));
  return settings;
}

bool IsSoundBitmap(std::string_view bytes, std::uint64_t fileSize) {
  constexpr std::size_t kFileHeader = 14;
  constexpr std::int64_t kMaxDimension = 32768;
  if (bytes.size() < kFileHeader + 12 || bytes.substr(0, 2) != "BM") return false;
  const std::uint32_t pixelOffset = LittleEndian32(bytes.substr(10, 4));
  const std::uint32_t infoSize = LittleEndian32(bytes.substr(14, 4));
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint32_t bits = 0;
  std::uint32_t compression = 0;
  std::uint32_t imageSize = 0;
  if (infoSize == 12) {  // the old core header: 16-bit dimensions
    width = LittleEndian16(bytes.substr(18, 2));
    height = LittleEndian16(bytes.substr(20, 2));
    bits = LittleEndian16(bytes.substr(24, 2));
  } else if (infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 108 || infoSize == 124) {
    if (bytes.size() < kFileHeader + 40) return false;
    width = static_cast<std::int32_t>(LittleEndian32(bytes.substr(18, 4)));
    height = static_cast<std::int32_t>(LittleEndian32(bytes.substr(22, 4)));
    bits = LittleEndian16(bytes.substr(28, 2));
    compression = LittleEndian32(bytes.substr(30, 4));
    imageSize = LittleEndian32(bytes.substr(34, 4));
  } else {
    return false;
  }
  if (height < 0) height = -height;  // top-down rows
  if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  if (pixelOffset < kFileHeader + infoSize || pixelOffset > fileSize) return false;
  constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;
  std::uint64_t pixelBytes = 0;
  if (compression == kRgb || compression == kBitFields) {
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
    pixelBytes = stride * static_cast<std::uint64_t>(height);
  } else if ((compression == kRle8 && bits == 8) || (compression == kRle4 && bits == 4)) {
    pixelBytes = imageSize;  // run-length data: the size it states must be there
    if (pixelBytes == 0) return false;
  } else {
    return false;
  }
  return pixelBytes <= fileSize - pixelOffset;
}

std::optional<std::uint8_t> SplashAlpha(std::int32_t opacity) {
  if (opacity >= 100) return std::nullopt;
  if (opacity < 0) opacity = 0;
  // In whole numbers: 2.55 has no exact binary form, and 50 percent must
  // give 128 (127.5 rounded), not 127.
  return static_cast<std::uint8_t>((opacity * 255 + 50) / 100);
}

}  // namespace cv
