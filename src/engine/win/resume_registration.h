#pragma once
// Registering a suspended installation to go on at the next logon: a copy of
// the bare engine in the temporary root, started once by Windows through a
// RunOnce value with the work folder and the setup file it came from.

#include <cstdint>
#include <functional>
#include <string>

namespace cv {

// Where Windows finds the programs it starts once at the next logon, and the
// ones it starts at every logon.
inline constexpr char kUserRunOnceKey[] = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\";
inline constexpr char kUserRunKey[] = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";

// The command a resume registration runs: the copy with the work folder
// (without its trailing backslash) and the setup file, each in quotes.
std::string ResumeCommand(const std::string& copy, const std::string& workFolder,
                          const std::string& setupFile);

// "cv" + a number from `random` below 2147483647, drawn again while RunOnce
// or Run has a value of that name.
std::string FreeResumeValueName(const std::function<std::uint32_t()>& random);

// Copies `workFolder` + "Resume.exe" to the temporary root under a "cv"
// unique name and writes the command under RunOnce with a value name that
// neither RunOnce nor Run has yet. False, with "Cannot prepare for resuming."
// shown, when the copy or the value cannot be written; nothing is left then.
bool RegisterResumeAtLogon(const std::string& workFolder, const std::string& setupFile);

}  // namespace cv
