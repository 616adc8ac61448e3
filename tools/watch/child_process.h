#pragma once
// Starts a program of the build as a child process with chosen environment
// variables, the way a user's shell would start it.

#include <windows.h>

#include <map>
#include <string>

namespace cv::test {

class ChildProcess {
 public:
  // `commandLine` as CreateProcess takes it; `environment` entries replace or
  // add variables of the test's own environment.
  ChildProcess(const std::string& commandLine,
               const std::map<std::string, std::string>& environment);
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();  // ends the process if it still runs

  bool Started() const { return process_.hProcess != nullptr; }
  DWORD Id() const { return process_.dwProcessId; }
  HANDLE Handle() const { return process_.hProcess; }
  // Waits for the end; false on time-out.
  bool Wait(DWORD timeoutMs);
  DWORD ExitCode() const;

 private:
  PROCESS_INFORMATION process_ = {};
};

// Folder of the running test program, with trailing backslash.
std::string TestProgramFolder();

}  // namespace cv::test
