#include "cab_writer.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>
#include <tuple>

#include "build_error.h"

namespace cv::build {
namespace {

constexpr std::size_t kHeaderSize = 36;
constexpr std::size_t kFolderSize = 8;
constexpr std::size_t kFileFixedSize = 16;
constexpr std::size_t kDataHeaderSize = 8;
constexpr std::size_t kMaxMembers = 65535;

void Put16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
  Put16(at, value & 0xFFFF);
  Put16(at + 2, value >> 16);
}

struct FolderPlan {
  std::size_t First = 0;  // index of its first member
  std::size_t Count = 0;
  std::uint64_t Bytes = 0;
  std::uint64_t Blocks = 0;
};

std::uint64_t BlocksFor(std::uint64_t bytes) {
  return (bytes + kCabBlockSize - 1) / kCabBlockSize;
}

std::vector<FolderPlan> PlanFolders(const std::vector<CabMember>& members,
                                    std::size_t maxBlocks) {
  std::vector<FolderPlan> folders;
  FolderPlan current;
  for (std::size_t i = 0; i < members.size(); ++i) {
    const std::uint64_t size = members[i].Size;
    if (BlocksFor(size) > maxBlocks) {
      ThrowInput(members[i].Name + " is too large for a cabinet (" + std::to_string(size) +
                 " bytes)");
    }
    if (current.Count > 0 && BlocksFor(current.Bytes + size) > maxBlocks) {
      folders.push_back(current);
      current = FolderPlan{};
    }
    if (current.Count == 0) current.First = i;
    ++current.Count;
    current.Bytes += size;
  }
  folders.push_back(current);
  for (FolderPlan& folder : folders) folder.Blocks = BlocksFor(folder.Bytes);
  return folders;
}

void CheckMembers(const std::vector<CabMember>& members) {
  if (members.size() > kMaxMembers) {
    ThrowInput("a cabinet holds at most 65535 files, this one would hold " +
               std::to_string(members.size()));
  }
  for (const CabMember& member : members) {
    if (member.Name.empty() || member.Name.size() > kCabMaxNameLength) {
      ThrowInput("cabinet member name \"" + member.Name + "\" must have 1 to 255 characters");
    }
    if (member.Name.find('\0') != std::string::npos) {
      ThrowInput("cabinet member name \"" + member.Name + "\" holds a zero byte");
    }
    if (member.SourcePath.empty() && member.Data.size() != member.Size) {
      ThrowInput("cabinet member " + member.Name + ": size does not match its data");
    }
    if (member.Size > std::numeric_limits<std::uint32_t>::max()) {
      ThrowInput(member.Name + " is larger than 4 GiB");
    }
  }
}

// Reads the members of one folder in sequence, in pieces of any size.
class MemberReader {
 public:
  MemberReader(const std::vector<CabMember>& members, std::size_t first, std::size_t count)
      : members_(members), next_(first), end_(first + count) {}
  MemberReader(const MemberReader&) = delete;
  MemberReader& operator=(const MemberReader&) = delete;
  ~MemberReader() { CloseFile(); }

  // Fills `buffer` with up to `size` bytes; fewer only at the folder's end.
  std::size_t Read(std::uint8_t* buffer, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
      if (!current_ && !OpenNext()) break;
      const std::uint64_t left = current_->Size - offset_;
      const std::size_t want =
          static_cast<std::size_t>(std::min<std::uint64_t>(left, size - filled));
      if (want > 0) {
        if (file_) {
          if (std::fread(buffer + filled, 1, want, file_) != want) {
            ThrowInput("cannot read " + current_->SourcePath + " (changed or unreadable)");
          }
        } else {
          std::memcpy(buffer + filled, current_->Data.data() + offset_, want);
        }
        filled += want;
        offset_ += want;
      }
      if (offset_ == current_->Size) FinishCurrent();
    }
    return filled;
  }

 private:
  bool OpenNext() {
    if (next_ >= end_) return false;
    current_ = &members_[next_++];
    offset_ = 0;
    if (!current_->SourcePath.empty()) {
      file_ = std::fopen(current_->SourcePath.c_str(), "rb");
      if (!file_) ThrowInput("cannot open " + current_->SourcePath);
    }
    return true;
  }

  void FinishCurrent() {
    if (file_ && std::fgetc(file_) != EOF) {
      ThrowInput(current_->SourcePath + " grew while it was being packed");
    }
    CloseFile();
    current_ = nullptr;
  }

  void CloseFile() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
  }

  const std::vector<CabMember>& members_;
  std::size_t next_;
  std::size_t end_;
  const CabMember* current_ = nullptr;
  std::uint64_t offset_ = 0;
  std::FILE* file_ = nullptr;
};

// MSZIP blocks: "CK" and a raw deflate stream of one block's data, primed
// with the folder's previous 32 KiB.
class MszipCompressor {
 public:
  explicit MszipCompressor(int level) {
    std::memset(&stream_, 0, sizeof stream_);
    if (deflateInit2(&stream_, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
      throw std::runtime_error("cannot start the deflate compressor");
    }
    output_.resize(2 + deflateBound(&stream_, kCabBlockSize));
  }
  MszipCompressor(const MszipCompressor&) = delete;
  MszipCompressor& operator=(const MszipCompressor&) = delete;
  ~MszipCompressor() { deflateEnd(&stream_); }

  void StartFolder() { history_.clear(); }

  // The payload for `size` bytes of data; valid until the next call.
  std::pair<std::uint8_t*, std::size_t> Compress(const std::uint8_t* data, std::size_t size) {
    deflateReset(&stream_);
    if (!history_.empty()) {
      deflateSetDictionary(&stream_, reinterpret_cast<const Bytef*>(history_.data()),
                           static_cast<uInt>(history_.size()));
    }
    output_[0] = 'C';
    output_[1] = 'K';
    stream_.next_in = const_cast<Bytef*>(data);
    stream_.avail_in = static_cast<uInt>(size);
    stream_.next_out = output_.data() + 2;
    stream_.avail_out = static_cast<uInt>(output_.size() - 2);
    if (deflate(&stream_, Z_FINISH) != Z_STREAM_END) {
      throw std::runtime_error("deflate did not finish a block");
    }
    const std::size_t produced = output_.size() - stream_.avail_out;
    Remember(data, size);
    return {output_.data(), produced};
  }

 private:
  void Remember(const std::uint8_t* data, std::size_t size) {
    if (size >= kCabBlockSize) {
      history_.assign(reinterpret_cast<const char*>(data + size - kCabBlockSize), kCabBlockSize);
      return;
    }
    history_.append(reinterpret_cast<const char*>(data), size);
    if (history_.size() > kCabBlockSize) history_.erase(0, history_.size() - kCabBlockSize);
  }

  z_stream stream_;
  std::vector<std::uint8_t> output_;
  std::string history_;
};

}  // namespace

std::uint32_t CabChecksum(const std::uint8_t* data, std::size_t size, std::uint32_t seed) {
  std::uint32_t sum = seed;
  std::size_t i = 0;
  for (; i + 4 <= size; i += 4) {
    sum ^= static_cast<std::uint32_t>(data[i]) | static_cast<std::uint32_t>(data[i + 1]) << 8 |
           static_cast<std::uint32_t>(data[i + 2]) << 16 |
           static_cast<std::uint32_t>(data[i + 3]) << 24;
  }
  std::uint32_t tail = 0;
  for (; i < size; ++i) tail = (tail << 8) | data[i];
  return sum ^ tail;
}

std::uint32_t CabDataBlockChecksum(const std::uint8_t* payload, std::uint16_t compressedSize,
                                   std::uint16_t uncompressedSize) {
  std::uint8_t sizes[4];
  Put16(sizes, compressedSize);
  Put16(sizes + 2, uncompressedSize);
  return CabChecksum(sizes, 4, CabChecksum(payload, compressedSize, 0));
}

CabResult WriteCabinet(const std::vector<CabMember>& members, const CabOptions& options,
                       OutputSink& out) {
  CheckMembers(members);
  if (options.MaxBlocksPerFolder == 0 || options.MaxBlocksPerFolder > kCabMaxBlocksPerFolder) {
    throw std::invalid_argument("data blocks per folder must be 1 to 65535");
  }
  const std::vector<FolderPlan> folders = PlanFolders(members, options.MaxBlocksPerFolder);
  const std::uint64_t start = out.Position();

  // Header, folders and files; the cabinet's size and the folders' data
  // offsets are filled in at the end.
  std::size_t filesSize = 0;
  for (const CabMember& member : members) filesSize += kFileFixedSize + member.Name.size() + 1;
  const std::size_t tablesSize = kHeaderSize + kFolderSize * folders.size() + filesSize;
  std::vector<std::uint8_t> tables(tablesSize, 0);
  std::uint8_t* header = tables.data();
  std::memcpy(header, "MSCF", 4);
  Put32(header + 16, static_cast<std::uint32_t>(kHeaderSize + kFolderSize * folders.size()));
  header[24] = 3;  // format version 1.3
  header[25] = 1;
  Put16(header + 26, static_cast<std::uint32_t>(folders.size()));
  Put16(header + 28, static_cast<std::uint32_t>(members.size()));
  for (std::size_t f = 0; f < folders.size(); ++f) {
    std::uint8_t* entry = header + kHeaderSize + kFolderSize * f;
    Put16(entry + 4, static_cast<std::uint32_t>(folders[f].Blocks));
    Put16(entry + 6, static_cast<std::uint32_t>(options.Compression));
  }
  std::uint8_t* file = header + kHeaderSize + kFolderSize * folders.size();
  for (std::size_t f = 0; f < folders.size(); ++f) {
    std::uint64_t offset = 0;
    for (std::size_t i = folders[f].First; i < folders[f].First + folders[f].Count; ++i) {
      const CabMember& member = members[i];
      Put32(file, static_cast<std::uint32_t>(member.Size));
      Put32(file + 4, static_cast<std::uint32_t>(offset));
      Put16(file + 8, static_cast<std::uint32_t>(f));
      Put16(file + 10, member.DosDate);
      Put16(file + 12, member.DosTime);
      Put16(file + 14, member.Attributes);
      std::memcpy(file + kFileFixedSize, member.Name.data(), member.Name.size());
      file += kFileFixedSize + member.Name.size() + 1;
      offset += member.Size;
    }
  }
  out.Write(tables.data(), tables.size());

  CabResult result;
  result.Folders = folders.size();
  std::unique_ptr<MszipCompressor> mszip;
  if (options.Compression == CabCompression::Mszip) {
    mszip = std::make_unique<MszipCompressor>(std::clamp(options.Level, 1, 9));
  }
  std::vector<std::uint8_t> data(kCabBlockSize);
  std::vector<std::uint8_t> block(kDataHeaderSize);
  std::vector<std::uint64_t> folderStarts;
  for (const FolderPlan& folder : folders) {
    folderStarts.push_back(out.Position() - start);
    if (mszip) mszip->StartFolder();
    MemberReader reader(members, folder.First, folder.Count);
    for (std::uint64_t b = 0; b < folder.Blocks; ++b) {
      const std::size_t size = reader.Read(data.data(), kCabBlockSize);
      std::uint8_t* payload = data.data();
      std::size_t payloadSize = size;
      if (mszip) std::tie(payload, payloadSize) = mszip->Compress(data.data(), size);
      block.resize(kDataHeaderSize + payloadSize);
      std::memcpy(block.data() + kDataHeaderSize, payload, payloadSize);
      const auto compressed = static_cast<std::uint16_t>(payloadSize);
      const auto uncompressed = static_cast<std::uint16_t>(size);
      Put32(block.data(), CabDataBlockChecksum(block.data() + kDataHeaderSize, compressed,
                                               uncompressed));
      Put16(block.data() + 4, compressed);
      Put16(block.data() + 6, uncompressed);
      if (options.Transform) options.Transform(block.data() + kDataHeaderSize, payloadSize);
      out.Write(block.data(), block.size());
      result.UncompressedBytes += size;
      ++result.Blocks;
      if (options.Progress) options.Progress(result.UncompressedBytes);
    }
    // Everything the plan counted on must have arrived.
    std::uint8_t extra;
    if (reader.Read(&extra, 1) != 0) ThrowInput("a file grew while it was being packed");
  }

  result.Size = out.Position() - start;
  if (result.Size > std::numeric_limits<std::uint32_t>::max()) {
    ThrowOutput("a cabinet would be larger than 4 GiB");
  }
  std::uint8_t field[4];
  Put32(field, static_cast<std::uint32_t>(result.Size));
  out.Overwrite(start + 8, field, 4);
  for (std::size_t f = 0; f < folders.size(); ++f) {
    Put32(field, static_cast<std::uint32_t>(folderStarts[f]));
    out.Overwrite(start + kHeaderSize + kFolderSize * f, field, 4);
  }
  return result;
}

}  // namespace cv::build
