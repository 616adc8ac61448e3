// The full name of a font from its "name" table: which record wins, font
// collections, a real font of the system, and damaged files that must give
// an empty name without reading outside them.

#include "platform/font_name.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace cv {
namespace {

struct NameRecord {
  std::uint16_t Platform, Encoding, Language, NameId;
  std::string Text;  // stored as it stands (UTF-16BE for Windows records)
};

std::string U16(std::uint32_t value) {
  return {static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
}
std::string U32(std::uint32_t value) { return U16(value >> 16) + U16(value & 0xFFFF); }

std::string Utf16(const std::string& text) {
  std::string out;
  for (const char c : text) out += U16(static_cast<unsigned char>(c));
  return out;
}

// A font with one table, "name", after a dummy "head" record.
std::string Font(const std::vector<NameRecord>& records, std::uint32_t sfnt = 0x00010000) {
  std::string strings, table = U16(0) + U16(static_cast<std::uint32_t>(records.size())) +
                                U16(static_cast<std::uint32_t>(6 + 12 * records.size()));
  for (const NameRecord& r : records) {
    table += U16(r.Platform) + U16(r.Encoding) + U16(r.Language) + U16(r.NameId) +
             U16(static_cast<std::uint32_t>(r.Text.size())) + U16(static_cast<std::uint32_t>(strings.size()));
    strings += r.Text;
  }
  table += strings;
  const std::uint32_t tableOffset = 12 + 2 * 16;
  return U32(sfnt) + U16(2) + U16(0) + U16(0) + U16(0) + "head" + U32(0) + U32(0) + U32(0) + "name" +
         U32(0) + U32(tableOffset) + U32(static_cast<std::uint32_t>(table.size())) + table;
}

const NameRecord kMac{1, 0, 0, 4, "Mac Name"};
const NameRecord kGerman{3, 1, 0x407, 4, Utf16("Deutscher Name")};
const NameRecord kEnglish{3, 1, 0x409, 4, Utf16("English Name")};
const NameRecord kFamily{3, 1, 0x409, 1, Utf16("Family")};

TEST(FontFullName, PrefersWindowsUsEnglishThenAnyWindowsThenMacintosh) {
  const struct {
    std::vector<NameRecord> records;
    const char* expected;
  } cases[] = {
      {{kMac, kGerman, kEnglish, kFamily}, "English Name"},
      {{kEnglish, kGerman, kMac}, "English Name"},
      {{kMac, kGerman, kFamily}, "Deutscher Name"},
      {{kFamily, kMac}, "Mac Name"},
      {{kFamily}, ""},
      {{}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FontFullName(Font(c.records)), c.expected) << c.expected;
}

TEST(FontFullName, OpenTypeAndCollectionsAreFontsToo) {
  EXPECT_EQ(FontFullName(Font({kEnglish}, 0x4F54544F)), "English Name");  // "OTTO"
  const std::string inner = Font({kEnglish});
  // A collection whose first font starts after its 16-byte header.
  std::string collection = "ttcf" + U32(0x00010000) + U32(1) + U32(16);
  // Offsets inside a collection's font count from the collection's start.
  std::string moved = inner;
  const std::uint32_t table = 12 + 2 * 16 + 16;
  moved.replace(12 + 16 + 8, 4, U32(table));
  EXPECT_EQ(FontFullName(collection + moved), "English Name");
}

TEST(FontFullName, CharactersBeyondLatin1BecomeQuestionMarks) {
  const NameRecord name{3, 1, 0x409, 4, U16('A') + U16(0xE9) + U16(0x4E2D)};
  EXPECT_EQ(FontFullName(Font({name})), std::string("A\xE9?"));
}

TEST(FontFullName, DamagedOrForeignBytesGiveNoName) {
  EXPECT_EQ(FontFullName(""), "");
  EXPECT_EQ(FontFullName("MZ not a font at all"), "");
  const std::string font = Font({kMac, kGerman, kEnglish});
  // Cut anywhere: no name, or the whole one when the cut leaves it whole.
  for (std::size_t size = 0; size < font.size(); ++size) {
    const std::string name = FontFullName(font.substr(0, size));
    EXPECT_TRUE(name.empty() || name == "English Name" || name == "Deutscher Name" ||
                name == "Mac Name")
        << size << ": " << name;
  }
  // A string offset pointing far beyond the table.
  std::string wild = Font({kEnglish});
  wild.replace(12 + 2 * 16 + 6 + 10, 2, U16(0xFFF0));
  EXPECT_EQ(FontFullName(wild), "");
}

TEST(FontFullName, ReadsTheSystemsDejaVuSans) {
  const std::string path = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!std::ifstream(path)) GTEST_SKIP() << path << " is missing (package fonts-dejavu-core)";
  EXPECT_EQ(FontFullNameOfFile(path), "DejaVu Sans");
  EXPECT_EQ(FontFullNameOfFile(path + ".missing"), "");
}

}  // namespace
}  // namespace cv
