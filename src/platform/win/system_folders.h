#pragma once
// Folders of the running system and of the program itself.

#include <string>

namespace cv {

// The temporary folder with a trailing backslash. When Windows answers with
// the current directory (TMP and TEMP unset), the fallback is the Windows
// folder's "Temp\" on the 9x family and "C:\Temp\" on the NT family. The
// folder is not created.
std::string TempRoot();

// The Windows and system folders, without trailing backslash.
std::string WindowsFolder();
std::string SystemFolder();
// Full path of a DLL of the system folder: system DLLs are loaded by full
// path only, never through the search path (a setup runs from download
// folders, where a planted DLL of the same name would be found first).
std::string SystemDllPath(const std::string& name);

// Full path of the running program file.
std::string ModuleFileName();

}  // namespace cv
