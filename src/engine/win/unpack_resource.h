#pragma once

#include <windows.h>

#include <string>

namespace cv {

// Writes the unpack library that the RCDATA resource "UNPACK" of `module`
// holds gzip-compressed to `path`, replacing any file of that name. False when
// the resource is missing or damaged or the file cannot be written completely
// (a partial file is removed).
bool WriteUnpackLibrary(HMODULE module, const std::string& path);

}  // namespace cv
