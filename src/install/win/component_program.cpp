#include "install/win/component_program.h"

#include <shellapi.h>

#include <charconv>

#include "platform/win/file_system.h"
#include "platform/win/run_program.h"

namespace cv {

namespace {

struct ResumePoint {
  std::string ComponentId;
  int Index = 0;
};

ResumePoint ParseResumePoint(const std::string& data) {
  const std::size_t comma = data.rfind(',');
  if (comma == std::string::npos) return {data, 0};
  ResumePoint point{data.substr(0, comma), 0};
  const char* first = data.data() + comma + 1;
  const char* last = data.data() + data.size();
  const auto [end, error] = std::from_chars(first, last, point.Index);
  // A damaged index resumes at the component's first entry.
  if (error != std::errc{} || end != last) point.Index = 0;
  return point;
}

int ShowMode(TcvShowCmd show) {
  switch (show) {
    case TcvShowCmd::scNormal: return SW_SHOWNORMAL;
    case TcvShowCmd::scMin: return SW_SHOWMINNOACTIVE;
    case TcvShowCmd::scMax: return SW_SHOWMAXIMIZED;
    case TcvShowCmd::scHide: return SW_HIDE;
  }
  return SW_SHOWNORMAL;
}

}  // namespace

std::string ProgramResumeData(const std::string& componentId, int index) {
  return componentId + "," + std::to_string(index);
}

bool AlreadyDoneBeforeResume(TcvMainDatabase& database, const std::string& componentId,
                             int index) {
  if (database.InstallStateData.empty()) return false;
  const ResumePoint point = ParseResumePoint(database.InstallStateData);
  if (point.ComponentId != componentId) return true;
  if (index >= point.Index) database.InstallStateData.clear();
  return true;
}

void EndResumeInComponent(TcvMainDatabase& database, const std::string& componentId) {
  if (database.InstallStateData.empty()) return;
  if (ParseResumePoint(database.InstallStateData).ComponentId == componentId) {
    database.InstallStateData.clear();
  }
}

TcvInstallState ProgramInstallState(TcvWhenStart when) {
  switch (when) {
    case TcvWhenStart::before_install: return TcvInstallState::isRunAppBeforeInstall;
    case TcvWhenStart::before_dialogs: return TcvInstallState::isRunAppBeforeDialogs;
    default: return TcvInstallState::isRunAppAfterInstall;
  }
}

bool RunComponentProgram(TcvMainDatabase& database, const bool& resumePending, HWND owner,
                         const std::string& componentId, int index, const TcvRunApp& item,
                         const ResolvedProgram& resolved) {
  const int show = ShowMode(item.ShowCmd);
  database.InstallState = ProgramInstallState(item.WhenStart);
  database.InstallStateData = ProgramResumeData(componentId, index);
  bool ok = true;
  if (item.Flags.Contains(TcvFlag::dont_wait)) {
    ShellExecuteA(owner, nullptr, resolved.CmdLine.c_str(), resolved.Arg.c_str(),
                  resolved.WorkDir.empty() ? nullptr : resolved.WorkDir.c_str(), show);
  } else {
    const std::int32_t code =
        RunAndWait(owner, resolved.CmdLine, resolved.Arg, show, resolved.WorkDir);
    ok = !(item.Flags.Contains(TcvFlag::check_exitcode) && code != 0);
  }
  if (resumePending) return true;
  database.InstallState = TcvInstallState::isUnknown;
  database.InstallStateData.clear();
  // Opening a folder returns before its window is up; the next program's
  // window would otherwise come up behind it.
  if (FolderExists(resolved.CmdLine)) Sleep(500);
  return ok;
}

}  // namespace cv
