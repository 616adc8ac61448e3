#pragma once
// Whole-file reads and writes for documents kept in files (XML, logs). Like
// every platform facade these answer false on failure and never raise.

#include <string>
#include <string_view>

namespace cv {

// Reads the whole file in one call into `bytes`. False when it does not exist,
// cannot be opened (it is opened with writing by others denied, so a file
// being written elsewhere is not read half-way) or fewer bytes arrive than
// its size.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Replaces the file with `bytes`: an existing file has its attributes reset
// to normal (a read-only file is replaced too) and is deleted first. True only
// when every byte was written.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

}  // namespace cv
