#include "unpack/cabinet_scan.h"

#include <array>
#include <cstring>
#include <vector>

namespace cv::unpack {
namespace {

// The signature must not appear in this library's own bytes: the engine
// carries the library inside the setup file, and a plain copy of the
// signature there would be taken for the first cabinet. So it is kept
// inverted, and the inversion goes through a volatile so that the compiler
// cannot fold the plain signature back into an instruction's immediate.
constexpr std::array<std::uint8_t, kSignatureSize> kInvertedSignature = {
    0xFF ^ 'M', 0xFF ^ 'S', 0xFF ^ 'C', 0xFF ^ 'F', 0xFF, 0xFF, 0xFF, 0xFF};
volatile std::uint8_t gInvert = 0xFF;

}  // namespace

std::optional<std::int64_t> FindEmbeddedCabinet(File& file, std::uint8_t key,
                                                std::int32_t cabinetIndex) {
  if (cabinetIndex < 0) return std::nullopt;
  std::array<std::uint8_t, kSignatureSize> signature = kInvertedSignature;
  for (auto& byte : signature) byte = static_cast<std::uint8_t>(byte ^ gInvert ^ key);

  std::vector<std::uint8_t> chunk(kScanChunkSize);
  std::int64_t chunkStart = 0;
  std::int64_t hits = 0;
  for (;;) {
    if (!file.Seek(chunkStart, SeekOrigin::Start)) return std::nullopt;
    const int got = file.Read(chunk.data(), kScanChunkSize);
    if (got < 0) return std::nullopt;
    const bool last = got < kScanChunkSize;
    // In a full chunk, positions from its last 16 bytes are looked at again
    // at the start of the next one; in the last chunk every position that
    // still holds eight bytes counts.
    const int end = last ? got - kSignatureSize + 1 : got - kScanOverlap;
    for (int at = 0; at < end;) {
      const void* found = std::memchr(chunk.data() + at, signature[0], static_cast<size_t>(end - at));
      if (!found) break;
      at = static_cast<int>(static_cast<const std::uint8_t*>(found) - chunk.data());
      if (std::memcmp(chunk.data() + at, signature.data(), kSignatureSize) == 0) {
        if (hits == cabinetIndex) return chunkStart + at;
        ++hits;
      }
      ++at;
    }
    if (last) return std::nullopt;
    chunkStart += kScanChunkSize - kScanOverlap;
  }
}

}  // namespace cv::unpack
