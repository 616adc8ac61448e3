// GOST 28147-89 blocks against libgcrypt's independent implementation with
// the same substitution boxes. Host build only, and only where libgcrypt is
// installed. libgcrypt reads the key as eight little-endian words and a block
// as two little-endian halves written back in swapped order, exactly as
// GostCipher does, so bytes are passed to both unchanged.

#include <gcrypt.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "script/gost.h"

namespace cv {
namespace {

using Bytes = std::vector<std::uint8_t>;

class GostCrossCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(gcry_check_version(nullptr), nullptr);
    ASSERT_EQ(gcry_cipher_open(&handle_, GCRY_CIPHER_GOST28147, GCRY_CIPHER_MODE_ECB, 0), 0u);
    // What gcry_cipher_set_sbox expands to, called directly to see its result:
    // the boxes of id-GostR3411-94-TestParamSet.
    ASSERT_EQ(gcry_cipher_ctl(handle_, GCRYCTL_SET_SBOX, const_cast<char*>("1.2.643.2.2.30.0"), 0),
              0u);
  }
  void TearDown() override {
    if (handle_ != nullptr) gcry_cipher_close(handle_);
  }

  gcry_cipher_hd_t handle_ = nullptr;
};

TEST_F(GostCrossCheck, BlocksAgreeWithLibgcrypt) {
  std::mt19937 random(28147);
  for (int trial = 0; trial < 2000; ++trial) {
    Bytes key(32);
    Bytes block(8);
    for (auto& byte : key) byte = static_cast<std::uint8_t>(random());
    for (auto& byte : block) byte = static_cast<std::uint8_t>(random());

    ASSERT_EQ(gcry_cipher_setkey(handle_, key.data(), key.size()), 0u);
    Bytes expected(8);
    ASSERT_EQ(gcry_cipher_encrypt(handle_, expected.data(), 8, block.data(), 8), 0u);

    GostCipher cipher;
    ASSERT_TRUE(cipher.Init(key.data(), 256));
    Bytes actual(8);
    cipher.EncryptBlock(block.data(), actual.data());
    ASSERT_EQ(actual, expected) << "trial " << trial;

    Bytes decrypted(8);
    cipher.DecryptBlock(expected.data(), decrypted.data());
    ASSERT_EQ(decrypted, block) << "trial " << trial;
  }
}

}  // namespace
}  // namespace cv
