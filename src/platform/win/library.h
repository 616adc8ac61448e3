#pragma once

#include <windows.h>

#include <string>

namespace cv {

enum class LoadMode { Plain = 0, AlteredSearchPath = 1 };

// Loads a library with Windows' critical-error boxes suppressed (the error
// mode is restored afterwards).
HMODULE LoadLibraryQuiet(const std::string& path, LoadMode mode);

}  // namespace cv
