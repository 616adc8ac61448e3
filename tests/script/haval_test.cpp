// HAVAL-256/5: the published test values, streaming in pieces and the
// padding boundary of the last block.

#include "script/haval.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace cv {
namespace {

std::string Hex(const HavalDigest::Digest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::uint8_t byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

std::string HexOf(const std::string& text) {
  return Hex(HavalDigest::Of(text.data(), text.size()));
}

std::vector<std::uint8_t> RandomBytes(std::mt19937& random, std::size_t length) {
  std::vector<std::uint8_t> bytes(length);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

TEST(Haval, PublishedValueOfTheEmptyText) {
  EXPECT_EQ(HexOf(""), "be417bb4dd5cfb76c7126f4f8eeb1553a449039307b1a3cd451dbfdc0fbbe330");
}

TEST(Haval, PublishedValueOfAbc) {
  EXPECT_EQ(HexOf("abc"), "976cd6254c337969e5913b158392a2921af16fca51f5601d486e0a9de01156e7");
}

TEST(Haval, ValuesAroundThePaddingBoundary) {
  // Computed with an independent implementation: 117 bytes leave room for
  // the closing fields in the same block, 118 and 128 do not.
  EXPECT_EQ(HexOf(std::string(117, 'a')),
            "5ccc1fcc4aca9ab3a014732dbafee7ed7c0cf1028b4bbaffe92a9d78e634ee02");
  EXPECT_EQ(HexOf(std::string(118, 'a')),
            "34e1b82fdea5bf0d5eec513d8bc463d2eeab36a2af5f5183cc98b564e51431b0");
  EXPECT_EQ(HexOf(std::string(128, 'a')),
            "93390552a2d23df530a5918c95d095e3914cf476cd1d95bede099c7674b31efe");
}

TEST(Haval, UpdateWithoutInitStartsFromTheInitialState) {
  HavalDigest haval;
  haval.Update("abc", 3);
  EXPECT_EQ(Hex(haval.Final()), HexOf("abc"));
}

TEST(Haval, FinalClearsTheStateAndInitStartsAgain) {
  HavalDigest haval;
  haval.Update("some text", 9);
  haval.Final();
  haval.Init();
  haval.Update("abc", 3);
  EXPECT_EQ(Hex(haval.Final()), "976cd6254c337969e5913b158392a2921af16fca51f5601d486e0a9de01156e7");
}

TEST(Haval, DifferentTextsDiffer) {
  EXPECT_NE(HexOf("abc"), HexOf("abd"));
  EXPECT_NE(HexOf(std::string(1, '\0')), HexOf(""));
}

TEST(Haval, PiecesHashLikeOneUpdate) {
  std::mt19937 random(1234);
  for (std::size_t length : {0u, 1u, 117u, 118u, 127u, 128u, 129u, 255u, 256u, 257u, 1000u}) {
    std::vector<std::uint8_t> data = RandomBytes(random, length);
    const std::string whole = Hex(HavalDigest::Of(data.data(), data.size()));
    for (int trial = 0; trial < 20; ++trial) {
      HavalDigest haval;
      std::size_t done = 0;
      while (done < length) {
        std::size_t piece = std::min<std::size_t>(length - done, random() % 140);
        haval.Update(data.data() + done, piece);
        done += piece;
      }
      ASSERT_EQ(Hex(haval.Final()), whole) << "length " << length << ", trial " << trial;
    }
  }
}

TEST(Haval, ByteByByteAroundThePaddingBoundary) {
  std::mt19937 random(99);
  for (std::size_t length = 110; length <= 140; ++length) {
    std::vector<std::uint8_t> data = RandomBytes(random, length);
    HavalDigest haval;
    for (std::uint8_t byte : data) haval.Update(&byte, 1);
    EXPECT_EQ(Hex(haval.Final()), Hex(HavalDigest::Of(data.data(), data.size())))
        << "length " << length;
  }
}

TEST(Haval, LengthsAroundThePaddingBoundaryAllDiffer) {
  // 118 bytes and more no longer leave room for the closing fields, so the
  // padding spills into an extra block; each length must still hash apart.
  std::vector<std::string> digests;
  for (std::size_t length = 116; length <= 130; ++length) {
    digests.push_back(HexOf(std::string(length, 'a')));
  }
  for (std::size_t i = 0; i < digests.size(); ++i) {
    for (std::size_t j = i + 1; j < digests.size(); ++j) {
      EXPECT_NE(digests[i], digests[j]) << 116 + i << " and " << 116 + j;
    }
  }
}

}  // namespace
}  // namespace cv
