#pragma once
// Windows' protection of system files, when the system has it: files it
// protects are never replaced or removed.

#include <windows.h>

namespace cv {

using SfcIsFileProtectedFn = BOOL(WINAPI*)(HANDLE rpcHandle, LPCWSTR path);

// The entry point "SfcIsFileProtected" of "sfc.dll" while the engine holds
// the module; null otherwise.
SfcIsFileProtectedFn ProtectedFileCheck();
void SetProtectedFileCheck(SfcIsFileProtectedFn check);

}  // namespace cv
