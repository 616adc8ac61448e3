#include "engine/win/cv_unpacker.h"

#include <windows.h>

#include <cstring>

#include "engine/run_state.h"
#include "script/gost.h"
#include "script/package_password.h"
#include "platform/win/file_system.h"

namespace cv {
namespace {

// The one extraction running in this process: the library calls back
// through plain routines, which find the engine's routines and the cipher
// here. Extractions never overlap.
struct ActiveExtraction {
  const UnpackRoutines* routines = nullptr;
  bool failed = false;  // a routine threw, or an answer could not be handed on
  bool decipher = false;
  GostCipher cipher;
};

ActiveExtraction* gActive = nullptr;

std::string BufferText(const char* buffer) {
  const void* end = std::memchr(buffer, 0, unpack::kPathBufferSize);
  return std::string(buffer, end ? static_cast<const char*>(end) : buffer + unpack::kPathBufferSize);
}

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

std::int32_t FileToExtract(const UnpackRoutines& routines, unpack::FileRecord& file,
                           ActiveExtraction& active) {
  if (!routines.onFileToExtract) return 0;
  std::string outputPath;
  const int answer = routines.onFileToExtract(file.Name ? file.Name : "", file.Size, file.Attributes,
                                              DosDateTimeToLocalTime(file.DateTime), outputPath);
  if (answer == 1 && !outputPath.empty()) {
    // The record holds 259 characters and the zero: a longer path cannot be
    // extracted to, and skipping the file silently would lose it.
    if (outputPath.size() >= unpack::kPathBufferSize) {
      active.failed = true;
      return -1;
    }
    std::memcpy(file.OutputPath, outputPath.c_str(), outputPath.size() + 1);
  }
  return answer;
}

std::int32_t CabinetNeeded(const UnpackRoutines& routines, unpack::CabinetRecord& cabinet) {
  std::string folder = BufferText(cabinet.Folder);
  const std::string name = cabinet.CabinetName ? cabinet.CabinetName : "";
  bool found = FileExists(WithBackslash(folder) + name);
  if (!found && routines.onCabinetNeeded) found = routines.onCabinetNeeded(name, folder);
  if (!found) return -1;
  folder = WithBackslash(folder);
  if (folder.size() >= unpack::kPathBufferSize) return -1;
  std::memcpy(cabinet.Folder, folder.c_str(), folder.size() + 1);
  return 1;
}

// The notification callback given to the library. No exception may leave
// it: the library's frames cannot pass one on.
std::int32_t CV_STDCALL Dispatch(std::int32_t type, void* record) noexcept {
  if (type < unpack::kFileToExtract || type > unpack::kCabinetNeeded) return 0;
  ActiveExtraction* active = gActive;
  // After a failure every notification stops the extraction.
  if (!active || !record || active->failed) return -1;
  const UnpackRoutines& routines = *active->routines;
  try {
    switch (type) {
      case unpack::kFileToExtract:
        return FileToExtract(routines, *static_cast<unpack::FileRecord*>(record), *active);
      case unpack::kFileComplete: {
        const auto& file = *static_cast<unpack::FileRecord*>(record);
        if (!routines.onFileComplete) return 1;
        return routines.onFileComplete(file.Name ? file.Name : "", file.Size, file.Attributes,
                                       DosDateTimeToLocalTime(file.DateTime),
                                       BufferText(file.OutputPath));
      }
      case unpack::kDataWritten: {
        const auto& progress = *static_cast<unpack::ProgressRecord*>(record);
        if (!routines.onDataWritten) return 1;
        return routines.onDataWritten(progress.Name ? progress.Name : "",
                                      progress.OutputPath ? progress.OutputPath : "",
                                      progress.FileSize, progress.BytesThisWrite, progress.BytesSoFar);
      }
      default:
        return CabinetNeeded(routines, *static_cast<unpack::CabinetRecord*>(record));
    }
  } catch (...) {
    active->failed = true;
    return -1;
  }
}

// The data hook: deciphers each block's payload in place, one stream over
// the whole extraction.
void CV_STDCALL DecipherBlock(void* buffer, std::int32_t count) noexcept {
  ActiveExtraction* active = gActive;
  if (!active || !active->decipher || !buffer || count <= 0) return;
  active->cipher.DecryptCBC(buffer, buffer, static_cast<std::size_t>(count));
}

}  // namespace

LocalTime DosDateTimeToLocalTime(std::uint32_t dosDateTime) {
  const std::uint32_t date = dosDateTime >> 16;
  const std::uint32_t time = dosDateTime & 0xFFFF;
  LocalTime value;
  value.Year = 1980 + static_cast<int>(date >> 9);
  value.Month = static_cast<int>((date >> 5) & 0x0F);
  value.Day = static_cast<int>(date & 0x1F);
  value.Hour = static_cast<int>(time >> 11);
  value.Minute = static_cast<int>((time >> 5) & 0x3F);
  value.Second = static_cast<int>(time & 0x1F) * 2;
  return value;
}

TcvUnpacker::TcvUnpacker(const std::string& fileName, bool scrambled, std::int32_t cabinetIndex) {
  Load(Run().UnpackLibraryPath, fileName, scrambled, cabinetIndex);
}

TcvUnpacker::TcvUnpacker(const std::string& libraryPath, const std::string& fileName,
                         bool scrambled, std::int32_t cabinetIndex) {
  Load(libraryPath, fileName, scrambled, cabinetIndex);
}

void TcvUnpacker::Load(const std::string& libraryPath, const std::string& fileName, bool scrambled,
                       std::int32_t cabinetIndex) {
  HMODULE module = LoadLibraryA(libraryPath.c_str());
  if (!module) return;
  open_ = reinterpret_cast<unpack::OpenFn>(reinterpret_cast<void*>(GetProcAddress(module, "Open")));
  enumerate_ = reinterpret_cast<unpack::EnumerateFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "Enumerate")));
  close_ = reinterpret_cast<unpack::CloseFn>(reinterpret_cast<void*>(GetProcAddress(module, "Close")));
  if (!open_ || !enumerate_ || !close_) {
    FreeLibrary(module);
    open_ = nullptr;
    enumerate_ = nullptr;
    close_ = nullptr;
    return;
  }
  library_ = module;
  // A failed Open shows up as a failed Enumerate.
  open_(fileName.c_str(), cabinetIndex, scrambled ? -1 : 0);
}

TcvUnpacker::~TcvUnpacker() {
  SetPassword({});
  if (library_) {
    close_();
    FreeLibrary(static_cast<HMODULE>(library_));
  }
}

void TcvUnpacker::SetPassword(std::string_view text) {
  if (digest_) SecureZeroMemory(digest_->data(), digest_->size());
  digest_.reset();
  if (!text.empty()) digest_ = PasswordKey(text);
}

bool TcvUnpacker::Enumerate(const UnpackRoutines& routines) {
  if (!library_ || gActive) return false;
  ActiveExtraction active;
  active.routines = &routines;
  // The cipher state is wiped however the call ends.
  struct Wipe {
    ActiveExtraction& active;
    ~Wipe() {
      active.cipher.Burn();
      active.decipher = false;
      gActive = nullptr;
    }
  } wipe{active};
  if (digest_) active.decipher = active.cipher.Init(digest_->data(), 256);
  gActive = &active;
  std::int32_t result = 0;
  try {
    // Without a password the hook would pass the bytes unchanged; leaving it
    // out also spares the library decoding the files the engine skips.
    result = enumerate_(&Dispatch, active.decipher ? &DecipherBlock : nullptr);
  } catch (...) {
    return false;
  }
  return result != 0 && !active.failed;
}

std::string TcvUnpacker::PasswordHash(std::string_view text) { return cv::PasswordHash(text); }

}  // namespace cv
