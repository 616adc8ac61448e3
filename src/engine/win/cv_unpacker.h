#pragma once
// The engine's side of the unpack library: TcvUnpacker loads the library,
// opens a container with it, and runs one extraction at a time through the
// engine's routines. Cabinet data of a password-protected package is
// deciphered on its way into the decompressor.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/date_time.h"
#include "script/haval.h"
#include "unpack/unpack_api.h"

namespace cv {

// The engine's routines for one extraction; each may be empty.
struct UnpackRoutines {
  // 1 = extract to outputPath (at most 259 characters), 0 = skip, -1 = stop.
  std::function<int(const std::string& name, std::uint32_t size, std::uint32_t attributes,
                    const LocalTime& dateTime, std::string& outputPath)>
      onFileToExtract;
  // -1 = stop, anything else = go on.
  std::function<int(const std::string& name, std::uint32_t size, std::uint32_t attributes,
                    const LocalTime& dateTime, const std::string& outputPath)>
      onFileComplete;
  // true = folder (in/out) now holds the folder of the cabinet.
  std::function<bool(const std::string& cabinetName, std::string& folder)> onCabinetNeeded;
  // -1 = stop (the write fails), anything else = go on.
  std::function<int(const std::string& name, const std::string& outputPath, std::uint32_t fileSize,
                    std::uint32_t bytesThisWrite, std::uint32_t bytesSoFar)>
      onDataWritten;
};

class TcvUnpacker {
 public:
  // Loads the library from Run().UnpackLibraryPath and opens the container.
  TcvUnpacker(const std::string& fileName, bool scrambled, std::int32_t cabinetIndex);
  // The same with the library at libraryPath.
  TcvUnpacker(const std::string& libraryPath, const std::string& fileName, bool scrambled,
              std::int32_t cabinetIndex);
  // Drops the digest, closes the container and unloads the library.
  ~TcvUnpacker();
  TcvUnpacker(const TcvUnpacker&) = delete;
  TcvUnpacker& operator=(const TcvUnpacker&) = delete;

  // Whether the library was loaded with all three entry points.
  bool Loaded() const { return library_ != nullptr; }

  // The password of the package's cabinet data; empty for none.
  void SetPassword(std::string_view text);

  // Extracts with the routines; true when the library reports success (a
  // routine's -1 ends it early and still counts as success). False without
  // a library, when a routine threw, when the engine cannot take a path the
  // library hands it or gives one too long for the library's record, and
  // when another Enumerate is running.
  bool Enumerate(const UnpackRoutines& routines);

  // The HAVAL-256/5 digest of text as 64 upper-case hexadecimal digits.
  static std::string PasswordHash(std::string_view text);

 private:
  void Load(const std::string& libraryPath, const std::string& fileName, bool scrambled,
            std::int32_t cabinetIndex);

  void* library_ = nullptr;  // HMODULE
  unpack::OpenFn open_ = nullptr;
  unpack::EnumerateFn enumerate_ = nullptr;
  unpack::CloseFn close_ = nullptr;
  std::optional<HavalDigest::Digest> digest_;
};

// The date and time of a cabinet entry (DOS date in the high 16 bits, DOS
// time in the low 16), field by field.
LocalTime DosDateTimeToLocalTime(std::uint32_t dosDateTime);

}  // namespace cv
