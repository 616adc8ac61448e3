#include <windows.h>
#include <commctrl.h>

#include <exception>

#include "engine/run_state.h"
#include "engine/startup_switches.h"
#include "engine/win/engine.h"
#include "engine/win/engine_operations.h"
#include "engine/work_folder_rules.h"
#include "install/win/restart_file_operations.h"
#include "platform/paths.h"
#include "platform/unique_name.h"
#include "platform/win/file_access.h"
#include "platform/win/file_system.h"
#include "platform/win/library.h"
#include "platform/date_time.h"
#include "platform/win/message_box.h"
#include "platform/win/self_delete.h"
#include "platform/win/shutdown.h"
#include "platform/win/system_folders.h"
#include "script/silent_abort.h"

namespace cv {

ArgumentList ProgramArguments() {
  ArgumentList args = SplitParams(GetCommandLineA());
  // Argument 0 is the program file as Windows knows it, not as it was typed.
  if (args.empty()) {
    args.push_back(ModuleFileName());
  } else {
    args[0] = ModuleFileName();
  }
  return args;
}

int EngineMain() {
  RemoveCurrentFolderFromDllSearch();
  const ArgumentList args = ProgramArguments();
  const StartupSwitches switches = ParseStartupSwitches(args);
  EngineOperations operations(args, switches);
  return EngineMain(operations, args, switches);
}

int EngineMain(SetupOperations& operations, const ArgumentList& args) {
  return EngineMain(operations, args, ParseStartupSwitches(args));
}

namespace {

// A new folder `parent` + unique name + "\", created; empty when that fails.
std::string CreateUniqueFolder(const std::string& parent) {
  const std::string folder = parent + MakeUniqueName(parent, "", "", true) + "\\";
  return ForceFolders(folder) ? folder : std::string();
}

bool CreateWorkFolders(SetupOperations& operations, RunState& run) {
  run.WorkFolder = CreateUniqueFolder(TempRoot());
  if (run.WorkFolder.empty()) return false;
  const std::string fonts = CreateUniqueFolder(run.WorkFolder);
  const std::string assemblies = CreateUniqueFolder(run.WorkFolder);
  const std::string backups = CreateUniqueFolder(run.WorkFolder);
  if (fonts.empty() || assemblies.empty() || backups.empty()) return false;
  operations.SetTempFolders(fonts, assemblies, backups);
  return true;
}

// A folder named by "/resume:" is one of the engine's own work folders when it
// was made directly in the temporary root under a unique name and holds what
// the start of every run that could save a state wrote into it. Anything else
// (a user's folder, a drive root) is never deleted.
bool IsOwnWorkFolder(const std::string& folder) {
  const std::string full = IncludeBackslash(LongFullPath(folder));
  const DWORD attributes = GetFileAttributesA(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return false;
  }
  return HasWorkFolderShape(full, LongFullPath(TempRoot())) && FileExists(full + "unpack.dll") &&
         FileExists(full + "Resume.exe");
}

}  // namespace

int EngineMain(SetupOperations& operations, const ArgumentList& args, const StartupSwitches& switches) {
  RunState& run = Run();
  bool result = false;
  bool startedToResume = false;
  try {
    UseEngineDateTimeFormats();
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    bool startupFailed = false;
    if (switches.ResumeFolder) {
      run.ResumeMode = true;
      // Only the engine's registered copy of itself goes away after a resume;
      // a setup file started with a stray switch stays where it is.
      startedToResume = HasResumeCopyShape(LongFullPath(ModuleFileName()), LongFullPath(TempRoot()));
      if (IsOwnWorkFolder(*switches.ResumeFolder)) {
        run.WorkFolder = *switches.ResumeFolder;
        if (!operations.LoadResumeState()) {
          ShowError("Cannot resume installation.");
          startupFailed = true;
        }
      } else {
        ShowError("Cannot resume installation.");
        startupFailed = true;
      }
    }
    if (!startupFailed) {
      if (switches.ExeName) run.SetupFileName = *switches.ExeName;
      if (!run.ResumeMode && !CreateWorkFolders(operations, run)) {
        ShowError("Cannot create the temporary folder \"" + TempRoot() + "\".");
        startupFailed = true;
      }
    }
    if (!startupFailed) result = RunSetup(operations, args);
  } catch (const SilentAbort&) {
    result = false;
  } catch (const std::exception& error) {
    ShowError(error.what());
    result = false;
  }

  if (!run.ResumePending && !run.WorkFolder.empty()) DeleteTree(run.WorkFolder, true);
  if (startedToResume) {
    // In resume mode the running file is the temporary copy made for the
    // restart; it goes now, or at the restart when one follows.
    if (result && run.RebootAfterExit) {
      ScheduleFileDelete(ModuleFileName());
    } else {
      SelfDelete(false);
    }
  }
  if (result && run.RebootAfterExit) Reboot(false);
  if (!result && run.ExitCode == 0) run.ExitCode = -1;
  return run.ExitCode;
}

}  // namespace cv
