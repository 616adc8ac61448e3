#include "engine/package_header.h"

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

}  // namespace cv
