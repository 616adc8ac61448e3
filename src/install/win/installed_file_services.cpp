#include "install/win/installed_file_services.h"

#include <windows.h>

#include "platform/system_info.h"
#include "platform/win/server_registration.h"

namespace cv {

ServerRegistration& RegisterServerRoutine() {
  static ServerRegistration routine = [](const std::string& file) {
    return RegisterServerFile(file);
  };
  return routine;
}

ServerRegistration& UnregisterServerRoutine() {
  static ServerRegistration routine = [](const std::string& file) {
    return UnregisterServerFile(file);
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

std::string FontsRegistryKey() {
  return SystemInfo().Is9x() ? "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts\\"
                             : "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\\";
}

}  // namespace cv
