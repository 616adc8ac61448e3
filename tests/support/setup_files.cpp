#include "setup_files.h"

#include <windows.h>

#include <shlobj.h>

#include "child_process.h"
#include "platform/win/file_system.h"
#include "platform/win/registry_path.h"

namespace cv::test {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string WinePathOfHost(const std::string& hostPath) {
  std::string path = "Z:" + hostPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string ExampleFile(const std::string& relative) {
  return WinePathOfHost(CV_EXAMPLES_DIR "/") + relative;
}

std::string UninstallCommand(const std::string& appId) {
  for (const char* root : {"HKLM", "HKCU"}) {
    const std::string command = RegReadString(
        root + std::string("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + appId,
        "UninstallString", "");
    if (!command.empty()) return command;
  }
  return "";
}

unsigned BuildSetupFile(const std::string& project, const std::string& setupFile,
                        const std::string& options, const std::string& engine) {
  const std::string bin = TestProgramFolder();
  ChildProcess builder(Quoted(bin + "cvbuild.exe") + " -q -e " +
                           Quoted(engine.empty() ? bin + "CVEngine.exe" : engine) +
                           " -o " + Quoted(setupFile) + " " + options + " " + Quoted(project),
                       {});
  if (!builder.Started() || !builder.Wait(180000)) return 0xFFFFFFFFu;
  return builder.ExitCode();
}

std::string HelloExampleTraces::StartMenuFolder() {
  char programs[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, programs, CSIDL_PROGRAMS, FALSE);
  return std::string(programs) + "\\Corvane Hello\\";
}

std::string HelloExampleTraces::InstallFolder() {
  char programs[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, programs, CSIDL_PROGRAM_FILES, FALSE);
  return std::string(programs) + "\\Corvane Hello\\";
}

void HelloExampleTraces::Remove() {
  RegDeleteKeyPath("HKCU\\Software\\Corvane Example", true);
  DeleteTree(StartMenuFolder(), true);
  DeleteTree(InstallFolder(), true);
  for (const char* root : {"HKLM", "HKCU"}) {
    RegDeleteKeyPath(std::string(root) + "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CorvaneHello", true);
  }
}

}  // namespace cv::test
