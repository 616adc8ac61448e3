#include "platform/system_info.h"

#include <cstdio>

namespace cv {

const char* KindName(WindowsKind kind) {
  switch (kind) {
    case WindowsKind::Win32s: return "32s";
    case WindowsKind::Win95: return "95";
    case WindowsKind::Win98: return "98";
    case WindowsKind::WinNT: return "NT";
    case WindowsKind::Win2000: return "2000";
    case WindowsKind::WinMe: return "Me";
    case WindowsKind::WinXP: return "XP";
    case WindowsKind::Win2003: return "2003";
  }
  return "";
}

namespace {

WindowsKind DecideKind(PlatformFamily family, std::int32_t major, std::int32_t minor) {
  switch (family) {
    case PlatformFamily::Win9x: {
      WindowsKind kind = WindowsKind::Win95;
      if (major == 4 && minor > 0) kind = WindowsKind::Win98;
      if (major > 4 || (major == 4 && minor >= 90)) kind = WindowsKind::WinMe;
      return kind;
    }
    case PlatformFamily::WinNT: {
      WindowsKind kind = WindowsKind::WinNT;
      if (major > 4) {
        kind = WindowsKind::Win2000;
        if (minor > 0) kind = WindowsKind::WinXP;
        if (minor > 1) kind = WindowsKind::Win2003;
      }
      return kind;
    }
    case PlatformFamily::Win32s: break;
  }
  return WindowsKind::Win32s;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace

SystemInfoRecord DescribeSystem(PlatformFamily family, std::int32_t major, std::int32_t minor,
                                std::int32_t build, const std::string& servicePack) {
  SystemInfoRecord info;
  info.Kind = DecideKind(family, major, minor);
  info.Major = major;
  info.Minor = minor;
  info.Build = family == PlatformFamily::Win9x ? (build & 0xFFFF) : build;
  info.ServicePack = servicePack;
  char text[64];
  std::snprintf(text, sizeof text, minor == 0 ? "%d.%d" : "%d.%.2d", major, minor);
  info.VersionText = text;
  char full[512];
  std::snprintf(full, sizeof full, "Windows %s %s.%.4d %s", KindName(info.Kind),
                info.VersionText.c_str(), info.Build, servicePack.c_str());
  info.FullName = Trim(full);
  return info;
}

}  // namespace cv
