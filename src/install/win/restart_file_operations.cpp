#include "install/win/restart_file_operations.h"

#include <windows.h>

#include "platform/paths.h"
#include "platform/system_info.h"

namespace cv {

namespace {

std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH * 2];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  return length == 0 || length >= sizeof buffer ? path : std::string(buffer, length);
}

}  // namespace

void ScheduleFileReplace(const std::string& sourceIn, const std::string& targetIn) {
  const std::string source = FullPath(sourceIn);
  const std::string target = targetIn.empty() ? std::string() : FullPath(targetIn);
  if (GetFileAttributesA(source.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  // The 9x family has no delayed move; its "wininit.ini" [Rename] entries
  // arrive with the restart-time operations of the installation engine.
  if (!SystemInfo().IsNT()) return;
  if (target.empty()) {
    MoveFileExA(source.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return;
  }
  MoveFileExA(target.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT);
}

void ScheduleFileDelete(const std::string& file) { ScheduleFileReplace(file, std::string()); }

}  // namespace cv
