#pragma once
// Whole-file reads and writes for documents kept in files (XML, logs). Like
// every platform facade these answer false on failure and never raise.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cv {

// Reads the whole file in one call into `bytes`. False when it does not exist,
// cannot be opened (it is opened with writing by others denied, so a file
// being written elsewhere is not read half-way) or fewer bytes arrive than
// its size.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Reads the `count` bytes from `offset` (from the file's start, or back from
// its end when negative; a range that would begin before the start begins
// at the start) into `bytes`, and the file's size into `fileSize` when
// given. False when the file cannot be opened or fewer bytes arrive than the
// range holds within the file.
bool ReadFileRange(const std::string& path, std::int64_t offset, std::size_t count,
                   std::string& bytes, std::uint64_t* fileSize = nullptr);

// Replaces the file with `bytes`: an existing file has its attributes reset
// to normal (a read-only file is replaced too) and is deleted first. True only
// when every byte was written.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

}  // namespace cv
