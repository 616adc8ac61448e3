#include "setup_files.h"

#include <windows.h>

#include "child_process.h"

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

}  // namespace cv::test
