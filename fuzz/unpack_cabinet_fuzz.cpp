// The unpack library's core on arbitrary containers, held in memory: the
// first byte chooses scrambling, the cabinet index, the data hook and how
// the engine answers; the rest is the container. Outputs go nowhere.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "unpack/extraction.h"
#include "unpack/file_system.h"

namespace {

using namespace cv::unpack;

class MemoryFile final : public File {
 public:
  MemoryFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(static_cast<std::int64_t>(size)) {}
  int Read(void* buffer, int count) override {
    if (count < 0) return -1;
    const std::int64_t left = position_ < size_ ? size_ - position_ : 0;
    const int got = static_cast<int>(left < count ? left : count);
    if (got > 0) std::memcpy(buffer, data_ + position_, static_cast<std::size_t>(got));
    position_ += got;
    return got;
  }
  int Write(const void*, int count) override { return count; }
  bool Seek(std::int64_t offset, SeekOrigin origin) override {
    const std::int64_t base = origin == SeekOrigin::Start ? 0 : origin == SeekOrigin::Current ? position_ : size_;
    if (base + offset < 0) return false;
    position_ = base + offset;
    return true;
  }
  std::int64_t Tell() override { return position_; }

 private:
  const std::uint8_t* data_;
  std::int64_t size_;
  std::int64_t position_ = 0;
};

class MemoryFileSystem final : public FileSystem {
 public:
  MemoryFileSystem(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::unique_ptr<File> OpenForReading(const std::string& path) override {
    // The container, and (as a set's next cabinet) any other name too.
    if (path.empty()) return nullptr;
    return std::make_unique<MemoryFile>(data_, size_);
  }
  std::unique_ptr<File> CreateForWriting(const std::string&) override {
    return std::make_unique<MemoryFile>(nullptr, 0);
  }
  bool SetDosTime(const std::string&, std::uint16_t, std::uint16_t) override { return true; }
  bool SetAttributes(const std::string&, std::uint32_t) override { return true; }
  bool Remove(const std::string&) override { return true; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

unsigned gOptions = 0;
unsigned gFiles = 0;

std::int32_t CV_STDCALL Notify(std::int32_t type, void* record) {
  switch (type) {
    case kFileToExtract: {
      auto& file = *static_cast<FileRecord*>(record);
      (void)std::strlen(file.Name);
      ++gFiles;
      if ((gOptions & 0x40) && gFiles > 3) return -1;
      if ((gOptions & 0x20) && (gFiles & 1)) return 0;
      std::memcpy(file.OutputPath, "out", 4);
      return 1;
    }
    case kFileComplete:
      return 1;
    case kDataWritten: {
      const auto& progress = *static_cast<ProgressRecord*>(record);
      volatile std::uint8_t first = progress.BytesThisWrite ? *static_cast<const std::uint8_t*>(progress.Data) : 0;
      (void)first;
      return 1;
    }
    case kCabinetNeeded:
      return (gOptions & 0x80) ? 1 : -1;
    default:
      return 0;
  }
}

void CV_STDCALL Hook(void* buffer, std::int32_t count) {
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  for (std::int32_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(bytes[i] ^ 0x11);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  gOptions = data[0];
  gFiles = 0;
  MemoryFileSystem fileSystem(data + 1, size - 1);
  Extraction extraction("C:\\setup\\setup.exe", static_cast<std::int32_t>(gOptions & 3),
                        (gOptions & 4) != 0, fileSystem);
  const std::int32_t result = extraction.Enumerate(&Notify, (gOptions & 8) ? &Hook : nullptr);
  if (result != 0 && result != 1) __builtin_trap();
  return 0;
}
