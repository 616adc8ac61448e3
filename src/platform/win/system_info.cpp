#include "platform/system_info.h"

#include <windows.h>

namespace cv {

namespace {

SystemInfoRecord ReadSystemInfo() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&version)) return DescribeSystem(PlatformFamily::Win32s, 0, 0, 0, "");
#pragma GCC diagnostic pop
  PlatformFamily family = PlatformFamily::Win32s;
  if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) family = PlatformFamily::Win9x;
  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) family = PlatformFamily::WinNT;
  return DescribeSystem(family, static_cast<std::int32_t>(version.dwMajorVersion),
                        static_cast<std::int32_t>(version.dwMinorVersion),
                        static_cast<std::int32_t>(version.dwBuildNumber), version.szCSDVersion);
}

}  // namespace

const SystemInfoRecord& SystemInfo() {
  static const SystemInfoRecord info = ReadSystemInfo();
  return info;
}

}  // namespace cv
