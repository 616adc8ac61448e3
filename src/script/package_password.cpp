#include "script/package_password.h"

namespace cv {
namespace {

// Fixed by the package format: the builder derives the same keys.
constexpr std::string_view kDatabaseKeyPrefix = "Qe7>Ws.4Tk";
constexpr std::string_view kCheckMarker = "qzx";

}  // namespace

std::string PasswordHash(std::string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  HavalDigest::Digest digest = HavalDigest::Of(text.data(), text.size());
  std::string hex;
  hex.reserve(digest.size() * 2);
  for (std::uint8_t byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

HavalDigest::Digest PackageDatabaseKey(std::uint64_t fileLength) {
  std::string text(kDatabaseKeyPrefix);
  text += std::to_string(fileLength);
  return HavalDigest::Of(text.data(), text.size());
}

HavalDigest::Digest PasswordKey(std::string_view password) {
  return HavalDigest::Of(password.data(), password.size());
}

std::string PasswordCheckValue(std::string_view password) {
  std::string checkText;
  checkText.reserve(password.size() + 2 * kCheckMarker.size());
  checkText += kCheckMarker;
  checkText += password;
  checkText += kCheckMarker;
  return PasswordHash(checkText);
}

bool CheckPassword(std::string_view pswCheckHash, std::string_view password) {
  if (pswCheckHash.empty()) return true;
  return PasswordCheckValue(password) == pswCheckHash;
}

}  // namespace cv
