#include "script/gost.h"

#include <cstring>

namespace cv {
namespace {

using Word = std::uint32_t;

// Substitution boxes 1 to 8; box 1 acts on the lowest four bits of a word.
constexpr std::uint8_t kSBox[8][16] = {
    {4, 10, 9, 2, 13, 8, 0, 14, 6, 11, 1, 12, 7, 15, 5, 3},
    {14, 11, 4, 12, 6, 13, 15, 10, 2, 3, 8, 1, 0, 7, 5, 9},
    {5, 8, 1, 13, 10, 3, 4, 2, 14, 15, 12, 7, 6, 0, 9, 11},
    {7, 13, 10, 1, 0, 8, 9, 15, 14, 4, 6, 12, 11, 2, 5, 3},
    {6, 12, 7, 1, 5, 15, 13, 8, 4, 10, 9, 14, 0, 3, 11, 2},
    {4, 11, 10, 0, 7, 2, 1, 13, 3, 6, 8, 5, 9, 12, 15, 14},
    {13, 11, 4, 1, 3, 15, 5, 9, 0, 10, 14, 7, 6, 8, 2, 12},
    {1, 15, 13, 0, 5, 7, 10, 4, 9, 2, 3, 14, 6, 11, 8, 12},
};

constexpr Word RotateLeft(Word x, int n) { return (x << n) | (x >> (32 - n)); }

using ByteTables = std::array<std::array<Word, 256>, 4>;

// Table i maps byte i of the round's sum through its two boxes, already
// shifted into place and rotated, so a round function is four look-ups.
constexpr ByteTables MakeTables() {
  ByteTables tables{};
  for (int i = 0; i < 4; ++i) {
    for (int b = 0; b < 256; ++b) {
      Word substituted = Word{kSBox[2 * i][b & 15]} | (Word{kSBox[2 * i + 1][b >> 4]} << 4);
      tables[static_cast<std::size_t>(i)][static_cast<std::size_t>(b)] =
          RotateLeft(substituted << (8 * i), 11);
    }
  }
  return tables;
}

constexpr ByteTables kTables = MakeTables();

Word Round(Word x) {
  return kTables[0][x & 0xFF] ^ kTables[1][(x >> 8) & 0xFF] ^ kTables[2][(x >> 16) & 0xFF] ^
         kTables[3][x >> 24];
}

Word ReadLE32(const std::uint8_t* p) {
  return Word{p[0]} | (Word{p[1]} << 8) | (Word{p[2]} << 16) | (Word{p[3]} << 24);
}

void WriteLE32(Word value, std::uint8_t* p) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Two rounds with subkeys a then b; the halves swap after each round.
inline void TwoRounds(Word& n1, Word& n2, Word a, Word b) {
  n2 ^= Round(n1 + a);
  n1 ^= Round(n2 + b);
}

}  // namespace

bool GostCipher::Init(const void* key, int keyBits, const std::uint8_t* initialValue) {
  if (keyBits < 8 || keyBits > 256 || keyBits % 8 != 0) return false;
  std::uint8_t padded[kMaxKeySize] = {};
  std::memcpy(padded, key, static_cast<std::size_t>(keyBits / 8));
  for (std::size_t i = 0; i < 8; ++i) key_[i] = ReadLE32(&padded[i * 4]);
  if (initialValue != nullptr) {
    std::memcpy(initialValue_.data(), initialValue, kBlockSize);
  } else {
    Block ones;
    ones.fill(0xFF);
    EncryptBlock(ones.data(), initialValue_.data());
  }
  chain_ = initialValue_;
  return true;
}

void GostCipher::EncryptBlock(const std::uint8_t* in, std::uint8_t* out) const {
  Word n1 = ReadLE32(in);
  Word n2 = ReadLE32(in + 4);
  const auto& k = key_;
  for (int pass = 0; pass < 3; ++pass) {
    TwoRounds(n1, n2, k[0], k[1]);
    TwoRounds(n1, n2, k[2], k[3]);
    TwoRounds(n1, n2, k[4], k[5]);
    TwoRounds(n1, n2, k[6], k[7]);
  }
  TwoRounds(n1, n2, k[7], k[6]);
  TwoRounds(n1, n2, k[5], k[4]);
  TwoRounds(n1, n2, k[3], k[2]);
  TwoRounds(n1, n2, k[1], k[0]);
  // The last round does not swap: the halves come out in the other order.
  WriteLE32(n2, out);
  WriteLE32(n1, out + 4);
}

void GostCipher::DecryptBlock(const std::uint8_t* in, std::uint8_t* out) const {
  Word n1 = ReadLE32(in);
  Word n2 = ReadLE32(in + 4);
  const auto& k = key_;
  TwoRounds(n1, n2, k[0], k[1]);
  TwoRounds(n1, n2, k[2], k[3]);
  TwoRounds(n1, n2, k[4], k[5]);
  TwoRounds(n1, n2, k[6], k[7]);
  for (int pass = 0; pass < 3; ++pass) {
    TwoRounds(n1, n2, k[7], k[6]);
    TwoRounds(n1, n2, k[5], k[4]);
    TwoRounds(n1, n2, k[3], k[2]);
    TwoRounds(n1, n2, k[1], k[0]);
  }
  WriteLE32(n2, out);
  WriteLE32(n1, out + 4);
}

void GostCipher::EncryptCBC(const void* input, void* output, std::size_t length) {
  const auto* in = static_cast<const std::uint8_t*>(input);
  auto* out = static_cast<std::uint8_t*>(output);
  for (; length >= kBlockSize; length -= kBlockSize, in += kBlockSize, out += kBlockSize) {
    Block mixed;
    for (std::size_t i = 0; i < kBlockSize; ++i) mixed[i] = in[i] ^ chain_[i];
    EncryptBlock(mixed.data(), chain_.data());
    std::memcpy(out, chain_.data(), kBlockSize);
  }
  if (length > 0) {
    // A short tail cannot be chained; it is a stream cipher on the chain.
    Block keyStream;
    EncryptBlock(chain_.data(), keyStream.data());
    for (std::size_t i = 0; i < length; ++i) out[i] = in[i] ^ keyStream[i];
  }
}

void GostCipher::DecryptCBC(const void* input, void* output, std::size_t length) {
  const auto* in = static_cast<const std::uint8_t*>(input);
  auto* out = static_cast<std::uint8_t*>(output);
  for (; length >= kBlockSize; length -= kBlockSize, in += kBlockSize, out += kBlockSize) {
    // Keep the cipher block first: the output may overwrite it.
    Block cipherBlock;
    std::memcpy(cipherBlock.data(), in, kBlockSize);
    Block plain;
    DecryptBlock(cipherBlock.data(), plain.data());
    for (std::size_t i = 0; i < kBlockSize; ++i) out[i] = plain[i] ^ chain_[i];
    chain_ = cipherBlock;
  }
  if (length > 0) {
    Block keyStream;
    EncryptBlock(chain_.data(), keyStream.data());
    for (std::size_t i = 0; i < length; ++i) out[i] = in[i] ^ keyStream[i];
  }
}

void GostCipher::Burn() {
  key_.fill(0xFFFFFFFF);
  initialValue_.fill(0xFF);
  chain_.fill(0xFF);
}

}  // namespace cv
