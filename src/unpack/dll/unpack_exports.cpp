// Entry points of the unpack library: stdcall, exported under their plain
// names. They only hand over to the library's portable core, which lets no
// exception out.

#include <windows.h>

#include "unpack/unpack_api.h"
#include "unpack/unpack_library.h"

extern "C" {

__declspec(dllexport) std::int32_t CV_STDCALL
    Open(const char* container, std::int32_t cabinetIndex, std::int32_t scrambled) {
  return cv::unpack::LibraryOpen(container, cabinetIndex, scrambled);
}

__declspec(dllexport) std::int32_t CV_STDCALL
    Enumerate(cv::unpack::NotifyCallback notify, cv::unpack::DataHook hook) {
  return cv::unpack::LibraryEnumerate(notify, hook);
}

__declspec(dllexport) std::int32_t CV_STDCALL Close() { return cv::unpack::LibraryClose(); }

// The library's entry point: nothing to set up or tear down per process or
// thread.
__declspec(dllexport) BOOL CV_STDCALL LibMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  return LibMain(instance, reason, reserved);
}
