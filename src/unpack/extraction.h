#pragma once
// One extraction context of the unpack library: a container file, which of
// its embedded cabinets is meant and whether its bytes are scrambled. Enumerate
// walks the cabinet (and the rest of its set) with libmspack, asking the
// engine through the notification callback what to do with each file.
//
// The I/O that libmspack sees goes through this class's own file routines:
// every cabinet it opens for reading is found inside its file (the
// index+1-th signature), its bytes are unscrambled while read, positions are
// relative to the cabinet's start, and the compressed payload of each data
// block is handed to the data hook right after it is read, before libmspack
// checks the block's checksum. A stored checksum therefore covers the bytes
// as the hook leaves them (deciphered data); a builder that cannot compute it
// writes zero, which libmspack does not check.

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "unpack/background_writer.h"
#include "unpack/file_system.h"
#include "unpack/unpack_api.h"

struct mscab_decompressor;
struct mscabd_cabinet;
struct mscabd_file;

namespace cv::unpack {

class Extraction {
 public:
  // How often a cabinet that cannot be opened is asked for again after the
  // engine has answered that it supplied its folder.
  static constexpr int kMaxCabinetRequests = 4;
  static constexpr std::uint8_t kScrambleKey = 0xA7;
  // libmspack's input buffer, and so the size of its reads and writes of
  // stored data.
  static constexpr int kDecompressionBuffer = 64 * 1024;

  Extraction(std::string container, std::int32_t cabinetIndex, bool scrambled,
             FileSystem& fileSystem = NativeFileSystem());
  ~Extraction();
  Extraction(const Extraction&) = delete;
  Extraction& operator=(const Extraction&) = delete;

  // Whether libmspack's decompressor exists.
  bool Valid() const { return decompressor_ != nullptr; }

  // 1 on success, also when a notification answered -1; 0 on failure.
  // Never throws.
  std::int32_t Enumerate(NotifyCallback notify, DataHook hook) noexcept;

  // For libmspack's file routines.
  struct Handle;
  struct System;
  Handle* OpenFileRoutine(const char* path, int mode);
  int ReadRoutine(Handle& handle, void* buffer, int count);
  int WriteRoutine(Handle& handle, const void* data, int count);
  void CloseRoutine(Handle* handle);

 private:
  enum class Outcome { Done, Stopped, AskForFolder, Failed };

  Outcome ExtractSet(const std::string& firstCabinet);
  Outcome AttemptCabinet(const std::string& cabinetName);
  Outcome ProcessFile(mscabd_file* file, mscabd_cabinet*& tail, bool& setJoined);
  Outcome JoinFollowingCabinets(mscabd_cabinet*& tail, bool& setJoined);
  Outcome OpenCabinet(const std::string& name, mscabd_cabinet*& cabinet);
  Outcome ExtractTo(mscabd_file* file, const std::string& outputPath, bool discard);
  static Outcome Classify(int error);
  bool AskForCabinet(const std::string& name);
  const char* StorePath(const std::string& path);
  std::int32_t Notify(std::int32_t type, void* record);

  std::string container_;
  std::int32_t cabinetIndex_;
  std::uint8_t key_;
  FileSystem& fileSystem_;
  std::unique_ptr<System> system_;
  mscab_decompressor* decompressor_ = nullptr;

  // State of one Enumerate call.
  NotifyCallback notify_ = nullptr;
  DataHook hook_ = nullptr;
  std::string folder_;
  std::string nextCabinet_;
  bool stopped_ = false;           // a notification answered -1
  bool extracting_ = false;        // inside libmspack's extract
  bool discardOutput_ = false;     // the file is decoded but not written
  bool outputCreated_ = false;
  bool writeFailed_ = false;       // a write to the output file failed
  // Writes the output files while the next blocks are decoded; exists for
  // the duration of one Enumerate call.
  std::unique_ptr<BackgroundWriter> writer_;
  std::vector<std::unique_ptr<std::string>> paths_;  // names libmspack keeps pointers to
  std::set<std::pair<std::string, std::int64_t>> hookedBlocks_;
  // Where each cabinet joined to an earlier pass was found (by folded name).
  std::map<std::string, std::string> located_;
  FileRecord fileRecord_{};
  ProgressRecord progress_{};
  CabinetRecord cabinetRecord_{};
};

}  // namespace cv::unpack
