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
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

bool IsPresetupPicture(std::string_view name) {
  const std::string stem = ChangeExtension(name, "");
  return SameTextNoCase(stem, "splash") || SameTextNoCase(stem, "presetup");
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
  settings.MinimumMilliseconds = static_cast<std::uint32_t>(
      std::min<std::uint64_t>(seconds * 1000, UINT32_MAX));
  settings.Opacity = static_cast<std::int32_t>(LittleEndian32(lastEightBytes.substr(4, 4)));
  return settings;
}

std::optional<std::uint8_t> SplashAlpha(std::int32_t opacity) {
  if (opacity >= 100) return std::nullopt;
  if (opacity < 0) opacity = 0;
  // In whole numbers: 2.55 has no exact binary form, and 50 percent must
  // give 128 (127.5 rounded), not 127.
  return static_cast<std::uint8_t>((opacity * 255 + 50) / 100);
}

}  // namespace cv
