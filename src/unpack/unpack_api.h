#pragma once
// The exported interface of the unpack library, shared by the library and the
// engine's wrapper. All calls and callbacks use the stdcall convention.

#include <cstdint>

#if defined(_WIN32)
#define CV_STDCALL __stdcall
#else
#define CV_STDCALL
#endif

namespace cv::unpack {

// Notification types sent to the engine's callback.
enum Notification : std::int32_t {
  kFileToExtract = 1,
  kFileComplete = 2,
  kDataWritten = 3,
  kCabinetNeeded = 4,
};

using NotifyCallback = std::int32_t(CV_STDCALL*)(std::int32_t type, void* record);
using DataHook = void(CV_STDCALL*)(void* buffer, std::int32_t count);

using OpenFn = std::int32_t(CV_STDCALL*)(const char* container, std::int32_t cabinetIndex,
                                         std::int32_t scrambled);
using EnumerateFn = std::int32_t(CV_STDCALL*)(NotifyCallback notify, DataHook hook);
using CloseFn = std::int32_t(CV_STDCALL*)();

}  // namespace cv::unpack
