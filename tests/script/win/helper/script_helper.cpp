// A program for the tests of starting programs: it reports how it was
// started, waits when asked, and ends with the exit code it is given.
//
//   script_helper.exe [--report FILE] [--sleep MS] [--wait-event NAME] [--exit CODE]
//
// The report has one "name=value" line each for the current folder, the
// window mode of the start-up information and the arguments.

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

void Report(const std::string& path, int argc, char** argv) {
  char folder[MAX_PATH * 2] = {};
  GetCurrentDirectoryA(sizeof folder, folder);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  std::string text = "folder=" + std::string(folder) + "\r\n";
  text += "show=" +
          (startup.dwFlags & STARTF_USESHOWWINDOW ? std::to_string(startup.wShowWindow)
                                                  : std::string("none")) +
          "\r\n";
  text += "args=";
  for (int i = 1; i < argc; ++i) text += (i > 1 ? "|" : "") + std::string(argv[i]);
  text += "\r\n";
  // Written under another name and renamed, so that a test polling for the
  // report never reads it half-written.
  const std::string partial = path + ".partial";
  HANDLE file = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const int argc = __argc;
  char** argv = __argv;
  int exitCode = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    const std::string value = argv[i + 1];
    if (option == "--report") {
      Report(value, argc, argv);
    } else if (option == "--sleep") {
      Sleep(static_cast<DWORD>(std::atoi(value.c_str())));
    } else if (option == "--wait-event") {
      HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, value.c_str());
      if (event) {
        WaitForSingleObject(event, 30000);
        CloseHandle(event);
      }
    } else if (option == "--exit") {
      exitCode = std::atoi(value.c_str());
    }
  }
  return exitCode;
}
