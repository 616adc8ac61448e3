#include "child_process.h"

#include <cstring>
#include <vector>

#include "platform/case_map.h"

namespace cv::test {

namespace {

std::vector<char> EnvironmentBlock(const std::map<std::string, std::string>& overrides) {
  std::map<std::string, std::string> upperNames;
  for (const auto& [name, value] : overrides) upperNames[CaseMapUpper(name)] = name + "=" + value;
  std::vector<char> block;
  char* current = GetEnvironmentStringsA();
  for (const char* entry = current; entry && *entry; entry += std::strlen(entry) + 1) {
    const std::string text = entry;
    const std::string name = CaseMapUpper(text.substr(0, text.find('=', 1)));
    if (upperNames.count(name)) continue;
    block.insert(block.end(), text.begin(), text.end());
    block.push_back('\0');
  }
  if (current) FreeEnvironmentStringsA(current);
  for (const auto& [name, text] : upperNames) {
    block.insert(block.end(), text.begin(), text.end());
    block.push_back('\0');
  }
  block.push_back('\0');
  return block;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& commandLine,
                           const std::map<std::string, std::string>& environment) {
  std::vector<char> block = EnvironmentBlock(environment);
  std::string line = commandLine;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, block.data(), nullptr,
                      &startup, &process_)) {
    process_ = {};
    return;
  }
  CloseHandle(process_.hThread);
  process_.hThread = nullptr;
}

ChildProcess::~ChildProcess() {
  if (!process_.hProcess) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hProcess);
}

bool ChildProcess::Wait(DWORD timeoutMs) {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_.hProcess) GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

std::string TestProgramFolder() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

}  // namespace cv::test
