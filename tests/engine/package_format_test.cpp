// The end of a package file and its enciphered database files, as the
// engine reads them.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>

#include "../database/scratch_folder.h"
#include "database/main_database.h"
#include "database/packages.h"
#include "engine/package_database.h"
#include "engine/package_header.h"
#include "script/gost.h"
#include "script/package_password.h"

namespace cv {
namespace {

TEST(PackageHeader, FieldsAreLittleEndianInTheirFixedPlaces) {
  PackageHeader header;
  header.EngineSize = 0x04030201;
  header.PackageSize = 0xF8F7F6F5;
  header.Flags = -2;
  header.PresetupSize = 0x0102030405060708LL;
  header.DataSize = -1;
  std::array<unsigned char, kPackageHeaderSize> bytes{};
  EncodePackageHeader(header, bytes.data());
  EXPECT_EQ(bytes[0], 0x01);
  EXPECT_EQ(bytes[3], 0x04);
  EXPECT_EQ(bytes[4], 0xF5);
  EXPECT_EQ(bytes[8], 0xFE);
  EXPECT_EQ(bytes[11], 0xFF);
  EXPECT_EQ(bytes[12], 0x08);
  EXPECT_EQ(bytes[19], 0x01);
  EXPECT_EQ(bytes[20], 0xFF);
  EXPECT_EQ(bytes[27], 0xFF);

  const PackageHeader back = DecodePackageHeader(bytes.data());
  EXPECT_EQ(back.EngineSize, header.EngineSize);
  EXPECT_EQ(back.PackageSize, header.PackageSize);
  EXPECT_EQ(back.Flags, header.Flags);
  EXPECT_EQ(back.PresetupSize, header.PresetupSize);
  EXPECT_EQ(back.DataSize, header.DataSize);
}

TEST(PackageEndMarker, TheLastMarkerCountsAndWhatFollowsIsTheTrailer) {
  EXPECT_EQ(TrailerLengthAfterMarker("xxCVPEND"), 0u);
  EXPECT_EQ(TrailerLengthAfterMarker("CVPEND<variables/>"), 12u);
  EXPECT_EQ(TrailerLengthAfterMarker("CVPEND..CVPENDab"), 2u);
  EXPECT_EQ(TrailerLengthAfterMarker("CVPEND"), 0u);
}

TEST(PackageEndMarker, NoExactUpperCaseMarkerMeansNoPackage) {
  EXPECT_FALSE(TrailerLengthAfterMarker(""));
  EXPECT_FALSE(TrailerLengthAfterMarker("CVPEN"));
  EXPECT_FALSE(TrailerLengthAfterMarker("cvpend"));
  EXPECT_FALSE(TrailerLengthAfterMarker("CVPENd and more"));
  // A marker cut off by the end of the tail does not count.
  EXPECT_FALSE(TrailerLengthAfterMarker("....CVPEN"));
}

std::string HeaderRecord(std::uint32_t packageSize, std::int32_t flags) {
  PackageHeader header;
  header.PackageSize = packageSize;
  header.Flags = flags;
  std::array<unsigned char, kPackageHeaderSize> bytes{};
  EncodePackageHeader(header, bytes.data());
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

TEST(PackageFileName, TheExtensionIsReplacedByCvp) {
  const std::pair<const char*, const char*> cases[] = {
      {"docs", "docs.cvp"}, {"docs.pkg", "docs.cvp"}, {"a.b.c", "a.b.cvp"}, {"docs.cvp", "docs.cvp"},
      {"sub.dir\\docs", "sub.dir\\docs.cvp"}, {"", ".cvp"}};
  for (const auto& [fileName, expected] : cases) EXPECT_EQ(PackageFileName(fileName), expected);
}

TEST(PackageTrailer, TheHeaderBeforeTheMarkerGivesTheExpectedFileSize) {
  const std::string file = std::string(100, 'c') + HeaderRecord(134, 3) + "CVPEND" + "<variables/>";
  const auto trailer = ParsePackageTrailer(file, file.size());
  ASSERT_TRUE(trailer);
  EXPECT_EQ(trailer->Header.Flags, 3);
  EXPECT_EQ(trailer->ExpectedSize, 134u + 12u);
  EXPECT_EQ(trailer->Variables, "<variables/>");
  // Only the last bytes of a larger file were read: the same answer.
  const auto fromEnd = ParsePackageTrailer(std::string_view(file).substr(50), file.size());
  ASSERT_TRUE(fromEnd);
  EXPECT_EQ(fromEnd->ExpectedSize, trailer->ExpectedSize);
}

TEST(PackageTrailer, MarkersTooNearTheStartOrBeyondTheSearchedSpanAreNotFound) {
  EXPECT_FALSE(ParsePackageTrailer(std::string(27, 'h') + "CVPEND", 33));
  EXPECT_TRUE(ParsePackageTrailer(std::string(28, 'h') + "CVPEND", 34));
  // Header variables longer than the span push the marker out of it.
  const std::string far = HeaderRecord(34, 0) + "CVPEND" + std::string(kEndMarkerSearchSpan, ' ');
  EXPECT_FALSE(ParsePackageTrailer(far, far.size()));
  const std::string near = HeaderRecord(34, 0) + "CVPEND" + std::string(kEndMarkerSearchSpan - 6, ' ');
  EXPECT_TRUE(ParsePackageTrailer(near, near.size()));
  EXPECT_FALSE(ParsePackageTrailer("", 0));
}

TEST(PackageTrailer, HeaderVariablesKeepWhatParsedBeforeAnError) {
  auto database = TcvMainDatabase::New();
  auto package = TcvPackage::New(database->Packages.get());
  TcvVariables& variables = package->HeaderVariables();
  LoadHeaderVariables(variables,
                      "<variables><var name='A' value='1'/><var name='B' value='2'/><var name=");
  ASSERT_GE(variables.Count(), 2);
  EXPECT_EQ(variables.FindParam("B")->Value, "2");
  LoadHeaderVariables(variables, "<other><var name='C' value='3'/></other>");
  EXPECT_EQ(variables.FindParam("C"), nullptr) << "another document is not header variables";
  LoadHeaderVariables(variables, "<variables><var name='D' value='4'/></variables>");
  EXPECT_EQ(variables.FindParam("D")->Value, "4");
  EXPECT_EQ(variables.FindParam("A")->Value, "1") << "merged, not replaced";
}

TEST(PackageDatabaseFile, EncipheringAndDecipheringRoundTrip) {
  for (const std::size_t length : {1u, 7u, 8u, 9u, 4096u, 4101u}) {
    std::string text(length, '\0');
    for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + i % 26);
    std::string bytes = text;
    EncipherDatabaseBytes(bytes);
    EXPECT_NE(bytes, text) << length;
    DecipherDatabaseBytes(bytes);
    EXPECT_EQ(bytes, text) << length;
  }
  std::string empty;
  DecipherDatabaseBytes(empty);
  EXPECT_TRUE(empty.empty());
}

TEST(PackageDatabaseFile, TheKeyIsTheDigestOfTheFixedTextAndTheLength) {
  const std::string text = "<cv2project version=\"2\"/>";
  std::string bytes = text;
  EncipherDatabaseBytes(bytes);
  // Deciphered independently with the key derived from the length.
  const HavalDigest::Digest key = PackageDatabaseKey(text.size());
  GostCipher cipher;
  ASSERT_TRUE(cipher.Init(key.data(), 256));
  cipher.DecryptCBC(bytes.data(), bytes.data(), bytes.size());
  EXPECT_EQ(bytes, text);
  // Another length gives another key: the same text one byte longer does
  // not share its enciphered start.
  std::string longer = text + " ";
  EncipherDatabaseBytes(longer);
  std::string again = text;
  EncipherDatabaseBytes(again);
  EXPECT_NE(longer.substr(0, 8), again.substr(0, 8));
}

TEST(PackageDatabaseFile, OnlyAFileHoldingTheExpectedDocumentLoads) {
  test::ScratchFolder folder;
  const std::string path = folder.File("packagedb");
  std::string good = "<package id=\"p\"><variables/></package>";
  EncipherDatabaseBytes(good);
  test::WriteBytes(path, good);
  TXMLTag root;
  ParseDatabaseFile(path, "package", root);
  EXPECT_EQ(root.Name(), "package");
  int elements = 0;
  for (const auto& child : root.Children()) elements += child->Kind == XmlKind::xkElement;
  EXPECT_EQ(elements, 1);

  // Another document, a file that was never enciphered, an empty file and
  // no file at all: each is a damaged installation, named in the error.
  EXPECT_THROW(ParseDatabaseFile(path, "cv2project", root), Error);
  for (const std::string& bytes : {std::string("<package id=\"p\"/>"), std::string()}) {
    test::WriteBytes(path, bytes);
    try {
      ParseDatabaseFile(path, "package", root);
      ADD_FAILURE() << "loaded: " << bytes;
    } catch (const Error& error) {
      EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
    }
  }
  EXPECT_THROW(ParseDatabaseFile(folder.File("missing"), "package", root), Error);
}

}  // namespace
}  // namespace cv
