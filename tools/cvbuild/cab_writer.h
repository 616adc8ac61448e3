#pragma once
// Writes MSCF cabinets: one header, its folders, its files and the data
// blocks of each folder, stored or MSZIP-compressed. Output depends only on
// the members and options given (no clock, no random set ID), so the same
// input always gives the same bytes.
//
// MSZIP: each data block holds at most 32768 uncompressed bytes as "CK" and a
// complete raw deflate stream. The decoder keeps its 32 KiB window from block
// to block within a folder, so every block's stream is primed with the 32 KiB
// of data before it and may refer back into it.
//
// Checksums: each data block's checksum covers its payload as the reader's
// decompressor receives it. With a payload transform (enciphering), that is
// the payload before the transform: the reading side undoes the transform
// inside its read routine, before the cabinet library computes the checksum
// over what it read. Such a cabinet therefore verifies only through that
// reader; a plain cabinet tool reports checksum errors for it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "output_sink.h"

namespace cv::build {

inline constexpr std::size_t kCabBlockSize = 32768;
inline constexpr std::size_t kCabMaxBlocksPerFolder = 65535;
inline constexpr std::size_t kCabMaxNameLength = 255;
inline constexpr std::uint16_t kCabAttributeArchive = 0x20;
inline constexpr std::uint16_t kCabAttributeReadOnly = 0x01;

enum class CabCompression : std::uint16_t { Stored = 0, Mszip = 1 };

struct CabMember {
  std::string Name;         // backslash-separated path inside the cabinet
  std::string SourcePath;   // the bytes come from this file when it is not empty,
  std::string Data;         // otherwise from here
  std::uint64_t Size = 0;   // the file's size (for a source file, checked while reading)
  std::uint16_t DosDate = 0x21;  // 1980-01-01
  std::uint16_t DosTime = 0;
  std::uint16_t Attributes = kCabAttributeArchive;
};

// Applied to every data block's payload after compression and checksumming,
// in block order across all folders; must keep the length.
using CabBlockTransform = std::function<void(std::uint8_t* payload, std::size_t size)>;
// Uncompressed bytes written so far.
using CabProgress = std::function<void(std::uint64_t done)>;

struct CabOptions {
  CabCompression Compression = CabCompression::Mszip;
  int Level = 6;  // zlib level for MSZIP, 1-9
  // A folder holds whole files and at most this many data blocks; more data
  // starts a new folder.
  std::size_t MaxBlocksPerFolder = kCabMaxBlocksPerFolder;
  CabBlockTransform Transform;
  CabProgress Progress;
};

struct CabResult {
  std::uint64_t Size = 0;               // bytes of the cabinet
  std::uint64_t UncompressedBytes = 0;  // sum of the members' sizes
  std::size_t Folders = 0;
  std::uint64_t Blocks = 0;
};

// Writes the cabinet at the sink's current position. Throws BuildError:
// input for members that cannot be read or do not fit the format (more than
// 65535 members, names too long or empty, a member larger than a folder can
// hold), output when the sink fails or the cabinet exceeds 4 GiB.
CabResult WriteCabinet(const std::vector<CabMember>& members, const CabOptions& options,
                       OutputSink& out);

// The cabinet checksum: 32-bit little-endian words XORed into `seed`, a
// 1-3 byte tail folded in with its first byte highest.
std::uint32_t CabChecksum(const std::uint8_t* data, std::size_t size, std::uint32_t seed);
// The checksum of one data block: its payload, then its two size fields.
std::uint32_t CabDataBlockChecksum(const std::uint8_t* payload, std::uint16_t compressedSize,
                                   std::uint16_t uncompressedSize);

}  // namespace cv::build
