// Entry points of the unpack library. The cabinet extraction behind them
// (embedded cabinets, unscrambling, the data hook, notifications) is not built
// yet: Open prepares the cabinet decompressor, Enumerate reports failure, and
// the engine's presetup therefore ends through its normal failure path.

#include <windows.h>

#include <string>

#include "unpack/unpack_api.h"

extern "C" {
#include <mspack.h>
}

namespace {

mscab_decompressor* gDecompressor = nullptr;
std::string gContainer;

}  // namespace

extern "C" {

__declspec(dllexport) std::int32_t CV_STDCALL
    Open(const char* container, std::int32_t cabinetIndex, std::int32_t scrambled) {
  (void)cabinetIndex;
  (void)scrambled;
  if (gDecompressor) mspack_destroy_cab_decompressor(gDecompressor);
  gContainer = container ? container : "";
  gDecompressor = mspack_create_cab_decompressor(nullptr);
  return gDecompressor ? 1 : 0;
}

__declspec(dllexport) std::int32_t CV_STDCALL
    Enumerate(cv::unpack::NotifyCallback notify, cv::unpack::DataHook hook) {
  (void)notify;
  (void)hook;
  return 0;
}

__declspec(dllexport) std::int32_t CV_STDCALL Close() {
  if (!gDecompressor) return 0;
  mspack_destroy_cab_decompressor(gDecompressor);
  gDecompressor = nullptr;
  return 1;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
