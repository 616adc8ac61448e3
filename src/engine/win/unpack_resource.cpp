#include "engine/win/unpack_resource.h"

namespace cv {

bool WriteUnpackLibrary(HMODULE module, const std::string& path) {
  HRSRC resource = FindResourceA(module, "UNPACK", MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!resource) return false;
  HGLOBAL loaded = LoadResource(module, resource);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, resource);
  if (!bytes) return false;

  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes, size, &written, nullptr) && written == size;
  const bool closed = CloseHandle(file) != 0;
  if (!ok || !closed) {
    DeleteFileA(path.c_str());
    return false;
  }
  return true;
}

}  // namespace cv
