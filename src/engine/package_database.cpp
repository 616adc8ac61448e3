#include "engine/package_database.h"

#include "platform/case_map.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "script/gost.h"
#include "script/package_password.h"

namespace cv {
namespace {

GostCipher DatabaseCipher(std::size_t length) {
  HavalDigest::Digest key = PackageDatabaseKey(length);
  GostCipher cipher;
  cipher.Init(key.data(), static_cast<int>(key.size() * 8));
  key.fill(0);
  return cipher;
}

}  // namespace

void DecipherDatabaseBytes(std::string& bytes) {
  if (bytes.empty()) return;
  GostCipher cipher = DatabaseCipher(bytes.size());
  cipher.DecryptCBC(bytes.data(), bytes.data(), bytes.size());
  cipher.Burn();
}

void EncipherDatabaseBytes(std::string& bytes) {
  if (bytes.empty()) return;
  GostCipher cipher = DatabaseCipher(bytes.size());
  cipher.EncryptCBC(bytes.data(), bytes.data(), bytes.size());
  cipher.Burn();
}

std::string ReadDatabaseFile(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return {};
  DecipherDatabaseBytes(bytes);
  return bytes;
}

void ParseDatabaseFile(const std::string& path, std::string_view rootName, TXMLTag& root) {
  const std::string damaged = "The installation database \"" + path + "\" is damaged.";
  try {
    root.Parse(ReadDatabaseFile(path));
  } catch (const TXMLParserError& error) {
    throw Error(damaged + "\r" + error.what());
  }
  if (root.Kind != XmlKind::xkElement || !SameTextNoCase(root.Name(), rootName))
    throw Error(damaged);
}

}  // namespace cv
