#include "platform/win/shutdown.h"

#include "platform/system_info.h"

namespace cv {

namespace {

// Answers false only when the privilege was found but could not be enabled;
// when the token or the privilege cannot even be looked up, Windows is asked
// anyway and decides.
bool EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return true;
  }
  TOKEN_PRIVILEGES privileges = {};
  bool ok = true;
  if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    ok = GetLastError() == ERROR_SUCCESS;
  }
  CloseHandle(token);
  return ok;
}

}  // namespace

bool ExitWindows(UINT flags) {
  if (SystemInfo().IsNT() && (flags & (EWX_SHUTDOWN | EWX_REBOOT | EWX_POWEROFF)) != 0) {
    if (!EnableShutdownPrivilege()) return false;
  }
  return ExitWindowsEx(flags, 0) != 0;
}

bool Reboot(bool force) { return ExitWindows(EWX_REBOOT | (force ? EWX_FORCE : 0)); }

}  // namespace cv
