#include "platform/win/run_program.h"

#include <shellapi.h>

#include <string_view>

#include "platform/case_map.h"
#include "platform/name_value.h"
#include "platform/paths.h"
#include "platform/trim.h"
#include "platform/win/com_objects.h"
#include "platform/win/programs.h"
#include "platform/win/screen.h"
#include "platform/win/file_system.h"

namespace cv {

namespace {

// Files of these types are started as processes; everything else goes
// through the shell's file associations. A shortcut is among them and so
// fails to start: through the shell its target would start, but without a
// process to wait for.
bool IsDirectlyStarted(const std::string& fileName) {
  const std::string name = ExtractFileName(fileName);
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return false;
  const std::string extension = CaseMapUpper(std::string_view(name).substr(dot));
  for (const char* known : {".EXE", ".COM", ".BAT", ".PIF", ".LNK"}) {
    if (extension == known) return true;
  }
  return false;
}

HANDLE OpenThroughShell(HWND owner, const std::string& fileName, const std::string& params,
                        int showCmd, const std::string& workDir) {
  // The shell may hand the file to an extension, which is a COM object.
  const ComScope com;
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = owner;
  info.lpFile = fileName.c_str();
  info.lpParameters = params.c_str();
  info.lpDirectory = workDir.c_str();
  info.nShow = showCmd;
  if (!ShellExecuteExA(&info)) return nullptr;
  return info.hProcess;
}

HANDLE StartProcess(const std::string& fileName, const std::string& params, int showCmd,
                    const std::string& workDirIn) {
  std::string commandLine(Trim("\"" + fileName + "\" " + params));
  const std::string workDir(Trim(Dequote(Trim(workDirIn))));
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCmd);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workDir.empty() ? nullptr : workDir.c_str(), &startup, &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

}  // namespace

std::int32_t RunAndWait(HWND owner, const std::string& fileNameIn, const std::string& params,
                        int showCmd, const std::string& workDir) {
  // A quoted name stands for the same file: without its quotes it is found,
  // its extension read and its name quoted once on the command line.
  const std::string fileName = Dequote(fileNameIn);
  HANDLE process = FileExists(fileName) && IsDirectlyStarted(fileName)
                       ? StartProcess(fileName, params, showCmd, workDir)
                       : OpenThroughShell(owner, fileName, params, showCmd, workDir);
  if (!process) return -1;

  std::int32_t result = 0;
  while (!StopWaitingForPrograms().load()) {
    // Woken early by new messages, so that windows answer at once rather than
    // at the next step.
    const DWORD waited = MsgWaitForMultipleObjects(1, &process, FALSE, 100, QS_ALLINPUT);
    if (waited == WAIT_OBJECT_0) {
      DWORD exitCode = 0;
      if (GetExitCodeProcess(process, &exitCode)) result = static_cast<std::int32_t>(exitCode);
      break;
    }
    if (waited == WAIT_FAILED) break;
    PumpMessages();
  }
  CloseHandle(process);
  return result;
}

}  // namespace cv
