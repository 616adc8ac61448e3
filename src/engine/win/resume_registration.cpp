#include "engine/win/resume_registration.h"

#include <windows.h>

#include "platform/format_text.h"
#include "platform/paths.h"
#include "platform/unique_name.h"
#include "platform/win/message_box.h"
#include "platform/win/random_number.h"
#include "platform/win/registry_path.h"
#include "platform/win/system_folders.h"

namespace cv {

std::string ResumeCommand(const std::string& copy, const std::string& workFolder,
                          const std::string& setupFile) {
  return FormatText("\"%s\" /resume:\"%s\" /exename:\"%s\"",
                    {copy, ExcludeBackslash(workFolder), setupFile});
}

// A name free under both keys: one free under Run alone would let a second
// registration overwrite the first one's RunOnce value.
std::string FreeResumeValueName(const std::function<std::uint32_t()>& random) {
  for (;;) {
    const std::string name = RegUniqueValueName(kUserRunKey, "cv", random);
    if (!RegValueExists(kUserRunOnceKey, name)) return name;
  }
}

namespace {

bool CannotPrepare() {
  ShowErrorBox("Error", "Cannot prepare for resuming.");
  return false;
}

}  // namespace

bool RegisterResumeAtLogon(const std::string& workFolder, const std::string& setupFile) {
  const std::string root = TempRoot();
  const std::string copy = root + MakeUniqueName(root, "cv", ".exe", true);
  if (!CopyFileA((workFolder + "Resume.exe").c_str(), copy.c_str(), TRUE)) return CannotPrepare();
  if (!RegWriteString(kUserRunOnceKey, FreeResumeValueName(RandomNumber), ResumeCommand(copy, workFolder, setupFile))) {
    DeleteFileA(copy.c_str());
    return CannotPrepare();
  }
  return true;
}

}  // namespace cv
