#pragma once
// Where a ranged read (ReadFileRange) lies in a file of a given size: the
// same arithmetic for every platform's file routines.

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace cv {

struct FileRangePlace {
  std::uint64_t Start = 0;  // first byte read
  std::size_t Count = 0;    // bytes of the range inside the file
};

// `offset` counts from the start, or back from the end when negative; a
// range that would begin before the start begins at the start, and one
// that reaches beyond the end stops there.
inline FileRangePlace PlaceFileRange(std::uint64_t total, std::int64_t offset, std::size_t count) {
  FileRangePlace place;
  if (offset >= 0) {
    place.Start = std::min<std::uint64_t>(static_cast<std::uint64_t>(offset), total);
  } else {
    // -(offset + 1) + 1 cannot overflow, even for the smallest offset.
    const std::uint64_t back = static_cast<std::uint64_t>(-(offset + 1)) + 1;
    place.Start = back > total ? 0 : total - back;
  }
  place.Count = static_cast<std::size_t>(std::min<std::uint64_t>(count, total - place.Start));
  return place;
}

}  // namespace cv
