#pragma once
// The block cipher GOST 28147-89 with the substitution boxes of the test
// parameter set, in cipher-block-chaining mode. Package data is only ever
// deciphered at run time; enciphering exists for building packages and for
// tests, and mirrors deciphering exactly.

#include <array>
#include <cstddef>
#include <cstdint>

namespace cv {

class GostCipher {
 public:
  static constexpr std::size_t kBlockSize = 8;
  static constexpr std::size_t kMaxKeySize = 32;
  using Block = std::array<std::uint8_t, kBlockSize>;

  // keyBits: 8 to 256 in steps of 8, otherwise nothing changes and the answer
  // is false. Shorter keys are padded with zero bytes. Without an initial
  // value the cipher derives one: the encryption of eight 0xFF bytes. The
  // chain starts at the initial value.
  bool Init(const void* key, int keyBits, const std::uint8_t* initialValue = nullptr);

  // One block each; in and out may be the same memory.
  void EncryptBlock(const std::uint8_t* in, std::uint8_t* out) const;
  void DecryptBlock(const std::uint8_t* in, std::uint8_t* out) const;

  // Whole blocks chain; a tail of 1-7 bytes is XORed with the encryption of
  // the chain, which it leaves unchanged. The chain carries over to the next
  // call, so a stream cut into pieces of whole blocks (except the last)
  // gives the same bytes as one piece. input and output may be the same
  // memory.
  void EncryptCBC(const void* input, void* output, std::size_t length);
  void DecryptCBC(const void* input, void* output, std::size_t length);

  // Overwrites the key, the initial value and the chain with 0xFF bytes, so
  // no key material outlives a stream.
  void Burn();

  const Block& InitialValue() const { return initialValue_; }
  const Block& Chain() const { return chain_; }

 private:
  std::array<std::uint32_t, 8> key_{};
  Block initialValue_{};
  Block chain_{};
};

}  // namespace cv
