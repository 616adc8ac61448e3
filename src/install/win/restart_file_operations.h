#pragma once
// Files replaced or deleted when Windows next starts.

#include <string>

namespace cv {

// At the next start of Windows, move `source` over `target` (an empty target
// deletes the source). Nothing happens when the source does not exist. The NT
// family keeps the operations in its pending-move list; the 9x family in the
// [Rename] section of "wininit.ini" in the Windows folder, plus a run-once
// rename for a target whose long name differs from its 8.3 name. False when
// the operation could not be recorded.
bool ScheduleFileReplace(const std::string& source, const std::string& target);
bool ScheduleFileDelete(const std::string& file);

// The two ways of recording, for the caller that knows which family it runs
// on (and for checks of each on any machine): `wininitFile` is the ini file
// to rewrite, `runOnceKey` the registry path of the run-once entries.
bool ScheduleDelayedMove(const std::string& source, const std::string& target);
bool ScheduleWininitRename(const std::string& source, const std::string& target,
                           const std::string& wininitFile, const std::string& runOnceKey);

inline constexpr char kMachineRunOnceKey[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

}  // namespace cv
