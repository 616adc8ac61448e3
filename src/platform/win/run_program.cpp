#include "platform/win/run_program.h"

#include <shellapi.h>
#include <shlobj.h>

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
// through the shell's file associations. A shortcut is not a program: its
// target is read through the shell's link object and started instead.
bool IsDirectlyStarted(const std::string& fileName) {
  const std::string name = ExtractFileName(fileName);
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return false;
  const std::string extension = CaseMapUpper(std::string_view(name).substr(dot));
  for (const char* known : {".EXE", ".COM", ".BAT", ".PIF"}) {
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

// What a shortcut starts: its target, arguments and folder, read through the
// shell's link object. False when the file is no readable shortcut.
struct ShortcutTarget {
  std::string Path;
  std::string Arguments;
  std::string Folder;
};

bool ReadShortcut(const std::string& link, ShortcutTarget& target) {
  const ComScope com;
  IShellLinkA* shellLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&shellLink)))) {
    return false;
  }
  bool read = false;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    std::wstring wide(link.size() + 1, L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide.data(),
                                           static_cast<int>(wide.size()));
    char buffer[MAX_PATH * 4] = {};
    if (length > 0 && SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
        SUCCEEDED(shellLink->GetPath(buffer, sizeof buffer, nullptr, 0)) && buffer[0] != 0) {
      target.Path = buffer;
      buffer[0] = 0;
      if (SUCCEEDED(shellLink->GetArguments(buffer, sizeof buffer))) target.Arguments = buffer;
      buffer[0] = 0;
      if (SUCCEEDED(shellLink->GetWorkingDirectory(buffer, sizeof buffer))) target.Folder = buffer;
      read = true;
    }
    file->Release();
  }
  shellLink->Release();
  return read;
}

bool IsShortcut(const std::string& fileName) {
  const std::string name = ExtractFileName(fileName);
  const std::size_t dot = name.find_last_of('.');
  return dot != std::string::npos && CaseMapUpper(std::string_view(name).substr(dot)) == ".LNK";
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

namespace {

std::int32_t Run(HWND owner, const std::string& fileNameIn, const std::string& params,
                 int showCmd, const std::string& workDir, bool followShortcut) {
  // A quoted name stands for the same file: without its quotes it is found,
  // its extension read and its name quoted once on the command line.
  const std::string fileName = Dequote(fileNameIn);
  ShortcutTarget shortcut;
  if (followShortcut && IsShortcut(fileName) && FileExists(fileName) &&
      ReadShortcut(fileName, shortcut)) {
    // The shortcut's own arguments come first, the caller's after them; the
    // caller's folder wins over the shortcut's. A shortcut to a shortcut is
    // left to the shell, so that two linking to each other end.
    const std::string arguments = shortcut.Arguments + " " + params;
    return Run(owner, shortcut.Path, std::string(Trim(arguments)), showCmd,
               workDir.empty() ? shortcut.Folder : workDir, false);
  }
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

}  // namespace

std::int32_t RunAndWait(HWND owner, const std::string& fileName, const std::string& params,
                        int showCmd, const std::string& workDir) {
  return Run(owner, fileName, params, showCmd, workDir, true);
}

}  // namespace cv
