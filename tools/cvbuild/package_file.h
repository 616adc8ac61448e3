#pragma once
// One package file: the engine program (setup file only), cabinet 0 with
// what the engine needs before installing, cabinet 1 with the files to
// install, the 28-byte header, the end marker "CVPEND" and the header
// variables. Cabinet bytes may be scrambled (XOR 0xA7); the data cabinet's
// block payloads may be enciphered with the package password, one cipher
// stream across all blocks in order, as the engine deciphers one extraction;
// such a data cabinet must fit one folder.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cab_writer.h"
#include "output_sink.h"

namespace cv::build {

inline constexpr std::uint8_t kScrambleKey = 0xA7;
inline constexpr std::int32_t kFlagScrambled = 1;
inline constexpr std::string_view kEndMarker = "CVPEND";
inline constexpr std::size_t kHeaderSize = 28;

struct PackageHeader {
  std::uint32_t EngineSize = 0;
  std::uint32_t PackageSize = 0;  // up to and including the end marker
  std::int32_t Flags = 0;
  std::int64_t PresetupSize = 0;  // bytes of cabinet 0's files
  std::int64_t DataSize = 0;      // bytes of cabinet 1's files
};

std::string EncodeHeader(const PackageHeader& header);

// The header and header variables of a package file's bytes, found as the
// engine finds them (the last end marker within the last 64 KiB); nullopt
// when there is no marker.
struct PackageTrailer {
  PackageHeader Header;
  std::string Variables;
};
std::optional<PackageTrailer> ReadPackageTrailer(std::string_view fileTail);

struct PackageContent {
  std::string EnginePath;  // empty for a ".cvp" package
  std::vector<CabMember> Presetup;
  std::vector<CabMember> Data;
  std::int32_t Flags = 0;  // scrambling is added when requested
  bool Scramble = false;
  std::string Password;  // enciphers the data cabinet when not empty
  CabOptions Cabinet;    // compression and folder limit of both cabinets
  std::string HeaderVariables;
};

struct PackageResult {
  PackageHeader Header;
  std::uint64_t FileSize = 0;
  std::uint64_t Cabinet0Offset = 0;
  std::uint64_t Cabinet1Offset = 0;
  CabResult Cabinet0;
  CabResult Cabinet1;
};

// Writes the package at the start of `out`. The data cabinet's progress goes
// to content.Cabinet.Progress.
PackageResult WritePackage(const PackageContent& content, OutputSink& out);

// Offsets of the first `count` cabinet signatures ("MSCF" and four zero
// bytes, each byte XOR `key`) in a file, found as the engine's unpack
// library finds them.
std::vector<std::uint64_t> FindCabinetSignatures(const std::string& path, std::uint8_t key,
                                                 std::size_t count);

}  // namespace cv::build
