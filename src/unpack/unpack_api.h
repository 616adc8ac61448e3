#pragma once
// The exported interface of the unpack library, shared by the library and the
// engine's wrapper. All calls and callbacks use the stdcall convention.
//
// Open(container, cabinetIndex, scrambled) -> 1 when the extraction context
//   was created. Enumerate(notify, hook) -> 1 on success (also when a
//   notification answered -1 and so ended the extraction early), 0 on
//   failure. Close() -> 1 when a context was destroyed.
//
// The records below are owned by the library; the engine writes only into
// their OutputPath and Folder buffers. Integers are 32-bit, texts single-byte
// and zero-terminated; the records hold native pointers (4 bytes in the
// shipped 32-bit build).

#include <cstddef>
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

// Both path buffers hold at most 259 characters and the terminating zero.
constexpr std::size_t kPathBufferSize = 260;

// Types 1 and 2. On type 1 the output path is empty; the engine answers 1
// with a path written into it to have the file extracted, 1 with the path
// left empty or 0 to skip it, -1 to stop. Type 2 carries the path used.
struct FileRecord {
  const char* Name;
  std::uint32_t Size;
  std::uint32_t DateTime;  // DOS date in the high 16 bits, DOS time in the low 16
  std::uint32_t Attributes;  // the cabinet's attribute bits
  char OutputPath[kPathBufferSize];
};

// Type 3, before each write into an output file: -1 stops (the write fails).
struct ProgressRecord {
  const char* Name;
  const char* OutputPath;
  std::uint32_t FileSize;
  std::uint32_t BytesThisWrite;
  std::uint32_t BytesSoFar;  // this write included
  const void* Data;
};

// Type 4: a cabinet cannot be opened. The folder holds the folder searched so
// far; the engine answers -1 when it cannot supply the cabinet, otherwise it
// leaves the folder (with trailing backslash) where the cabinet is.
struct CabinetRecord {
  const char* CabinetName;
  char Folder[kPathBufferSize];
};

#if defined(_WIN32) && !defined(_WIN64)
// The layout the shipped 32-bit library and engine agree on.
static_assert(sizeof(void*) == 4);
static_assert(offsetof(FileRecord, Size) == 4 && offsetof(FileRecord, DateTime) == 8 &&
              offsetof(FileRecord, Attributes) == 12 && offsetof(FileRecord, OutputPath) == 16 &&
              sizeof(FileRecord) == 276);
static_assert(offsetof(ProgressRecord, OutputPath) == 4 && offsetof(ProgressRecord, FileSize) == 8 &&
              offsetof(ProgressRecord, BytesThisWrite) == 12 &&
              offsetof(ProgressRecord, BytesSoFar) == 16 && offsetof(ProgressRecord, Data) == 20 &&
              sizeof(ProgressRecord) == 24);
static_assert(offsetof(CabinetRecord, Folder) == 4 && sizeof(CabinetRecord) == 264);
#endif

using NotifyCallback = std::int32_t(CV_STDCALL*)(std::int32_t type, void* record);
using DataHook = void(CV_STDCALL*)(void* buffer, std::int32_t count);

using OpenFn = std::int32_t(CV_STDCALL*)(const char* container, std::int32_t cabinetIndex,
                                         std::int32_t scrambled);
using EnumerateFn = std::int32_t(CV_STDCALL*)(NotifyCallback notify, DataHook hook);
using CloseFn = std::int32_t(CV_STDCALL*)();

}  // namespace cv::unpack
