// GOST 28147-89 in chaining mode: block values, how streams cut into pieces
// decipher, round trips, Init's key lengths, the derived initial value and
// Burn.

#include "script/gost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace cv {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes RandomBytes(std::mt19937& random, std::size_t length) {
  Bytes bytes(length);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

Bytes TestKey() {
  Bytes key(32);
  for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return key;
}

GostCipher KeyedCipher() {
  GostCipher cipher;
  Bytes key = TestKey();
  EXPECT_TRUE(cipher.Init(key.data(), 256));
  return cipher;
}

Bytes Encrypt(const GostCipher& cipher, const Bytes& block) {
  Bytes out(8);
  cipher.EncryptBlock(block.data(), out.data());
  return out;
}

TEST(Gost, BlockValueOfAnIndependentImplementation) {
  // Computed with another implementation of the cipher and the same boxes.
  GostCipher cipher = KeyedCipher();
  Bytes plain = {0x03, 0x13, 0x23, 0x33, 0x43, 0x53, 0x63, 0x73};
  EXPECT_EQ(Encrypt(cipher, plain), (Bytes{0xB9, 0x51, 0x0D, 0x91, 0x4B, 0xB7, 0xE0, 0xAB}));
}

TEST(Gost, DerivedInitialValueIsTheEncryptionOfOnes) {
  GostCipher cipher = KeyedCipher();
  Bytes iv(cipher.InitialValue().begin(), cipher.InitialValue().end());
  EXPECT_EQ(iv, (Bytes{0xF5, 0x9A, 0x39, 0xF0, 0x78, 0x2A, 0x99, 0x8F}));
  EXPECT_EQ(cipher.Chain(), cipher.InitialValue());
}

TEST(Gost, DecryptBlockUndoesEncryptBlock) {
  std::mt19937 random(5);
  for (int trial = 0; trial < 200; ++trial) {
    Bytes key = RandomBytes(random, 32);
    GostCipher cipher;
    ASSERT_TRUE(cipher.Init(key.data(), 256));
    Bytes plain = RandomBytes(random, 8);
    Bytes encrypted = Encrypt(cipher, plain);
    EXPECT_NE(encrypted, plain);
    Bytes decrypted(8);
    cipher.DecryptBlock(encrypted.data(), decrypted.data());
    ASSERT_EQ(decrypted, plain) << "trial " << trial;
  }
}

TEST(Gost, GivenInitialValueIsTakenAsItIs) {
  Bytes key = TestKey();
  const std::uint8_t iv[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  GostCipher given;
  ASSERT_TRUE(given.Init(key.data(), 256, iv));
  EXPECT_EQ(Bytes(given.InitialValue().begin(), given.InitialValue().end()), Bytes(iv, iv + 8));
  EXPECT_EQ(given.Chain(), given.InitialValue());

  // The first block deciphers against the chain: a given value and the
  // derived one give different plain text from the same cipher text.
  GostCipher derived = KeyedCipher();
  Bytes cipherText(8, 0x5A);
  Bytes fromGiven(8);
  Bytes fromDerived(8);
  given.DecryptCBC(cipherText.data(), fromGiven.data(), 8);
  derived.DecryptCBC(cipherText.data(), fromDerived.data(), 8);
  EXPECT_NE(fromGiven, fromDerived);
  Bytes expected(8);
  given.DecryptBlock(cipherText.data(), expected.data());
  for (std::size_t i = 0; i < 8; ++i) expected[i] ^= iv[i];
  EXPECT_EQ(fromGiven, expected);
}

TEST(Gost, ShortKeysArePaddedWithZeros) {
  Bytes key = {0x11, 0x22, 0x33, 0x44, 0x55};
  Bytes padded = key;
  padded.resize(32, 0);
  GostCipher shortKey;
  GostCipher fullKey;
  ASSERT_TRUE(shortKey.Init(key.data(), 40));
  ASSERT_TRUE(fullKey.Init(padded.data(), 256));
  Bytes block = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(Encrypt(shortKey, block), Encrypt(fullKey, block));
  EXPECT_EQ(shortKey.InitialValue(), fullKey.InitialValue());
  // Only the given bytes are read: an 8-bit key ignores what follows.
  GostCipher oneByte;
  ASSERT_TRUE(oneByte.Init(key.data(), 8));
  Bytes first = {0x11};
  first.resize(32, 0);
  GostCipher firstPadded;
  ASSERT_TRUE(firstPadded.Init(first.data(), 256));
  EXPECT_EQ(Encrypt(oneByte, block), Encrypt(firstPadded, block));
  EXPECT_NE(Encrypt(oneByte, block), Encrypt(fullKey, block));
}

TEST(Gost, UnsupportedKeyLengthsChangeNothing) {
  Bytes key = TestKey();
  Bytes other(40, 0x77);
  Bytes block = {9, 8, 7, 6, 5, 4, 3, 2};
  for (int bits : {0, 7, 12, 264, -8}) {
    GostCipher cipher = KeyedCipher();
    Bytes stream(13, 0x42);
    Bytes out(13);
    cipher.DecryptCBC(stream.data(), out.data(), 8);  // move the chain away from the IV
    const auto iv = cipher.InitialValue();
    const auto chain = cipher.Chain();
    const Bytes encrypted = Encrypt(cipher, block);
    EXPECT_FALSE(cipher.Init(other.data(), bits)) << bits;
    EXPECT_EQ(cipher.InitialValue(), iv) << bits;
    EXPECT_EQ(cipher.Chain(), chain) << bits;
    EXPECT_EQ(Encrypt(cipher, block), encrypted) << bits;
  }
}

TEST(Gost, InitRestartsTheChain) {
  GostCipher cipher = KeyedCipher();
  Bytes data(16, 0x33);
  Bytes first(16);
  cipher.DecryptCBC(data.data(), first.data(), 16);
  EXPECT_NE(cipher.Chain(), cipher.InitialValue());
  Bytes key = TestKey();
  ASSERT_TRUE(cipher.Init(key.data(), 256));
  Bytes second(16);
  cipher.DecryptCBC(data.data(), second.data(), 16);
  EXPECT_EQ(first, second);
}

TEST(Gost, TwentyBytesAtOnceEqualSixteenThenFour) {
  std::mt19937 random(20);
  Bytes data = RandomBytes(random, 20);
  GostCipher once = KeyedCipher();
  Bytes whole(20);
  once.DecryptCBC(data.data(), whole.data(), 20);

  GostCipher pieces = KeyedCipher();
  Bytes split(20);
  pieces.DecryptCBC(data.data(), split.data(), 16);
  pieces.DecryptCBC(data.data() + 16, split.data() + 16, 4);
  EXPECT_EQ(split, whole);
}

TEST(Gost, FourThenSixteenDiffersFromTwentyAtOnce) {
  // A tail does not advance the chain, so a stream may only be cut after
  // whole blocks.
  std::mt19937 random(21);
  Bytes data = RandomBytes(random, 20);
  GostCipher once = KeyedCipher();
  Bytes whole(20);
  once.DecryptCBC(data.data(), whole.data(), 20);

  GostCipher pieces = KeyedCipher();
  Bytes split(20);
  pieces.DecryptCBC(data.data(), split.data(), 4);
  EXPECT_EQ(pieces.Chain(), pieces.InitialValue());
  pieces.DecryptCBC(data.data() + 4, split.data() + 4, 16);
  EXPECT_NE(split, whole);
}

TEST(Gost, DecryptCBCFollowsTheChainingRule) {
  GostCipher cipher = KeyedCipher();
  std::mt19937 random(22);
  Bytes data = RandomBytes(random, 19);
  Bytes out(19);
  const auto iv = cipher.InitialValue();
  cipher.DecryptCBC(data.data(), out.data(), 19);

  GostCipher reference = KeyedCipher();
  Bytes expected(19);
  Bytes chain(iv.begin(), iv.end());
  for (std::size_t block = 0; block < 2; ++block) {
    Bytes plain(8);
    reference.DecryptBlock(&data[block * 8], plain.data());
    for (std::size_t i = 0; i < 8; ++i) expected[block * 8 + i] = plain[i] ^ chain[i];
    chain.assign(data.begin() + static_cast<std::ptrdiff_t>(block * 8),
                 data.begin() + static_cast<std::ptrdiff_t>(block * 8 + 8));
  }
  Bytes keyStream = Encrypt(reference, chain);
  for (std::size_t i = 16; i < 19; ++i) expected[i] = data[i] ^ keyStream[i - 16];
  EXPECT_EQ(out, expected);
  EXPECT_EQ(Bytes(cipher.Chain().begin(), cipher.Chain().end()), chain);
}

TEST(Gost, RoundTripsForRandomLengthsAndSplits) {
  std::mt19937 random(23);
  for (int trial = 0; trial < 300; ++trial) {
    Bytes key = RandomBytes(random, 32);
    const int bits = static_cast<int>(8 * (1 + random() % 32));
    const std::size_t length = random() % 300;
    Bytes plain = RandomBytes(random, length);

    GostCipher encryptor;
    ASSERT_TRUE(encryptor.Init(key.data(), bits));
    Bytes encrypted(length);
    std::size_t done = 0;
    while (done < length) {
      std::size_t piece = 8 * (random() % 6);
      if (piece == 0 || piece > length - done) piece = length - done;
      encryptor.EncryptCBC(plain.data() + done, encrypted.data() + done, piece);
      done += piece;
    }
    if (length >= 8) {
      EXPECT_NE(encrypted, plain);
    }

    // Deciphered in other pieces, and in place.
    GostCipher decryptor;
    ASSERT_TRUE(decryptor.Init(key.data(), bits));
    Bytes buffer = encrypted;
    done = 0;
    while (done < length) {
      std::size_t piece = 8 * (random() % 6);
      if (piece == 0 || piece > length - done) piece = length - done;
      decryptor.DecryptCBC(buffer.data() + done, buffer.data() + done, piece);
      done += piece;
    }
    ASSERT_EQ(buffer, plain) << "trial " << trial << ", length " << length;
  }
}

TEST(Gost, EncryptCBCIsChainedOnTheCipherText) {
  GostCipher cipher = KeyedCipher();
  Bytes plain(16, 0);
  Bytes out(16);
  cipher.EncryptCBC(plain.data(), out.data(), 16);
  // Equal plain blocks give different cipher blocks.
  EXPECT_NE(Bytes(out.begin(), out.begin() + 8), Bytes(out.begin() + 8, out.end()));
  EXPECT_EQ(Bytes(cipher.Chain().begin(), cipher.Chain().end()), Bytes(out.begin() + 8, out.end()));
}

TEST(Gost, BurnOverwritesKeyInitialValueAndChain) {
  GostCipher cipher = KeyedCipher();
  cipher.Burn();
  GostCipher::Block ones;
  ones.fill(0xFF);
  EXPECT_EQ(cipher.InitialValue(), ones);
  EXPECT_EQ(cipher.Chain(), ones);

  // The key words are all ones: the cipher now equals one keyed with 0xFF.
  Bytes onesKey(32, 0xFF);
  GostCipher reference;
  ASSERT_TRUE(reference.Init(onesKey.data(), 256, ones.data()));
  Bytes block = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(Encrypt(cipher, block), Encrypt(reference, block));
  EXPECT_NE(Encrypt(cipher, block), Encrypt(KeyedCipher(), block));
}

}  // namespace
}  // namespace cv
