#include "unpack/unpack_library.h"

#include <memory>
#include <new>
#include <string>

#include "unpack/extraction.h"

namespace cv::unpack {
namespace {

std::unique_ptr<Extraction> gExtraction;
bool gEnumerating = false;

}  // namespace

std::int32_t LibraryOpenWith(FileSystem& fileSystem, const char* container,
                             std::int32_t cabinetIndex, std::int32_t scrambled) {
  if (gEnumerating || !container) return 0;
  try {
    gExtraction.reset();
    auto extraction = std::make_unique<Extraction>(container, cabinetIndex, scrambled != 0, fileSystem);
    if (!extraction->Valid()) return 0;
    gExtraction = std::move(extraction);
    return 1;
  } catch (...) {
    return 0;
  }
}

std::int32_t LibraryOpen(const char* container, std::int32_t cabinetIndex, std::int32_t scrambled) {
  return LibraryOpenWith(NativeFileSystem(), container, cabinetIndex, scrambled);
}

std::int32_t LibraryEnumerate(NotifyCallback notify, DataHook hook) {
  if (gEnumerating || !gExtraction) return 0;
  gEnumerating = true;
  const std::int32_t result = gExtraction->Enumerate(notify, hook);
  gEnumerating = false;
  return result;
}

std::int32_t LibraryClose() {
  if (gEnumerating || !gExtraction) return 0;
  gExtraction.reset();
  return 1;
}

}  // namespace cv::unpack
