#pragma once
// Package passwords and the keys derived from texts: every key is the
// HAVAL-256/5 digest of a key text, used as a 256-bit cipher key.

#include <cstdint>
#include <string>
#include <string_view>

#include "script/haval.h"

namespace cv {

// The digest of the text's bytes as 64 upper-case hexadecimal digits, in
// digest order.
std::string PasswordHash(std::string_view text);

// The key of a package database file of the given length: the digest of a
// fixed prefix followed by the length in decimal.
HavalDigest::Digest PackageDatabaseKey(std::uint64_t fileLength);

// The key that deciphers a password-protected package's data.
HavalDigest::Digest PasswordKey(std::string_view password);

// The check value stored with a password-protected package (in the variable
// PswCheckHash): the hash of the password between two fixed markers.
std::string PasswordCheckValue(std::string_view password);

// Whether password opens a package whose stored check value is
// pswCheckHash. A package without a check value has no password: anything,
// the empty password included, passes. Otherwise the check value must equal
// the hash of the password between two fixed markers, digit for digit
// (upper-case digits only).
bool CheckPassword(std::string_view pswCheckHash, std::string_view password);

}  // namespace cv
