#include "engine/gzip_image.h"

#include <array>
#include <cstdint>

// A small inflater of its own rather than zlib's: the engine unpacks one
// image once per run, where speed does not matter, and zlib's decoder and
// check tables would cost the engine three times the size of this file.

namespace cv {
namespace {

class BitReader {
 public:
  BitReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  // The next `count` (0-16) bits, first bit lowest; false once past the end.
  bool Bits(int count, std::uint32_t& value) {
    while (held_ < count) {
      if (position_ >= size_) return false;
      buffer_ |= static_cast<std::uint32_t>(data_[position_++]) << held_;
      held_ += 8;
    }
    value = buffer_ & ((1u << count) - 1);
    buffer_ >>= count;
    held_ -= count;
    return true;
  }

  // Drops the bits left of the current byte.
  void Align() {
    buffer_ = 0;
    held_ = 0;
  }
  std::size_t Position() const { return position_; }
  void Skip(std::size_t count) { position_ += count; }
  const std::uint8_t* Here() const { return data_ + position_; }
  std::size_t Left() const { return size_ - position_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
  std::uint32_t buffer_ = 0;
  int held_ = 0;
};

// A canonical Huffman code: how many codes of each length, and the symbols
// in code order.
struct Huffman {
  std::array<std::uint16_t, 16> count{};
  std::array<std::uint16_t, 320> symbol{};
};

// False for a set of lengths that no prefix code has (over-subscribed).
bool BuildHuffman(Huffman& code, const std::uint8_t* lengths, int symbols) {
  code.count.fill(0);
  for (int i = 0; i < symbols; ++i) ++code.count[lengths[i]];
  if (code.count[0] == symbols) return true;  // no codes: any use fails
  int left = 1;
  for (int length = 1; length < 16; ++length) {
    left = (left << 1) - code.count[length];
    if (left < 0) return false;
  }
  std::array<std::uint16_t, 16> offsets{};
  for (int length = 1; length < 15; ++length) {
    offsets[length + 1] = static_cast<std::uint16_t>(offsets[length] + code.count[length]);
  }
  for (int i = 0; i < symbols; ++i) {
    if (lengths[i] != 0) code.symbol[offsets[lengths[i]]++] = static_cast<std::uint16_t>(i);
  }
  return true;
}

// The next symbol, or -1 for a code the table does not have or the end of
// the input.
int DecodeSymbol(BitReader& bits, const Huffman& code) {
  int value = 0;
  int first = 0;
  int index = 0;
  for (int length = 1; length < 16; ++length) {
    std::uint32_t bit = 0;
    if (!bits.Bits(1, bit)) return -1;
    value |= static_cast<int>(bit);
    const int count = code.count[length];
    if (value - first < count) return code.symbol[index + value - first];
    index += count;
    first = (first + count) << 1;
    value <<= 1;
  }
  return -1;
}

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                             33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                             1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// The symbols of one compressed block, appended to `out` (at most `maxSize`).
bool InflateCodes(BitReader& bits, const Huffman& literals, const Huffman& distances,
                  std::string& out, std::size_t maxSize) {
  for (;;) {
    const int symbol = DecodeSymbol(bits, literals);
    if (symbol < 0) return false;
    if (symbol < 256) {
      if (out.size() >= maxSize) return false;
      out.push_back(static_cast<char>(symbol));
      continue;
    }
    if (symbol == 256) return true;
    const int lengthCode = symbol - 257;
    if (lengthCode >= 29) return false;
    std::uint32_t extra = 0;
    if (!bits.Bits(kLengthExtra[lengthCode], extra)) return false;
    const std::size_t length = kLengthBase[lengthCode] + extra;
    const int distanceCode = DecodeSymbol(bits, distances);
    if (distanceCode < 0 || distanceCode >= 30) return false;
    if (!bits.Bits(kDistanceExtra[distanceCode], extra)) return false;
    const std::size_t distance = kDistanceBase[distanceCode] + extra;
    if (distance > out.size() || length > maxSize - out.size()) return false;
    // Byte by byte: a match may overlap what it produces.
    for (std::size_t i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
  }
}

bool InflateStored(BitReader& bits, std::string& out, std::size_t maxSize) {
  bits.Align();
  if (bits.Left() < 4) return false;
  const std::uint8_t* header = bits.Here();
  const std::size_t length = header[0] | (header[1] << 8);
  const std::size_t complement = header[2] | (header[3] << 8);
  if (length != (~complement & 0xFFFF)) return false;
  bits.Skip(4);
  if (bits.Left() < length || length > maxSize - out.size()) return false;
  out.append(reinterpret_cast<const char*>(bits.Here()), length);
  bits.Skip(length);
  return true;
}

bool FixedCodes(Huffman& literals, Huffman& distances) {
  std::uint8_t lengths[288];
  int i = 0;
  for (; i < 144; ++i) lengths[i] = 8;
  for (; i < 256; ++i) lengths[i] = 9;
  for (; i < 280; ++i) lengths[i] = 7;
  for (; i < 288; ++i) lengths[i] = 8;
  if (!BuildHuffman(literals, lengths, 288)) return false;
  for (i = 0; i < 30; ++i) lengths[i] = 5;
  return BuildHuffman(distances, lengths, 30);
}

bool DynamicCodes(BitReader& bits, Huffman& literals, Huffman& distances) {
  static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                              11, 4,  12, 3, 13, 2, 14, 1, 15};
  std::uint32_t literalCount = 0;
  std::uint32_t distanceCount = 0;
  std::uint32_t lengthCodes = 0;
  if (!bits.Bits(5, literalCount) || !bits.Bits(5, distanceCount) || !bits.Bits(4, lengthCodes)) {
    return false;
  }
  literalCount += 257;
  distanceCount += 1;
  lengthCodes += 4;
  if (literalCount > 286 || distanceCount > 30) return false;
  std::uint8_t lengths[320] = {};
  for (std::uint32_t i = 0; i < lengthCodes; ++i) {
    std::uint32_t length = 0;
    if (!bits.Bits(3, length)) return false;
    lengths[kOrder[i]] = static_cast<std::uint8_t>(length);
  }
  Huffman lengthCode;
  if (!BuildHuffman(lengthCode, lengths, 19)) return false;
  const std::uint32_t total = literalCount + distanceCount;
  for (std::uint32_t i = 0; i < total;) {
    const int symbol = DecodeSymbol(bits, lengthCode);
    if (symbol < 0) return false;
    if (symbol < 16) {
      lengths[i++] = static_cast<std::uint8_t>(symbol);
      continue;
    }
    std::uint8_t repeated = 0;
    std::uint32_t times = 0;
    if (symbol == 16) {
      if (i == 0 || !bits.Bits(2, times)) return false;
      repeated = lengths[i - 1];
      times += 3;
    } else if (symbol == 17) {
      if (!bits.Bits(3, times)) return false;
      times += 3;
    } else {
      if (!bits.Bits(7, times)) return false;
      times += 11;
    }
    if (i + times > total) return false;
    while (times-- > 0) lengths[i++] = repeated;
  }
  if (lengths[256] == 0) return false;  // no end-of-block code
  return BuildHuffman(literals, lengths, static_cast<int>(literalCount)) &&
         BuildHuffman(distances, lengths + literalCount, static_cast<int>(distanceCount));
}

std::uint32_t Crc32(const std::string& bytes) {
  // Four bits at a time: a table of 16 entries instead of 256.
  static constexpr std::uint32_t kTable[16] = {
      0x00000000, 0x1DB71064, 0x3B6E20C8, 0x26D930AC, 0x76DC4190, 0x6B6B51F4,
      0x4DB26158, 0x5005713C, 0xEDB88320, 0xF00F9344, 0xD6D6A3E8, 0xCB61B38C,
      0x9B64C2B0, 0x86D3D2D4, 0xA00AE278, 0xBDBDF21C};
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char c : bytes) {
    crc ^= static_cast<std::uint8_t>(c);
    crc = (crc >> 4) ^ kTable[crc & 15];
    crc = (crc >> 4) ^ kTable[crc & 15];
  }
  return ~crc;
}

std::uint32_t Le32(const std::uint8_t* bytes) {
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

// Past the gzip header: its fixed ten bytes and the optional fields its
// flags announce.
bool SkipHeader(BitReader& bits) {
  if (bits.Left() < 10) return false;
  const std::uint8_t* header = bits.Here();
  if (header[0] != 0x1F || header[1] != 0x8B || header[2] != 8 || (header[3] & 0xE0) != 0) {
    return false;
  }
  const std::uint8_t flags = header[3];
  bits.Skip(10);
  if (flags & 0x04) {  // extra field
    if (bits.Left() < 2) return false;
    const std::size_t length = bits.Here()[0] | (bits.Here()[1] << 8);
    bits.Skip(2);
    if (bits.Left() < length) return false;
    bits.Skip(length);
  }
  for (const std::uint8_t text : {0x08, 0x10}) {  // name, comment
    if (!(flags & text)) continue;
    while (bits.Left() > 0 && bits.Here()[0] != 0) bits.Skip(1);
    if (bits.Left() == 0) return false;
    bits.Skip(1);
  }
  if (flags & 0x02) {  // header checksum
    if (bits.Left() < 2) return false;
    bits.Skip(2);
  }
  return true;
}

}  // namespace

std::optional<std::string> GunzipImage(const void* data, std::size_t size, std::size_t maxSize) {
  BitReader bits(static_cast<const std::uint8_t*>(data), size);
  if (!SkipHeader(bits)) return std::nullopt;
  std::string out;
  bool last = false;
  while (!last) {
    std::uint32_t final = 0;
    std::uint32_t type = 0;
    if (!bits.Bits(1, final) || !bits.Bits(2, type)) return std::nullopt;
    last = final != 0;
    bool ok = false;
    if (type == 0) {
      ok = InflateStored(bits, out, maxSize);
    } else if (type == 1 || type == 2) {
      Huffman literals;
      Huffman distances;
      ok = (type == 1 ? FixedCodes(literals, distances) : DynamicCodes(bits, literals, distances)) &&
           InflateCodes(bits, literals, distances, out, maxSize);
    }
    if (!ok) return std::nullopt;
  }
  // The trailer: CRC-32 and length (modulo 2^32) of the content, and nothing
  // after it.
  bits.Align();
  if (bits.Left() != 8) return std::nullopt;
  if (Le32(bits.Here()) != Crc32(out) ||
      Le32(bits.Here() + 4) != static_cast<std::uint32_t>(out.size())) {
    return std::nullopt;
  }
  return out;
}

}  // namespace cv
