#pragma once
// The installation's own file copy: 128 KiB at a time, with a hook that may
// transform each chunk (decryption) and one that reports progress and may
// stop the copy.

#include <cstdint>
#include <functional>
#include <string>

namespace cv {

inline constexpr std::size_t kCopyBufferSize = 0x20000;

// (source, target, bytes of this chunk, total size, bytes written so far);
// false stops the copy, which then fails.
using CopyProgressHook = std::function<bool(const std::string& source, const std::string& target,
                                            std::int64_t chunk, std::int64_t total,
                                            std::int64_t written)>;
// Changes a chunk in place before it is written.
using CopyTransformHook = std::function<void(char* buffer, std::size_t count)>;

// Copies `source` to `target` (created anew, or with `append` extended at its
// end), then gives the target the source's last-write time and attributes.
// A copy that fails part-way leaves no partial content behind: a new target
// is removed, an appended one cut back to its previous length.
bool BufferedCopyFile(const std::string& source, const std::string& target,
                      const CopyProgressHook& progress = {}, bool append = false,
                      const CopyTransformHook& transform = {});

}  // namespace cv
