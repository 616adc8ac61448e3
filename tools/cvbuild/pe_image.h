#pragma once
// A Windows program or library read as bytes, on any host: its headers,
// sections and data directories, with every read checked against the end of
// the image. Anything malformed reads as absent.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace cv::build {

// Bounds-checked little-endian reads; nullopt past the end.
class PeBytes {
 public:
  explicit PeBytes(std::string_view data) : data_(data) {}
  std::size_t Size() const { return data_.size(); }
  std::optional<std::uint32_t> U16(std::uint64_t at) const { return Read(at, 2); }
  std::optional<std::uint32_t> U32(std::uint64_t at) const { return Read(at, 4); }
  std::optional<std::uint64_t> U64(std::uint64_t at) const;
  // The zero-terminated text at `at`, at most `limit` bytes; nullopt when it
  // does not end inside the image.
  std::optional<std::string_view> Text(std::uint64_t at, std::size_t limit) const;

 private:
  std::optional<std::uint32_t> Read(std::uint64_t at, int width) const;
  std::string_view data_;
};

// Indexes of the data directories used here.
enum class PeDirectory : std::uint32_t { Import = 1, Resource = 2 };

class PeImage {
 public:
  explicit PeImage(std::string_view image);

  // False when the headers are not those of a PE image.
  bool Valid() const { return valid_; }
  // PE32+ (64-bit) rather than PE32.
  bool Wide() const { return wide_; }
  const PeBytes& Bytes() const { return bytes_; }
  // The directory's RVA; nullopt when the image has none.
  std::optional<std::uint32_t> Directory(PeDirectory directory) const;
  // The file offset of an RVA; nullopt when it lies in no section's stored bytes.
  std::optional<std::uint64_t> RvaToOffset(std::uint32_t rva) const;

 private:
  struct Section {
    std::uint32_t VirtualAddress;
    std::uint32_t VirtualSize;
    std::uint32_t RawSize;
    std::uint32_t RawOffset;
  };
  bool ReadHeaders();

  PeBytes bytes_;
  bool valid_ = false;
  bool wide_ = false;
  std::vector<std::uint32_t> directories_;
  std::vector<Section> sections_;
};

}  // namespace cv::build
