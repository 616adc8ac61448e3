// cvwatch: runs a program unattended and reports what a user would have seen.
//
//   cvwatch [--press ok|cancel|yes|no] [--timeout SECONDS] PROGRAM [ARGUMENTS...]
//
// Every dialog box the program shows is printed (caption, icon, text) and
// answered with the chosen button; at the end the program's exit code is
// printed and becomes cvwatch's own.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "child_process.h"
#include "dialog_watcher.h"
#include "platform/command_line.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: cvwatch [--press ok|cancel|yes|no] [--timeout SECONDS] PROGRAM "
               "[ARGUMENTS...]\n");
  return 2;
}

int ButtonNamed(const std::string& name) {
  if (name == "ok") return IDOK;
  if (name == "cancel") return IDCANCEL;
  if (name == "yes") return IDYES;
  if (name == "no") return IDNO;
  return 0;
}

}  // namespace

int main() {
  const cv::ArgumentList args = cv::SplitParams(GetCommandLineA());
  int button = IDOK;
  DWORD timeoutMs = 120000;
  std::size_t i = 1;
  for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
    if (args[i] == "--press" && i + 1 < args.size()) {
      button = ButtonNamed(args[++i]);
      if (button == 0) return Usage();
    } else if (args[i] == "--timeout" && i + 1 < args.size()) {
      timeoutMs = static_cast<DWORD>(std::strtoul(args[++i].c_str(), nullptr, 10) * 1000);
    } else {
      return Usage();
    }
  }
  if (i >= args.size()) return Usage();

  std::string commandLine;
  for (std::size_t j = i; j < args.size(); ++j) {
    if (!commandLine.empty()) commandLine += ' ';
    commandLine += '"' + args[j] + '"';
  }
  cv::test::DialogWatcher watcher(0xFFFFFFFF, button);
  cv::test::ChildProcess program(commandLine, {});
  if (!program.Started()) {
    std::fprintf(stderr, "cvwatch: cannot start %s (error %lu)\n", args[i].c_str(), GetLastError());
    return 2;
  }
  watcher.SetProcess(program.Id());
  if (!program.Wait(timeoutMs)) {
    std::fprintf(stderr, "cvwatch: %s did not end within %lu seconds\n", args[i].c_str(),
                 timeoutMs / 1000);
    return 3;
  }
  Sleep(100);  // let the watcher record a box shown just before the end
  for (const auto& box : watcher.Seen()) {
    std::printf("box: [%s] (%s icon) %s\n", box.Caption.c_str(), cv::test::DialogIconName(box.Icon),
                box.Text.c_str());
  }
  const auto code = static_cast<int>(program.ExitCode());
  std::printf("exit code: %d\n", code);
  std::fflush(stdout);
  return code;
}
