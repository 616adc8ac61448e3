#pragma once
// Test cabinets written byte by byte: uncompressed folders with chosen block
// sizes, names, DOS times and attributes, optional checksums, a next-cabinet
// name, and a transform applied to each block's payload after its checksum
// was computed (the way a password-protected package enciphers its data).
// Also an independent reader of a cabinet's data blocks. Header-only and
// portable: the host tests and the Windows tests use the same cabinets.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cv::test {

struct CabinetFile {
  std::string Name;
  std::string Data;
  std::uint16_t Date = 0x5A21;  // 2025-01-01
  std::uint16_t Time = 0x6000;  // 12:00:00
  std::uint16_t Attributes = 0x20;
};

struct CabinetOptions {
  std::size_t BlockSize = 32768;
  bool Checksums = true;
  std::string NextCabinet;
  std::uint16_t SetId = 0x1234;
  std::uint16_t Index = 0;
  // Applied to each payload, in block order, after its checksum.
  std::function<void(std::string& payload)> Transform;
};

inline void PutU16(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void PutU32(std::string& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

inline std::uint32_t GetU16(const std::string& in, std::size_t at) {
  if (at + 2 > in.size()) throw std::out_of_range("cabinet too short");
  return static_cast<std::uint8_t>(in[at]) | (static_cast<std::uint8_t>(in[at + 1]) << 8);
}

inline std::uint32_t GetU32(const std::string& in, std::size_t at) {
  return GetU16(in, at) | (GetU16(in, at + 2) << 16);
}

// The cabinet format's data-block checksum: the payload's little-endian
// 32-bit words XORed together (a final partial word taken with its first
// byte highest), then the block's two size fields the same way.
inline std::uint32_t BlockChecksum(const std::string& payload) {
  auto fold = [](const unsigned char* data, std::size_t size, std::uint32_t sum) {
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4) {
      sum ^= static_cast<std::uint32_t>(data[i]) | (static_cast<std::uint32_t>(data[i + 1]) << 8) |
             (static_cast<std::uint32_t>(data[i + 2]) << 16) |
             (static_cast<std::uint32_t>(data[i + 3]) << 24);
    }
    std::uint32_t rest = 0;
    for (; i < size; ++i) rest = (rest << 8) | data[i];
    return sum ^ rest;
  };
  const auto* data = reinterpret_cast<const unsigned char*>(payload.data());
  const std::uint32_t sum = fold(data, payload.size(), 0);
  std::string sizes;
  PutU16(sizes, static_cast<std::uint32_t>(payload.size()));
  PutU16(sizes, static_cast<std::uint32_t>(payload.size()));
  return fold(reinterpret_cast<const unsigned char*>(sizes.data()), 4, sum);
}

inline std::string BuildCabinet(const std::vector<CabinetFile>& files,
                                const CabinetOptions& options = {}) {
  std::string folderData;
  for (const auto& file : files) folderData += file.Data;
  std::vector<std::string> blocks;
  for (std::size_t at = 0; at < folderData.size(); at += options.BlockSize) {
    blocks.push_back(folderData.substr(at, options.BlockSize));
  }

  std::string names;
  if (!options.NextCabinet.empty()) {
    names += options.NextCabinet;
    names.push_back('\0');
    names.push_back('\0');  // no disk name
  }
  const std::size_t headerSize = 36 + names.size();
  const std::size_t foldersSize = 8;
  std::size_t filesSize = 0;
  for (const auto& file : files) filesSize += 16 + file.Name.size() + 1;
  const std::size_t dataStart = headerSize + foldersSize + filesSize;
  std::size_t dataSize = 0;
  for (const auto& block : blocks) dataSize += 8 + block.size();

  std::string cab = "MSCF";
  PutU32(cab, 0);
  PutU32(cab, static_cast<std::uint32_t>(dataStart + dataSize));
  PutU32(cab, 0);
  PutU32(cab, static_cast<std::uint32_t>(headerSize + foldersSize));
  PutU32(cab, 0);
  cab.push_back(3);
  cab.push_back(1);
  PutU16(cab, 1);
  PutU16(cab, static_cast<std::uint32_t>(files.size()));
  PutU16(cab, options.NextCabinet.empty() ? 0 : 2);
  PutU16(cab, options.SetId);
  PutU16(cab, options.Index);
  cab += names;
  PutU32(cab, static_cast<std::uint32_t>(dataStart));
  PutU16(cab, static_cast<std::uint32_t>(blocks.size()));
  PutU16(cab, 0);  // stored
  std::uint32_t offset = 0;
  for (const auto& file : files) {
    PutU32(cab, static_cast<std::uint32_t>(file.Data.size()));
    PutU32(cab, offset);
    PutU16(cab, 0);
    PutU16(cab, file.Date);
    PutU16(cab, file.Time);
    PutU16(cab, file.Attributes);
    cab += file.Name;
    cab.push_back('\0');
    offset += static_cast<std::uint32_t>(file.Data.size());
  }
  for (auto block : blocks) {
    PutU32(cab, options.Checksums ? BlockChecksum(block) : 0);
    PutU16(cab, static_cast<std::uint32_t>(block.size()));
    PutU16(cab, static_cast<std::uint32_t>(block.size()));
    if (options.Transform) options.Transform(block);
    cab += block;
  }
  return cab;
}

// The payloads of every data block of a cabinet, folder by folder, read from
// the cabinet's own header (reserved areas included).
inline std::vector<std::string> DataBlockPayloads(const std::string& cab) {
  if (cab.compare(0, 4, "MSCF") != 0) throw std::runtime_error("not a cabinet");
  const std::uint32_t folders = GetU16(cab, 26);
  const std::uint32_t flags = GetU16(cab, 30);
  std::size_t at = 36;
  std::uint32_t folderReserve = 0;
  std::uint32_t blockReserve = 0;
  if (flags & 4) {
    const std::uint32_t headerReserve = GetU16(cab, at);
    folderReserve = static_cast<std::uint8_t>(cab.at(at + 2));
    blockReserve = static_cast<std::uint8_t>(cab.at(at + 3));
    at += 4 + headerReserve;
  }
  auto skipText = [&] { at = cab.find('\0', at) + 1; };
  if (flags & 1) { skipText(); skipText(); }
  if (flags & 2) { skipText(); skipText(); }
  std::vector<std::string> payloads;
  for (std::uint32_t f = 0; f < folders; ++f) {
    const std::size_t entry = at + f * (8 + folderReserve);
    std::size_t block = GetU32(cab, entry);
    const std::uint32_t count = GetU16(cab, entry + 4);
    for (std::uint32_t b = 0; b < count; ++b) {
      const std::uint32_t size = GetU16(cab, block + 4);
      const std::size_t payload = block + 8 + blockReserve;
      if (payload + size > cab.size()) throw std::out_of_range("block beyond the cabinet");
      payloads.push_back(cab.substr(payload, size));
      block = payload + size;
    }
  }
  return payloads;
}

}  // namespace cv::test
