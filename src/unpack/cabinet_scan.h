#pragma once
// Finding a cabinet embedded in a larger file (a setup program with its
// package appended, a package file).

#include <cstdint>
#include <optional>

#include "unpack/file_system.h"

namespace cv::unpack {

constexpr int kScanChunkSize = 262144;
// Consecutive chunks overlap by this much, so no signature is split.
constexpr int kScanOverlap = 16;
// "MSCF" and the four zero bytes of the reserved field that follows it.
constexpr int kSignatureSize = 8;

// The offset of the cabinet with the given index (0 for the first): the
// position of the index+1-th eight-byte cabinet signature in the file, every
// byte of it XOR key. Reads the file from its start; the file position is
// left anywhere.
std::optional<std::int64_t> FindEmbeddedCabinet(File& file, std::uint8_t key,
                                                std::int32_t cabinetIndex);

}  // namespace cv::unpack
