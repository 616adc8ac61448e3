// The engine's copy of the unpack library is stored gzip-compressed: it must
// come back byte for byte, and a damaged or oversized image must be refused
// rather than written as a broken library.

#include "engine/gzip_image.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace cv {
namespace {

// zlib's gzip member of `content`, with optional header fields.
std::string Gzip(const std::string& content, int level = 9, int strategy = Z_DEFAULT_STRATEGY,
                 bool headerFields = false) {
  z_stream stream{};
  EXPECT_EQ(deflateInit2(&stream, level, Z_DEFLATED, 16 + MAX_WBITS, 8, strategy), Z_OK);
  gz_header header{};
  Bytef extra[] = {'a', 'b', 'c'};
  Bytef name[] = "unpack.dll";
  Bytef comment[] = "a comment";
  if (headerFields) {
    header.extra = extra;
    header.extra_len = sizeof extra;
    header.name = name;
    header.comment = comment;
    header.hcrc = 1;
    EXPECT_EQ(deflateSetHeader(&stream, &header), Z_OK);
  }
  std::string packed(deflateBound(&stream, static_cast<uLong>(content.size())) + 32, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
  stream.avail_in = static_cast<uInt>(content.size());
  stream.next_out = reinterpret_cast<Bytef*>(packed.data());
  stream.avail_out = static_cast<uInt>(packed.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  packed.resize(stream.total_out);
  deflateEnd(&stream);
  return packed;
}

std::string Content(std::size_t size) {
  std::string content(size, '\0');
  unsigned state = 12345;
  for (auto& c : content) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>((state >> 16) % 7 == 0 ? state >> 8 : 'A' + (state >> 20) % 4);
  }
  return content;
}

// Every kind of block (stored, fixed and dynamic codes, long and
// overlapping matches) as zlib writes them, and the optional header fields.
TEST(GunzipImage, GivesBackWhatZlibPackedByteForByte) {
  const struct {
    int level;
    int strategy;
    bool headerFields;
  } ways[] = {{9, Z_DEFAULT_STRATEGY, false}, {1, Z_DEFAULT_STRATEGY, false},
              {0, Z_DEFAULT_STRATEGY, false}, {6, Z_FIXED, false},
              {6, Z_HUFFMAN_ONLY, false},     {6, Z_RLE, false},
              {9, Z_DEFAULT_STRATEGY, true}};
  std::string runs(100000, 'z');
  runs += Content(1000) + std::string(70000, '\0');
  const std::string contents[] = {std::string(), "x", Content(70000), Content(300000), runs};
  for (const auto& way : ways) {
    for (const std::string& content : contents) {
      const std::string packed = Gzip(content, way.level, way.strategy, way.headerFields);
      const auto unpacked = GunzipImage(packed.data(), packed.size(), 1 << 20);
      ASSERT_TRUE(unpacked) << way.level << " " << way.strategy << " " << content.size();
      EXPECT_TRUE(*unpacked == content) << way.level << " " << way.strategy << " " << content.size();
    }
  }
}

TEST(GunzipImage, RefusesDamagedTruncatedOrOversizedImages) {
  const std::string content = Content(50000);
  const std::string packed = Gzip(content);
  struct Case {
    const char* what;
    std::string image;
    std::size_t maxSize;
  };
  std::string flipped = packed;
  flipped[packed.size() / 2] = static_cast<char>(flipped[packed.size() / 2] ^ 0x10);
  std::string badChecksum = packed;
  badChecksum[packed.size() - 8] = static_cast<char>(badChecksum[packed.size() - 8] ^ 1);
  std::string shortLength = packed;
  shortLength[packed.size() - 4] = static_cast<char>(shortLength[packed.size() - 4] - 1);
  std::string longLength = packed;
  longLength[packed.size() - 4] = static_cast<char>(longLength[packed.size() - 4] + 1);
  const Case cases[] = {
      {"a flipped bit", flipped, 1 << 20},
      {"a wrong checksum", badChecksum, 1 << 20},
      {"a length too short", shortLength, 1 << 20},
      {"a length too long", longLength, 1 << 20},
      {"cut short", packed.substr(0, packed.size() - 10), 1 << 20},
      {"bytes after the member", packed + "xyz", 1 << 20},
      {"not gzip at all", content.substr(0, 1000), 1 << 20},
      {"larger than allowed", packed, 49999},
      {"empty", std::string(), 1 << 20},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(GunzipImage(c.image.data(), c.image.size(), c.maxSize)) << c.what;
  }
  EXPECT_TRUE(GunzipImage(packed.data(), packed.size(), 50000));
}

}  // namespace
}  // namespace cv
