#include "engine/package_header.h"

#include <algorithm>

#include "database/variables.h"
#include "database/xml_tag.h"
#include "platform/case_map.h"
#include "platform/paths.h"

namespace cv {
namespace {

std::uint64_t ReadLittleEndian(const unsigned char* bytes, int width) {
  std::uint64_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

void WriteLittleEndian(std::uint64_t value, unsigned char* bytes, int width) {
  for (int i = 0; i < width; ++i) {
    bytes[i] = static_cast<unsigned char>(value & 0xFF);
    value >>= 8;
  }
}

}  // namespace

PackageHeader DecodePackageHeader(const unsigned char* bytes) {
  PackageHeader header;
  header.EngineSize = static_cast<std::uint32_t>(ReadLittleEndian(bytes, 4));
  header.PackageSize = static_cast<std::uint32_t>(ReadLittleEndian(bytes + 4, 4));
  header.Flags = static_cast<std::int32_t>(static_cast<std::uint32_t>(ReadLittleEndian(bytes + 8, 4)));
  header.PresetupSize = static_cast<std::int64_t>(ReadLittleEndian(bytes + 12, 8));
  header.DataSize = static_cast<std::int64_t>(ReadLittleEndian(bytes + 20, 8));
  return header;
}

void EncodePackageHeader(const PackageHeader& header, unsigned char* bytes) {
  WriteLittleEndian(header.EngineSize, bytes, 4);
  WriteLittleEndian(header.PackageSize, bytes + 4, 4);
  WriteLittleEndian(static_cast<std::uint32_t>(header.Flags), bytes + 8, 4);
  WriteLittleEndian(static_cast<std::uint64_t>(header.PresetupSize), bytes + 12, 8);
  WriteLittleEndian(static_cast<std::uint64_t>(header.DataSize), bytes + 20, 8);
}

std::optional<std::size_t> TrailerLengthAfterMarker(std::string_view tail) {
  const std::size_t marker = kPackageEndMarker.size();
  if (tail.size() < marker) return std::nullopt;
  for (std::size_t position = tail.size() - marker + 1; position-- > 0;) {
    if (tail.compare(position, marker, kPackageEndMarker) == 0)
      return tail.size() - position - marker;
  }
  return std::nullopt;
}

std::optional<PackageTrailer> ParsePackageTrailer(std::string_view end, std::uint64_t fileSize) {
  if (end.size() > fileSize) return std::nullopt;
  const std::size_t searched = std::min<std::size_t>(end.size(), kEndMarkerSearchSpan);
  const std::optional<std::size_t> trailerLength =
      TrailerLengthAfterMarker(end.substr(end.size() - searched));
  if (!trailerLength) return std::nullopt;
  const std::size_t recordEnd = end.size() - *trailerLength - kPackageEndMarker.size();
  if (recordEnd < kPackageHeaderSize) return std::nullopt;
  PackageTrailer trailer;
  trailer.Header = DecodePackageHeader(
      reinterpret_cast<const unsigned char*>(end.data() + recordEnd - kPackageHeaderSize));
  trailer.ExpectedSize = trailer.Header.PackageSize + static_cast<std::uint64_t>(*trailerLength);
  trailer.Variables.assign(end.substr(end.size() - *trailerLength));
  return trailer;
}

void LoadHeaderVariables(TcvVariables& variables, std::string_view text) {
  if (text.empty()) return;
  TXMLTag root;
  try {
    root.Parse(text);
  } catch (const TXMLParserError&) {
    // The tag keeps what was read before the error.
  }
  if (root.Kind == XmlKind::xkElement && SameTextNoCase(root.Name(), "variables"))
    variables.Merge(root);
}

std::string PackageFileName(std::string_view fileName) {
  return ChangeExtension(fileName, ".cvp");
}

}  // namespace cv
