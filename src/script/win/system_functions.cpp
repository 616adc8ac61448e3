// Built-in functions that start programs, look for windows and mutexes, and
// ask the user.

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/win/com_objects.h"
#include "platform/win/message_box.h"
#include "platform/win/run_program.h"
#include "platform/win/screen.h"
#include "script/win/platform_handlers.h"

namespace cv::builtin {

namespace {

// The window modes Execute's show-mode index selects, in index order.
constexpr int kShowModes[] = {SW_SHOWNORMAL, SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED, SW_HIDE};

// MessageBox's icon and button indexes; other values give no icon and OK
// alone.
constexpr UINT kIcons[] = {MB_ICONINFORMATION, MB_ICONQUESTION, MB_ICONWARNING, MB_ICONERROR};

UINT IconFlag(std::int32_t index) {
  return index >= 0 && index <= 3 ? kIcons[static_cast<std::size_t>(index)] : 0;
}

UINT ButtonFlags(std::int32_t index) {
  switch (index) {
    case 1: return MB_YESNO;
    case 2: return MB_OKCANCEL;
    default: return MB_OK;
  }
}

const char* OptionalText(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

CV_FUNCTION(ExecuteFunction) {
  (void)context;
  const std::string& program = Arg(args, 0);
  const std::string& parameters = Arg(args, 1);
  const std::string& folder = Arg(args, 2);
  const int show =
      kShowModes[static_cast<std::size_t>(std::clamp<std::int32_t>(ArgInt(args, 3), 0, 3))];
  if (ArgFlag(args, 4)) {
    result = std::to_string(RunAndWait(nullptr, program, parameters, show, folder));
    return;
  }
  // The shell may hand the file to an extension, which is a COM object.
  const ComScope com;
  const auto answer = reinterpret_cast<INT_PTR>(ShellExecuteA(
      nullptr, nullptr, program.c_str(), OptionalText(parameters), OptionalText(folder), show));
  // Above 32 the shell succeeded; 1 to 32 are its error codes.
  result = answer > 32 ? "0" : answer == 0 ? "-1" : std::to_string(answer);
}

CV_FUNCTION(WindowExistsFunction) {
  (void)context;
  result = TruthText(FindWindowByTitle(Arg(args, 0)) != nullptr);
}

CV_FUNCTION(MutexExistsFunction) {
  (void)context;
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, Arg(args, 0).c_str());
  if (mutex) CloseHandle(mutex);
  result = TruthText(mutex != nullptr);
}

CV_FUNCTION(MessageBoxFunction) {
  (void)context;
  const UINT flags = IconFlag(ArgInt(args, 2)) | ButtonFlags(ArgInt(args, 3));
  // Owned by the window the user works in (the wizard's page while it
  // shows), so that the box stays in front of it.
  const int answer = ShowMessageBox(ActiveWindowOwner(), Arg(args, 0), Arg(args, 1), flags);
  result = TruthText(answer == IDOK || answer == IDYES);
}

}  // namespace cv::builtin
