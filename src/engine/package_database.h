#pragma once
// The project's database files inside a package ("maindb", "packagedb"):
// XML enciphered with a key that depends only on the file's length, so the
// engine can read them before any password is known.

#include <string>
#include <string_view>

#include "database/xml_tag.h"

namespace cv {

// Deciphers `bytes` in place: one cipher stream over the whole text, keyed
// by its length.
void DecipherDatabaseBytes(std::string& bytes);
// The reverse, for building packages.
void EncipherDatabaseBytes(std::string& bytes);

// The file's deciphered text; empty when it cannot be read or is empty.
std::string ReadDatabaseFile(const std::string& path);

// Reads the database file `path` into `root` and checks that its root element
// is `rootName`. A file that is missing, empty, does not decipher into XML or
// holds another document raises an error naming the file: a package
// without its database cannot be installed.
void ParseDatabaseFile(const std::string& path, std::string_view rootName, TXMLTag& root);

}  // namespace cv
