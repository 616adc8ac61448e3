#include "platform/font_name.h"

#include <cstdint>
#include <optional>

#include "platform/file_io.h"

namespace cv {

namespace {

// Big-endian reads that fail rather than run past the end.
class FontBytes {
 public:
  explicit FontBytes(std::string_view bytes) : bytes_(bytes) {}

  std::optional<std::uint32_t> U16(std::size_t at) const { return Read(at, 2); }
  std::optional<std::uint32_t> U32(std::size_t at) const { return Read(at, 4); }
  std::optional<std::string_view> Range(std::size_t at, std::size_t length) const {
    if (at > bytes_.size() || length > bytes_.size() - at) return std::nullopt;
    return bytes_.substr(at, length);
  }

 private:
  std::optional<std::uint32_t> Read(std::size_t at, std::size_t width) const {
    const auto range = Range(at, width);
    if (!range) return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : *range) value = (value << 8) | static_cast<unsigned char>(c);
    return value;
  }

  std::string_view bytes_;
};

constexpr std::uint32_t Tag(const char (&text)[5]) {
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) << 24) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 8) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(text[3]));
}

constexpr std::uint32_t kFullName = 4;
constexpr std::uint32_t kWindows = 3;
constexpr std::uint32_t kMacintosh = 1;
constexpr std::uint32_t kUsEnglish = 0x409;

// Where the "name" table lies: the table directory of the first font.
std::optional<std::size_t> NameTable(const FontBytes& font) {
  std::size_t directory = 0;
  const auto version = font.U32(0);
  if (!version) return std::nullopt;
  if (*version == Tag("ttcf")) {
    const auto first = font.U32(12);
    if (!first) return std::nullopt;
    directory = *first;
  }
  const auto sfnt = font.U32(directory);
  if (!sfnt || (*sfnt != 0x00010000u && *sfnt != Tag("OTTO") && *sfnt != Tag("true"))) {
    return std::nullopt;
  }
  const auto tables = font.U16(directory + 4);
  if (!tables) return std::nullopt;
  for (std::uint32_t i = 0; i < *tables; ++i) {
    const std::size_t record = directory + 12 + i * 16;
    const auto tag = font.U32(record);
    if (!tag) return std::nullopt;
    if (*tag == Tag("name")) {
      const auto offset = font.U32(record + 8);
      if (!offset) return std::nullopt;
      return static_cast<std::size_t>(*offset);
    }
  }
  return std::nullopt;
}

std::string Utf16BigEndianToSingleBytes(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const unsigned unit = (static_cast<unsigned char>(text[i]) << 8) | static_cast<unsigned char>(text[i + 1]);
    out += unit < 0x100 ? static_cast<char>(unit) : '?';
  }
  return out;
}

}  // namespace

std::string FontFullName(std::string_view file) {
  const FontBytes font(file);
  const auto table = NameTable(font);
  if (!table) return {};
  const auto count = font.U16(*table + 2);
  const auto strings = font.U16(*table + 4);
  if (!count || !strings) return {};
  // The better the record, the lower its rank.
  int bestRank = 4;
  std::string best;
  for (std::uint32_t i = 0; i < *count; ++i) {
    const std::size_t record = *table + 6 + i * 12;
    const auto platform = font.U16(record);
    const auto encoding = font.U16(record + 2);
    const auto language = font.U16(record + 4);
    const auto nameId = font.U16(record + 6);
    const auto length = font.U16(record + 8);
    const auto offset = font.U16(record + 10);
    if (!platform || !encoding || !language || !nameId || !length || !offset) break;
    if (*nameId != kFullName) continue;
    int rank = 4;
    if (*platform == kWindows) rank = *language == kUsEnglish ? 1 : 2;
    if (*platform == kMacintosh && *encoding == 0) rank = 3;
    if (rank >= bestRank) continue;
    const auto text = font.Range(*table + *strings + *offset, *length);
    if (!text || text->empty()) continue;
    bestRank = rank;
    best = rank == 3 ? std::string(*text) : Utf16BigEndianToSingleBytes(*text);
  }
  return best;
}

std::string FontFullNameOfFile(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return {};
  return FontFullName(bytes);
}

}  // namespace cv
