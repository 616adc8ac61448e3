#pragma once
// The end of a package file: a 28-byte header and the marker "CVPEND", then
// the header variables as XML text. The engine finds the header from the end
// of the file, so the cabinets before it never have to be parsed for it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cv {

class TcvVariables;

inline constexpr std::string_view kPackageEndMarker = "CVPEND";
inline constexpr std::size_t kPackageHeaderSize = 28;
// The marker is looked for only this far from the end of the file, so the
// header variables may not be longer than this less the marker.
inline constexpr std::size_t kEndMarkerSearchSpan = 65536;

// Bits of PackageHeader::Flags.
enum PackageFlag : std::int32_t {
  kPackageScrambled = 1,         // every cabinet byte is stored XOR 0xA7
  kPackageNoProgressWindow = 2,  // presetup shows the splash at most
  kPackageSilentPresetup = 4,    // presetup shows nothing and does not pause
};

struct PackageHeader {
  std::uint32_t EngineSize = 0;   // bytes of the engine program before the cabinets
  std::uint32_t PackageSize = 0;  // the file up to and including the end marker
  std::int32_t Flags = 0;
  std::int64_t PresetupSize = 0;  // bytes the presetup extracts
  std::int64_t DataSize = 0;      // bytes of the data cabinet's files
};

// Little-endian, field by field in declaration order.
PackageHeader DecodePackageHeader(const unsigned char* bytes);
void EncodePackageHeader(const PackageHeader& header, unsigned char* bytes);

// The number of bytes after the last end marker in `tail` (the last bytes of
// a file), searched from the end; nothing when `tail` holds no marker.
std::optional<std::size_t> TrailerLengthAfterMarker(std::string_view tail);

// How many bytes from the end of a file the trailer can need: the searched
// span and the header that may stand just before it.
inline constexpr std::size_t kPackageTrailerReadSize = kEndMarkerSearchSpan + kPackageHeaderSize;

// What the end of a package file says.
struct PackageTrailer {
  PackageHeader Header;
  std::uint64_t ExpectedSize = 0;  // of the whole file
  std::string Variables;           // the header variables' XML text
};

// Reads the trailer from `end`, the last bytes of a file of `fileSize` bytes
// (the last kPackageTrailerReadSize of them, or the whole file when it is
// shorter). Nothing when the marker is missing from the searched span or
// stands too near the start of the file for a header.
std::optional<PackageTrailer> ParsePackageTrailer(std::string_view end, std::uint64_t fileSize);

// Merges the header variables' XML (root "variables") into `variables`.
// Text that does not parse is ignored, keeping what was read before the
// error: header variables are extras a package may carry, never needed to
// install it.
void LoadHeaderVariables(TcvVariables& variables, std::string_view text);

// The file of a further package: its FileName with the extension replaced
// by ".cvp" ("docs" and "docs.pkg" both give "docs.cvp"). The engine and
// the builder name package files through this one rule.
std::string PackageFileName(std::string_view fileName);

}  // namespace cv
