#include "platform/win/self_delete.h"

#include <windows.h>

#include "platform/paths.h"
#include "platform/unique_name.h"
#include "platform/win/system_folders.h"

namespace cv {

std::string SelfDeleteScript(const std::string& program, const std::string& folder,
                             const std::string& batch, bool removeFolder) {
  std::string script;
  script += ":try\r\n";
  script += "del \"" + program + "\"\r\n";
  script += "if exist \"" + program + "\" goto try\r\n";
  if (removeFolder) script += "rd \"" + folder + "\"\r\n";
  script += "del \"" + batch + "\"\r\n";
  return script;
}

void SelfDelete(bool removeFolder) {
  const std::string program = ModuleFileName();
  const std::string folder = ExcludeBackslash(ExtractFolder(program));
  const std::string parent = ExtractFolder(folder);
  const std::string batch = parent + MakeUniqueName(parent, "", ".bat", true);

  std::string script = SelfDeleteScript(program, folder, batch, removeFolder);
  CharToOemBuffA(script.data(), script.data(), static_cast<DWORD>(script.size()));
  HANDLE file = CreateFileA(batch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, script.data(), static_cast<DWORD>(script.size()), &written, nullptr) &&
      written == script.size();
  CloseHandle(file);
  if (!ok) {
    DeleteFileA(batch.c_str());
    return;
  }

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};
  std::string commandLine = "\"" + batch + "\"";
  if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                     CREATE_NO_WINDOW | IDLE_PRIORITY_CLASS, nullptr, parent.c_str(), &startup,
                     &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

}  // namespace cv
