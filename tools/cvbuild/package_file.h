#pragma once
// One package file: the engine program (setup file only), cabinet 0 with
// what the engine needs before installing, cabinet 1 with the files to
// install, the 28-byte header, the end marker "CVPEND" and the header
// variables. Cabinet bytes may be scrambled (XOR 0xA7); the data cabinet's
// block payloads may be enciphered with the package password, one cipher
// stream across all blocks in order, as the engine deciphers one extraction;
// such a data cabinet must fit one folder.

#include <cstdint>
#include <string>
#include <vector>

#include "cab_writer.h"
#include "engine/package_header.h"
#include "output_sink.h"
#include "unpack/extraction.h"

namespace cv::build {

// The engine's unpack library unscrambles with this key when the header's
// kPackageScrambled flag is set.
inline constexpr std::uint8_t kScrambleKey = unpack::Extraction::kScrambleKey;

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

// Offsets of the first `count` embedded cabinets of a file (fewer when the
// file holds fewer), found by the engine's unpack library itself.
std::vector<std::uint64_t> FindEmbeddedCabinets(const std::string& path, std::uint8_t key,
                                                std::size_t count);

}  // namespace cv::build
