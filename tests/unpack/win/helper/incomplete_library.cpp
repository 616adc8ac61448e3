// A library with Open and Enumerate but no Close: the engine must not use it.

#include <cstdint>

#include "unpack/unpack_api.h"

extern "C" {

__declspec(dllexport) std::int32_t CV_STDCALL Open(const char*, std::int32_t, std::int32_t) {
  return 1;
}

__declspec(dllexport) std::int32_t CV_STDCALL Enumerate(cv::unpack::NotifyCallback,
                                                         cv::unpack::DataHook) {
  return 1;
}

}  // extern "C"
