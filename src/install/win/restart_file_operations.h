#pragma once
// Files replaced or deleted when Windows next starts.

#include <string>

namespace cv {

// At the next start of Windows, move `source` over `target` (an empty target
// deletes the source).
void ScheduleFileReplace(const std::string& source, const std::string& target);
void ScheduleFileDelete(const std::string& file);

}  // namespace cv
