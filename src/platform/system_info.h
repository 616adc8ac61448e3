#pragma once
// Which Windows the engine runs on: kind, version numbers and the texts made
// from them. The record is filled once at start-up from the system's answer
// (SystemInfo(), Windows only); DescribeSystem is the pure decision so that
// every kind can be checked without that Windows at hand.

#include <cstdint>
#include <string>

namespace cv {

enum class WindowsKind : std::uint8_t {
  Win32s = 0,
  Win95 = 1,
  Win98 = 2,
  WinNT = 3,
  Win2000 = 4,
  WinMe = 5,
  WinXP = 6,
  Win2003 = 7,
};

enum class PlatformFamily { Win32s, Win9x, WinNT };

struct SystemInfoRecord {
  WindowsKind Kind = WindowsKind::Win32s;
  std::int32_t Major = 0;
  std::int32_t Minor = 0;
  std::string VersionText;
  std::int32_t Build = 0;
  std::string ServicePack;
  std::string FullName;

  bool IsNT() const {
    return Kind == WindowsKind::WinNT || Kind == WindowsKind::Win2000 ||
           Kind == WindowsKind::WinXP || Kind == WindowsKind::Win2003;
  }
  bool Is9x() const {
    return Kind == WindowsKind::Win95 || Kind == WindowsKind::Win98 || Kind == WindowsKind::WinMe;
  }
};

// The record for a system of `family` reporting these numbers. On the 9x
// family only the low 16 bits of `build` count.
SystemInfoRecord DescribeSystem(PlatformFamily family, std::int32_t major, std::int32_t minor,
                                std::int32_t build, const std::string& servicePack);

// "32s", "95", "98", "NT", "2000", "Me", "XP", "2003".
const char* KindName(WindowsKind kind);

// The running system, read once (Windows build only).
const SystemInfoRecord& SystemInfo();

}  // namespace cv
