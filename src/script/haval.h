#pragma once
// HAVAL-256 with five passes (version 1): the hash that turns password and
// key texts into cipher keys and into the stored password check value.

#include <array>
#include <cstddef>
#include <cstdint>

namespace cv {

class HavalDigest {
 public:
  static constexpr std::size_t kDigestSize = 32;
  using Digest = std::array<std::uint8_t, kDigestSize>;

  HavalDigest() { Init(); }

  void Init();
  // Any number of times between Init and Final; the pieces hash like one.
  void Update(const void* data, std::size_t length);
  // The digest of everything given since Init. Clears the state: call Init
  // before hashing another message.
  Digest Final();

  // The digest of one message in one step.
  static Digest Of(const void* data, std::size_t length);

 private:
  void HashBlock();

  std::uint32_t outputBits_ = 256;
  std::uint64_t byteCount_ = 0;
  std::size_t buffered_ = 0;
  std::array<std::uint32_t, 8> chain_{};
  std::array<std::uint8_t, 128> block_{};
};

}  // namespace cv
