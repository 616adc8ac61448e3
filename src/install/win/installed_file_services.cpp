#include "install/win/installed_file_services.h"

#include <windows.h>

namespace cv {

namespace {

bool CallSelfRegistration(const std::string& file, const char* entryName) {
  HMODULE library = LoadLibraryExA(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!library) return false;
  using Entry = HRESULT(STDAPICALLTYPE*)();
  const auto entry =
      reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, entryName)));
  const bool ok = entry && SUCCEEDED(entry());
  FreeLibrary(library);
  return ok;
}

}  // namespace

ServerRegistration& RegisterServerRoutine() {
  static ServerRegistration routine = [](const std::string& file) {
    return CallSelfRegistration(file, "DllRegisterServer");
  };
  return routine;
}

ServerRegistration& UnregisterServerRoutine() {
  static ServerRegistration routine = [](const std::string& file) {
    return CallSelfRegistration(file, "DllUnregisterServer");
  };
  return routine;
}

bool AddFontFile(const std::string& file) { return AddFontResourceA(file.c_str()) != 0; }

bool RemoveFontFile(const std::string& file) { return RemoveFontResourceA(file.c_str()) != 0; }

void BroadcastFontChange() {
  // A window that does not answer must not stop the installation.
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
}

}  // namespace cv
