#pragma once
// Extracting what the builder writes with the engine's own unpack core (the
// portable Extraction of the unpack library), driven as the engine drives it:
// the presetup stops at the first "data\" entry, a password-protected data
// cabinet is deciphered by the data hook with one GOST-CBC chain across all
// blocks.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "unpack/file_system.h"

namespace cv::test {

struct CoreExtractionOptions {
  std::int32_t CabinetIndex = 0;
  bool Scrambled = false;
  std::string Password;     // not empty: the data hook deciphers with its key
  bool StopAtData = false;  // as the presetup does for cabinet 0
};

struct CoreExtractionResult {
  std::int32_t Result = 0;         // Enumerate's answer
  std::vector<std::string> Names;  // entries offered, in order
};

// Extracts `container` into `folder` (created as needed), each entry under
// its name with backslashes turned into slashes; the files go through
// `fileSystem`.
CoreExtractionResult ExtractWithCore(const std::string& container, const std::string& folder,
                                     const CoreExtractionOptions& options,
                                     unpack::FileSystem& fileSystem = unpack::NativeFileSystem());

}  // namespace cv::test
