#include "pe_imports.h"

#include <algorithm>
#include <cctype>

#include "pe_image.h"

namespace cv::build {
namespace {

// Bounds far above any real image, so a malformed table cannot loop for long.
constexpr int kMaxLibraries = 4096;
constexpr int kMaxFunctions = 65536;
constexpr std::size_t kMaxNameLength = 4096;

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// The functions of one import descriptor's lookup table.
bool ReadFunctions(const PeImage& image, std::uint32_t tableRva, std::set<std::string>& out) {
  const PeBytes& bytes = image.Bytes();
  const auto table = image.RvaToOffset(tableRva);
  if (!table) return false;
  const std::uint64_t width = image.Wide() ? 8 : 4;
  const std::uint64_t ordinalFlag = image.Wide() ? (std::uint64_t{1} << 63) : 0x80000000u;
  for (int i = 0; i < kMaxFunctions; ++i) {
    const std::uint64_t at = *table + std::uint64_t(i) * width;
    std::optional<std::uint64_t> entry = bytes.U64(at);
    if (!image.Wide()) {
      const auto narrow = bytes.U32(at);
      entry = narrow ? std::optional<std::uint64_t>(*narrow) : std::nullopt;
    }
    if (!entry) return false;
    if (*entry == 0) return true;
    if (*entry & ordinalFlag) {
      out.insert("#" + std::to_string(*entry & 0xFFFF));
      continue;
    }
    // A hint of two bytes, then the name.
    const auto hintName = image.RvaToOffset(static_cast<std::uint32_t>(*entry & 0x7FFFFFFFu));
    if (!hintName) return false;
    const auto name = bytes.Text(*hintName + 2, kMaxNameLength);
    if (!name || name->empty()) return false;
    out.insert(std::string(*name));
  }
  return false;
}

}  // namespace

std::optional<PeImportTable> PeImports(std::string_view imageBytes) {
  const PeImage image(imageBytes);
  if (!image.Valid()) return std::nullopt;
  PeImportTable table;
  const auto importRva = image.Directory(PeDirectory::Import);
  if (!importRva) return table;
  const auto descriptors = image.RvaToOffset(*importRva);
  if (!descriptors) return std::nullopt;
  const PeBytes& bytes = image.Bytes();
  // Descriptors of 20 bytes: lookup table, time stamp, forwarder chain,
  // name, address table; an all-zero one ends the list.
  for (int i = 0; i < kMaxLibraries; ++i) {
    const std::uint64_t at = *descriptors + std::uint64_t(i) * 20;
    const auto lookup = bytes.U32(at);
    const auto nameRva = bytes.U32(at + 12);
    const auto addresses = bytes.U32(at + 16);
    if (!lookup || !nameRva || !addresses) return std::nullopt;
    if (*lookup == 0 && *nameRva == 0 && *addresses == 0) return table;
    const auto nameOffset = image.RvaToOffset(*nameRva);
    if (!nameOffset) return std::nullopt;
    const auto name = bytes.Text(*nameOffset, kMaxNameLength);
    if (!name || name->empty()) return std::nullopt;
    // Old linkers leave the lookup table out; the address table holds the
    // same entries in the file.
    if (!ReadFunctions(image, *lookup != 0 ? *lookup : *addresses, table[Lower(*name)])) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace cv::build
