// Shows the presetup's windows as a package would make them appear, without
// extracting anything: for looking at pictures and region files while
// authoring a package, and for taking screenshots of the windows.
//
//   presetup_preview.exe FOLDER [splash] [progress] [--percent N] [--seconds S]
//
// FOLDER holds the package's pictures (splash.bmp, splash.rgn, presetup.bmp,
// presetup.rgn). Each window shown is reported on standard output as
// "<name> <left> <top> <right> <bottom>" once it is on the screen.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/win/engine_operations.h"
#include "engine/win/main_window.h"
#include "engine/win/presetup_windows.h"
#include "platform/paths.h"
#include "platform/win/screen.h"

namespace {

void Report(const char* name, HWND window) {
  RECT frame;
  GetWindowRect(window, &frame);
  std::printf("%s %ld %ld %ld %ld\n", name, frame.left, frame.top, frame.right, frame.bottom);
  std::fflush(stdout);
}

int Usage() {
  std::fprintf(stderr,
               "usage: presetup_preview FOLDER [splash] [progress] [--percent N] [--seconds S]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string folder = cv::IncludeBackslash(argv[1]);
  bool splash = false;
  bool progress = false;
  int percent = 60;
  int seconds = 5;
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "splash") {
      splash = true;
    } else if (option == "progress") {
      progress = true;
    } else if (option == "--percent" && i + 1 < argc) {
      percent = std::atoi(argv[++i]);
    } else if (option == "--seconds" && i + 1 < argc) {
      seconds = std::atoi(argv[++i]);
    } else {
      return Usage();
    }
  }
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  cv::EngineOperations operations({argv[0]});
  cv::MainWindow main;
  if (!main.Create(GetModuleHandleA(nullptr), nullptr, operations)) return 1;

  cv::SplashWindow splashWindow;
  cv::ProgressWindow progressWindow;
  if (splash) {
    splashWindow.Show(folder + "splash.bmp", main.Handle());
    if (!splashWindow.Handle()) std::fprintf(stderr, "no splash picture in %s\n", folder.c_str());
  }
  if (progress) {
    progressWindow.Show(folder, "preview", main.Handle(), splashWindow.Handle() != nullptr);
    progressWindow.SetPercent(percent);
  }
  // Let the windows paint before telling anyone where they are.
  for (int i = 0; i < 20; ++i) cv::PumpMessages();
  if (splashWindow.Handle()) Report("splash", splashWindow.Handle());
  if (progressWindow.Handle()) Report("progress", progressWindow.Handle());
  const DWORD until = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
  while (static_cast<int>(until - GetTickCount()) > 0) cv::PumpMessages();
  progressWindow.Close();
  splashWindow.End();
  return 0;
}
