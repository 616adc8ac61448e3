#pragma once
// The engine carries the unpack library gzip-compressed (it is the largest
// part of the engine otherwise); this unpacks such an image again.

#include <cstddef>
#include <optional>
#include <string>

namespace cv {

// The bytes of one gzip member, or nothing when `data` is not exactly one
// complete, intact member (the checksum and the length in its trailer are
// checked) or its content would exceed `maxSize` bytes.
std::optional<std::string> GunzipImage(const void* data, std::size_t size, std::size_t maxSize);

}  // namespace cv
