#include "pe_version.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace cv::build {
namespace {

constexpr std::uint32_t kResourceTypeVersion = 16;
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr int kMaxDirectoryEntries = 4096;

// Bounds-checked little-endian reads; nullopt past the end.
class Bytes {
 public:
  explicit Bytes(std::string_view data) : data_(data) {}
  std::size_t Size() const { return data_.size(); }
  std::optional<std::uint32_t> U16(std::uint64_t at) const { return Read(at, 2); }
  std::optional<std::uint32_t> U32(std::uint64_t at) const { return Read(at, 4); }

 private:
  std::optional<std::uint32_t> Read(std::uint64_t at, int width) const {
    if (at > data_.size() || data_.size() - at < static_cast<std::uint64_t>(width)) {
      return std::nullopt;
    }
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
      value = (value << 8) | static_cast<std::uint8_t>(data_[static_cast<std::size_t>(at) + i]);
    }
    return value;
  }
  std::string_view data_;
};

struct Section {
  std::uint32_t VirtualAddress;
  std::uint32_t VirtualSize;
  std::uint32_t RawSize;
  std::uint32_t RawOffset;
};

class PeImage {
 public:
  explicit PeImage(std::string_view image) : bytes_(image) {}

  std::string FileVersion() {
    if (!ReadHeaders()) return {};
    const auto resourceRoot = RvaToOffset(resourceRva_);
    if (!resourceRoot) return {};
    // Type, then name, then language: take the version type, then the first
    // entry at each lower level.
    auto typeEntry = FindEntry(*resourceRoot, *resourceRoot, kResourceTypeVersion);
    if (!typeEntry || !(*typeEntry & 0x80000000u)) return {};
    auto nameEntry = FindEntry(*resourceRoot, *resourceRoot + (*typeEntry & 0x7FFFFFFFu), {});
    if (!nameEntry || !(*nameEntry & 0x80000000u)) return {};
    auto languageEntry =
        FindEntry(*resourceRoot, *resourceRoot + (*nameEntry & 0x7FFFFFFFu), {});
    if (!languageEntry || (*languageEntry & 0x80000000u)) return {};
    const std::uint64_t dataEntry = *resourceRoot + *languageEntry;
    const auto dataRva = bytes_.U32(dataEntry);
    const auto dataSize = bytes_.U32(dataEntry + 4);
    if (!dataRva || !dataSize) return {};
    const auto data = RvaToOffset(*dataRva);
    if (!data) return {};
    return FixedFileVersion(*data, *dataSize);
  }

 private:
  bool ReadHeaders() {
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
      countField = optional + 108;
      directories = optional + 112;
    } else {
      return false;
    }
    const auto directoryCount = bytes_.U32(countField);
    if (!directoryCount || *directoryCount <= 2) return false;
    const std::uint64_t resourceDirectory = directories + 2 * 8;
    if (resourceDirectory + 8 > optional + *optionalSize) return false;
    const auto rva = bytes_.U32(resourceDirectory);
    if (!rva || *rva == 0) return false;
    resourceRva_ = *rva;
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

  std::optional<std::uint64_t> RvaToOffset(std::uint32_t rva) const {
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

  // The data word of the directory entry with that numeric id (the first
  // entry of any kind when no id is given).
  std::optional<std::uint32_t> FindEntry(std::uint64_t root, std::uint64_t directory,
                                         std::optional<std::uint32_t> id) const {
    if (directory < root) return std::nullopt;
    const auto named = bytes_.U16(directory + 12);
    const auto numbered = bytes_.U16(directory + 14);
    if (!named || !numbered) return std::nullopt;
    const int count = static_cast<int>(*named + *numbered);
    for (int i = 0; i < count && i < kMaxDirectoryEntries; ++i) {
      const std::uint64_t entry = directory + 16 + std::uint64_t(i) * 8;
      const auto name = bytes_.U32(entry);
      const auto data = bytes_.U32(entry + 4);
      if (!name || !data) return std::nullopt;
      if (!id || (!(*name & 0x80000000u) && *name == *id)) return data;
    }
    return std::nullopt;
  }

  // VS_VERSIONINFO: length, value length, type, the key "VS_VERSION_INFO" in
  // UTF-16 with its terminator, padding to 4 bytes, then the fixed file
  // information starting with its signature.
  std::string FixedFileVersion(std::uint64_t data, std::uint32_t size) const {
    std::uint64_t at = data + 6;
    const std::uint64_t end = data + size;
    while (at + 2 <= end) {
      const auto unit = bytes_.U16(at);
      if (!unit) return {};
      at += 2;
      if (*unit == 0) break;
    }
    at = data + ((at - data + 3) & ~std::uint64_t{3});
    if (at + 16 > end || bytes_.U32(at) != kFixedInfoSignature) return {};
    const auto high = bytes_.U32(at + 8);
    const auto low = bytes_.U32(at + 12);
    if (!high || !low) return {};
    return std::to_string(*high >> 16) + "." + std::to_string(*high & 0xFFFF) + "." +
           std::to_string(*low >> 16) + "." + std::to_string(*low & 0xFFFF);
  }

  Bytes bytes_;
  std::uint32_t resourceRva_ = 0;
  std::vector<Section> sections_;
};

}  // namespace

std::string PeFileVersion(std::string_view image) { return PeImage(image).FileVersion(); }

std::string PeFileVersionOfFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return {};
  std::string image;
  char magic[2] = {};
  if (std::fread(magic, 1, 2, file) == 2 && magic[0] == 'M' && magic[1] == 'Z') {
    image.assign(magic, 2);
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) image.append(buffer, got);
  }
  std::fclose(file);
  return image.empty() ? std::string() : PeFileVersion(image);
}

}  // namespace cv::build
