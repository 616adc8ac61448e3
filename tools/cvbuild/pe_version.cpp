#include "pe_version.h"

#include <cstdint>
#include <cstdio>
#include <optional>

#include "pe_image.h"

namespace cv::build {
namespace {

constexpr std::uint32_t kResourceTypeVersion = 16;
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr int kMaxDirectoryEntries = 4096;

class VersionReader {
 public:
  explicit VersionReader(std::string_view image) : image_(image), bytes_(image_.Bytes()) {}

  std::string FileVersion() {
    const auto resourceRva = image_.Directory(PeDirectory::Resource);
    if (!resourceRva) return {};
    const auto resourceRoot = image_.RvaToOffset(*resourceRva);
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
    const auto data = image_.RvaToOffset(*dataRva);
    if (!data) return {};
    return FixedFileVersion(*data, *dataSize);
  }

 private:
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

  PeImage image_;
  const PeBytes& bytes_;
};

}  // namespace

std::string PeFileVersion(std::string_view image) { return VersionReader(image).FileVersion(); }

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
