#include "platform/win/server_registration.h"

#include <windows.h>

#include <oleauto.h>

#include <cstdint>
#include <cstring>

#include "platform/case_map.h"
#include "platform/paths.h"
#include "platform/win/library.h"
#include "platform/win/run_program.h"

namespace cv {

namespace {

bool IsProgram(const std::string& fileName) {
  const std::string name = ExtractFileName(fileName);
  const std::size_t dot = name.find_last_of('.');
  return dot != std::string::npos && CaseMapUpper(std::string_view(name).substr(dot)) == ".EXE";
}

std::wstring Wide(const std::string& text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), size);
  wide.resize(static_cast<std::size_t>(size - 1));
  return wide;
}

std::string FullPath(const std::string& fileName) {
  char buffer[MAX_PATH * 2];
  char* part = nullptr;
  const DWORD length = GetFullPathNameA(fileName.c_str(), sizeof buffer, buffer, &part);
  if (length == 0 || length >= sizeof buffer) return fileName;
  return std::string(buffer, length);
}

// Calls the library's export; false when it cannot be loaded, lacks the
// export or the export reports a failure.
bool CallServerEntry(const std::string& fileName, const char* entry) {
  const HMODULE library = LoadLibraryQuiet(fileName, LoadMode::AlteredSearchPath);
  if (!library) return false;
  using Entry = HRESULT(STDAPICALLTYPE*)();
  const auto call =
      reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, entry)));
  const bool ok = call && SUCCEEDED(call());
  FreeLibrary(library);
  return ok;
}

bool RunServerProgram(const std::string& fileName, const char* parameter) {
  return RunAndWait(nullptr, fileName, parameter, SW_HIDE, ExtractFolder(fileName)) == 0;
}

using ServerCall = bool (*)(const std::string&);

bool ServerFile(const std::string& fileName, ServerCall server, ServerCall typeLibrary) {
  bool isPE = false;
  if (!IsPEFile(fileName, isPE)) return false;
  bool serverDone = false;
  if (isPE) {
    bool has = IsProgram(fileName);
    if (!has && !HasRegisterServer(fileName, has)) return false;
    if (has) {
      if (!server(fileName)) return false;
      serverDone = true;
    }
  }
  return typeLibrary(fileName) || serverDone;
}

}  // namespace

bool IsPEFile(const std::string& fileName, bool& isPE) {
  isPE = false;
  HANDLE file = CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  unsigned char header[64];
  DWORD read = 0;
  LARGE_INTEGER size{};
  if (ReadFile(file, header, sizeof header, &read, nullptr) && read == sizeof header &&
      header[0] == 'M' && header[1] == 'Z' && GetFileSizeEx(file, &size)) {
    std::uint32_t offset = 0;
    std::memcpy(&offset, header + 60, 4);
    LARGE_INTEGER at{};
    at.QuadPart = offset;
    std::uint32_t signature = 0;
    if (offset != 0 && offset < size.QuadPart && SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
        ReadFile(file, &signature, 4, &read, nullptr) && read == 4) {
      isPE = signature == 0x4550;
    }
  }
  CloseHandle(file);
  return true;
}

bool HasRegisterServer(const std::string& fileName, bool& has) {
  has = false;
  const HMODULE library = LoadLibraryQuiet(fileName, LoadMode::AlteredSearchPath);
  if (!library) return false;
  has = GetProcAddress(library, "DllRegisterServer") != nullptr;
  FreeLibrary(library);
  return true;
}

bool RegisterServer(const std::string& fileName) {
  return IsProgram(fileName) ? RunServerProgram(fileName, "/REGSERVER")
                             : CallServerEntry(fileName, "DllRegisterServer");
}

bool UnregisterServer(const std::string& fileName) {
  return IsProgram(fileName) ? RunServerProgram(fileName, "/UNREGSERVER")
                             : CallServerEntry(fileName, "DllUnregisterServer");
}

bool RegisterTypeLibrary(const std::string& fileName) {
  const std::wstring path = Wide(FullPath(fileName));
  ITypeLib* library = nullptr;
  if (FAILED(LoadTypeLib(path.c_str(), &library))) return false;
  BSTR helpFile = nullptr;
  bool ok = SUCCEEDED(library->GetDocumentation(-1, nullptr, nullptr, nullptr, &helpFile));
  std::wstring helpFolder;
  if (helpFile) {
    helpFolder = helpFile;
    const std::size_t slash = helpFolder.find_last_of(L"\\/");
    helpFolder = slash == std::wstring::npos ? std::wstring() : helpFolder.substr(0, slash + 1);
    SysFreeString(helpFile);
  }
  if (ok) {
    ok = SUCCEEDED(RegisterTypeLib(library, const_cast<wchar_t*>(path.c_str()),
                                   helpFolder.empty() ? nullptr
                                                      : const_cast<wchar_t*>(helpFolder.c_str())));
  }
  library->Release();
  return ok;
}

bool UnregisterTypeLibrary(const std::string& fileName) {
  // Looked up at run time: the oldest systems lack it.
  const HMODULE oleaut = GetModuleHandleA("OLEAUT32.DLL");
  using Unregister = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
  const auto unregister = oleaut ? reinterpret_cast<Unregister>(reinterpret_cast<void*>(
                                       GetProcAddress(oleaut, "UnRegisterTypeLib")))
                                 : nullptr;
  if (!unregister) return false;
  const std::wstring path = Wide(FullPath(fileName));
  ITypeLib* library = nullptr;
  if (FAILED(LoadTypeLib(path.c_str(), &library))) return false;
  TLIBATTR* attributes = nullptr;
  bool ok = false;
  if (SUCCEEDED(library->GetLibAttr(&attributes)) && attributes) {
    ok = SUCCEEDED(unregister(attributes->guid, attributes->wMajorVerNum,
                              attributes->wMinorVerNum, attributes->lcid, attributes->syskind));
    library->ReleaseTLibAttr(attributes);
  }
  library->Release();
  return ok;
}

bool RegisterServerFile(const std::string& fileName) {
  return ServerFile(fileName, RegisterServer, RegisterTypeLibrary);
}

bool UnregisterServerFile(const std::string& fileName) {
  return ServerFile(fileName, UnregisterServer, UnregisterTypeLibrary);
}

}  // namespace cv
