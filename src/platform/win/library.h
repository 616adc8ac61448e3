#pragma once

#include <windows.h>

#include <string>

namespace cv {

enum class LoadMode { Plain = 0, AlteredSearchPath = 1 };

// Loads a library with Windows' critical-error boxes suppressed (the error
// mode is restored afterwards).
HMODULE LoadLibraryQuiet(const std::string& path, LoadMode mode);

// Takes the current folder out of the search for libraries loaded by name
// (and, where Windows has it, for files found along the search path). A
// setup file runs from download folders, where a DLL planted under a
// system DLL's name would otherwise be found. The routines are looked up at
// run time, since older systems lack them.
void RemoveCurrentFolderFromDllSearch();

}  // namespace cv
