#include "install/win/restart_file_operations.h"

#include <windows.h>

#include "install/wininit_rename.h"
#include "platform/autoexec_lines.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/system_info.h"
#include "platform/win/file_access.h"
#include "platform/win/file_system.h"
#include "platform/win/registry_path.h"
#include "platform/win/system_folders.h"

namespace cv {

namespace {

std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH * 2];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  return length == 0 || length >= sizeof buffer ? path : std::string(buffer, length);
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The 8.3 path of a target that may not exist yet: an empty file stands in
// for it long enough to be given its short name.
std::string ShortTargetPath(const std::string& target) {
  if (PathExists(target)) return ShortPathName(target);
  HANDLE created = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (created == INVALID_HANDLE_VALUE) return target;
  CloseHandle(created);
  const std::string shortPath = ShortPathName(target);
  DeleteFileA(target.c_str());
  return shortPath;
}

}  // namespace

bool ScheduleDelayedMove(const std::string& source, const std::string& target) {
  if (target.empty()) {
    return MoveFileExA(source.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
  }
  // The move does not replace: the target's deletion is registered first.
  const bool deleted = MoveFileExA(target.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
  const bool moved =
      MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
  return deleted && moved;
}

bool ScheduleWininitRename(const std::string& source, const std::string& target,
                           const std::string& wininitFile, const std::string& runOnceKey) {
  const std::string shortSource = ShortPathName(source);
  const std::string shortTarget = target.empty() ? std::string() : ShortTargetPath(target);

  const std::string backup = ChangeExtension(wininitFile, ".bak");
  DeleteFileForced(backup);
  std::vector<std::string> oldLines;
  if (FileExists(wininitFile)) {
    std::string text;
    if (!ReadWholeFile(wininitFile, text) || !MoveFileA(wininitFile.c_str(), backup.c_str())) {
      return false;
    }
    oldLines = SplitTextFileLines(text);
  }
  const std::vector<std::string> lines =
      InsertWininitRenameEntries(oldLines, WininitRenameEntries(shortSource, shortTarget));
  if (!WriteWholeFile(wininitFile, JoinTextFileLines(lines))) {
    // The previous operations must survive a failed rewrite.
    if (FileExists(backup)) {
      DeleteFileForced(wininitFile);
      MoveFileA(backup.c_str(), wininitFile.c_str());
    }
    return false;
  }
  DeleteFileForced(backup);

  if (!shortTarget.empty() && shortTarget != target) {
    return RegWriteString(runOnceKey, RunOnceRenameName(shortTarget),
                          RunOnceRenameCommand(shortTarget, ExtractFileName(target)));
  }
  return true;
}

bool ScheduleFileReplace(const std::string& sourceIn, const std::string& targetIn) {
  const std::string source = FullPath(sourceIn);
  const std::string target = targetIn.empty() ? std::string() : FullPath(targetIn);
  if (!PathExists(source)) return false;
  if (SystemInfo().IsNT()) return ScheduleDelayedMove(source, target);
  return ScheduleWininitRename(source, target, IncludeBackslash(WindowsFolder()) + "wininit.ini",
                               kMachineRunOnceKey);
}

bool ScheduleFileDelete(const std::string& file) { return ScheduleFileReplace(file, std::string()); }

}  // namespace cv
