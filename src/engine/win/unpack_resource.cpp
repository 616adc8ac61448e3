#include "engine/win/unpack_resource.h"

#include "engine/gzip_image.h"

namespace cv {

bool WriteUnpackLibrary(HMODULE module, const std::string& path) {
  HRSRC resource = FindResourceA(module, "UNPACK", MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!resource) return false;
  HGLOBAL loaded = LoadResource(module, resource);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, resource);
  if (!bytes) return false;
  // The library is stored gzip-compressed; no build of it comes near 16 MB.
  constexpr std::size_t kMaxLibrarySize = 16u * 1024 * 1024;
  const std::optional<std::string> library = GunzipImage(bytes, size, kMaxLibrarySize);
  if (!library) return false;

  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const DWORD length = static_cast<DWORD>(library->size());
  const bool ok = WriteFile(file, library->data(), length, &written, nullptr) && written == length;
  const bool closed = CloseHandle(file) != 0;
  if (!ok || !closed) {
    DeleteFileA(path.c_str());
    return false;
  }
  return true;
}

}  // namespace cv
