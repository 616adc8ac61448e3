#include "pe_image.h"

namespace cv::build {

std::optional<std::uint32_t> PeBytes::Read(std::uint64_t at, int width) const {
  if (at > data_.size() || data_.size() - at < static_cast<std::uint64_t>(width)) {
    return std::nullopt;
  }
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<std::uint8_t>(data_[static_cast<std::size_t>(at) + i]);
  }
  return value;
}

std::optional<std::uint64_t> PeBytes::U64(std::uint64_t at) const {
  const auto low = U32(at);
  const auto high = U32(at + 4);
  if (!low || !high) return std::nullopt;
  return (std::uint64_t{*high} << 32) | *low;
}

std::optional<std::string_view> PeBytes::Text(std::uint64_t at, std::size_t limit) const {
  if (at >= data_.size()) return std::nullopt;
  const std::string_view rest = data_.substr(static_cast<std::size_t>(at));
  const std::size_t end = rest.substr(0, limit).find('\0');
  if (end == std::string_view::npos) return std::nullopt;
  return rest.substr(0, end);
}

PeImage::PeImage(std::string_view image) : bytes_(image) { valid_ = ReadHeaders(); }

bool PeImage::ReadHeaders() {
  if (bytes_.U16(0) != 0x5A4Du) return false;  // "MZ"
  const auto pe = bytes_.U32(0x3C);
  if (!pe || bytes_.U32(*pe) != 0x00004550u) return false;  // "PE\0\0"
  const std::uint64_t fileHeader = std::uint64_t{*pe} + 4;
  const auto sectionCount = bytes_.U16(fileHeader + 2);
  const auto optionalSize = bytes_.U16(fileHeader + 16);
  const std::uint64_t optional = fileHeader + 20;
  const auto magic = bytes_.U16(optional);
  if (!sectionCount || !optionalSize || !magic) return false;
  std::uint64_t directories = 0;
  std::uint64_t countField = 0;
  if (*magic == 0x10B) {
    countField = optional + 92;
    directories = optional + 96;
  } else if (*magic == 0x20B) {
    wide_ = true;
    countField = optional + 108;
    directories = optional + 112;
  } else {
    return false;
  }
  const auto directoryCount = bytes_.U32(countField);
  if (!directoryCount) return false;
  for (std::uint32_t i = 0; i < *directoryCount && i < 16; ++i) {
    const std::uint64_t at = directories + std::uint64_t{i} * 8;
    if (at + 8 > optional + *optionalSize) break;
    const auto rva = bytes_.U32(at);
    if (!rva) return false;
    directories_.push_back(*rva);
  }
  const std::uint64_t table = optional + *optionalSize;
  for (std::uint32_t i = 0; i < *sectionCount; ++i) {
    const std::uint64_t at = table + std::uint64_t{i} * 40;
    const auto virtualSize = bytes_.U32(at + 8);
    const auto virtualAddress = bytes_.U32(at + 12);
    const auto rawSize = bytes_.U32(at + 16);
    const auto rawOffset = bytes_.U32(at + 20);
    if (!virtualSize || !virtualAddress || !rawSize || !rawOffset) return false;
    sections_.push_back({*virtualAddress, *virtualSize, *rawSize, *rawOffset});
  }
  return true;
}

std::optional<std::uint32_t> PeImage::Directory(PeDirectory directory) const {
  const auto index = static_cast<std::size_t>(directory);
  if (!valid_ || index >= directories_.size() || directories_[index] == 0) return std::nullopt;
  return directories_[index];
}

std::optional<std::uint64_t> PeImage::RvaToOffset(std::uint32_t rva) const {
  for (const Section& section : sections_) {
    if (rva < section.VirtualAddress) continue;
    const std::uint64_t delta = rva - section.VirtualAddress;
    const std::uint64_t extent =
        section.VirtualSize > section.RawSize ? section.VirtualSize : section.RawSize;
    if (delta >= extent) continue;
    if (delta >= section.RawSize) return std::nullopt;  // not stored in the file
    const std::uint64_t offset = std::uint64_t{section.RawOffset} + delta;
    if (offset >= bytes_.Size()) return std::nullopt;
    return offset;
  }
  return std::nullopt;
}

}  // namespace cv::build
