// The native Linux build's stand-in: stdio. Linux has no share modes and no
// read-only attribute that stops a delete, so those parts have nothing to do.

#include "platform/file_io.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>

#include "platform/file_range.h"

namespace cv {

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > bytes.max_size()) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  bool complete = false;
  try {
    bytes.assign(static_cast<std::size_t>(size), '\0');
    complete = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
  } catch (const std::bad_alloc&) {
    bytes.clear();
  }
  std::fclose(file);
  return complete;
}

bool ReadFileRange(const std::string& path, std::int64_t offset, std::size_t count,
                   std::string& bytes, std::uint64_t* fileSize) {
  bytes.clear();
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  const std::uintmax_t total = std::filesystem::file_size(path, error);
  if (error) return false;
  if (fileSize) *fileSize = total;
  const FileRangePlace place = PlaceFileRange(total, offset, count);
  const std::uint64_t start = place.Start;
  const std::size_t wanted = place.Count;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  bool complete = false;
  try {
    bytes.assign(wanted, '\0');
    complete = fseeko(file, static_cast<off_t>(start), SEEK_SET) == 0 &&
               std::fread(bytes.data(), 1, wanted, file) == wanted;
  } catch (const std::bad_alloc&) {
    complete = false;
  }
  std::fclose(file);
  if (!complete) bytes.clear();
  return complete;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  std::error_code error;
  std::filesystem::remove(path, error);  // fails harmlessly when absent
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool complete = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  // Buffered bytes are only known to be written once the file is closed.
  return std::fclose(file) == 0 && complete;
}

}  // namespace cv
