#pragma once

#include <string>

namespace cv {

// Removes the running program file (and, with `removeFolder`, its folder)
// once the program has ended: a hidden batch file beside the folder retries
// the deletion until it works, then deletes itself. Returns at once.
void SelfDelete(bool removeFolder);

// The batch file's lines (before conversion to the OEM code page) for the
// program file `program`, its folder `folder` and the batch file `batch`.
std::string SelfDeleteScript(const std::string& program, const std::string& folder,
                             const std::string& batch, bool removeFolder);

}  // namespace cv
