#pragma once
// The unpack library's process-wide state behind its three exports: one
// extraction context at a time. The DLL's exports call these; the native
// build's tests call them directly.

#include <cstdint>

#include "unpack/unpack_api.h"

namespace cv::unpack {

class FileSystem;

// Creates the extraction context (replacing any previous one). 1 when it
// exists; 0 during an Enumerate (the context in use stays) or without a path.
std::int32_t LibraryOpen(const char* container, std::int32_t cabinetIndex,
                         std::int32_t scrambled);
// As LibraryOpen, with another file system (tests inject failures).
std::int32_t LibraryOpenWith(FileSystem& fileSystem, const char* container,
                             std::int32_t cabinetIndex, std::int32_t scrambled);
// 1 on success or when a notification stopped it, 0 on failure, without a
// context, or when called again from inside a notification.
std::int32_t LibraryEnumerate(NotifyCallback notify, DataHook hook);
// 1 when a context was destroyed; 0 without one, or during an Enumerate
// (destroying the context in use would pull it from under libmspack).
std::int32_t LibraryClose();

}  // namespace cv::unpack
