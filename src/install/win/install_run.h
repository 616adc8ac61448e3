#pragma once
// The installation run: every step the project asks for, in a fixed order,
// framed by the EV_ messages that let plug-ins watch, skip items and skip
// whole steps; the copy step on a worker thread while this thread pumps
// window messages. Rollback after a failed run is the caller's.

#include <cstdint>
#include <string>
#include <vector>

#include "database/main_database.h"

namespace cv {

// Step kinds as plug-ins receive them.
enum class InstallStep : std::int32_t {
  Files = 0,
  Registry = 1,
  IniFiles = 2,
  Shortcuts = 3,
  Servers = 4,
  Fonts = 5,
  RunApps = 6,
};

// What became of one registry or ini item: done (EV_AFTERPROCESSITEM
// follows), left alone because its value is there and must not be
// overwritten (nothing follows), or failed (the step ends).
enum class ItemResult { Done, Skipped, Failed };

// What the run needs from the engine and from the steps that other parts of
// the installation engine provide. The step operations of this class report
// "... is not available in this build." and fail when they have work to do;
// the engine (and tests) override what they provide.
class InstallRunHost {
 public:
  virtual ~InstallRunHost() = default;

  // --- The engine ---
  virtual TcvMainDatabase& Database() = 0;
  virtual const std::string& SetupFileName() = 0;
  virtual const std::string& WorkFolder() = 0;  // with its trailing backslash
  virtual bool& ResumeMode() = 0;
  virtual bool& Cancelled() = 0;
  virtual bool& ResumePending() = 0;
  // The package's password passes its check (true without a password).
  virtual bool PasswordAccepted() { return true; }
  // Language string N of the run's language, empty when there is none.
  virtual std::string EngineString(int n);
  // Variables and expressions resolved.
  virtual std::string Resolve(const std::string& text);
  virtual void ShowStatusText(const std::string& /*text*/, int /*delayMs*/) {}
  virtual void HideStatusText() {}
  // Saves "MainDB" and "InstallActions" with the state; ResumePending tells
  // whether both were written.
  virtual void SaveStateForResume(TcvInstallState state, const std::string& data);
  // Answers a message box (IDRETRY, IDCANCEL...); a test answers itself.
  virtual int AskMessageBox(const std::string& caption, const std::string& text,
                            unsigned flags);

  // --- Steps provided by other parts ---
  virtual bool RemoveOldReferences();
  // The removal pass over all components, before the copy step.
  virtual bool RemoveComponentFiles();
  // The copy step; runs on the worker thread.
  virtual bool CopyComponentFiles();
  // "Uninstall.exe" and "gacutil.exe" beside the log.
  virtual bool CopyUninstallerFiles();
  virtual bool RegisterServers();
  virtual ItemResult InstallRegistryItem(TcvComponent& component, TcvReg& item);
  virtual ItemResult InstallIniItem(TcvComponent& component, TcvIni& item);
  virtual bool RegisterFonts();
  virtual bool InstallShortcut(TcvComponent& component, TcvShortcut& item);
  virtual bool SetEnvironmentVariables();
  // Starts one program before or after the installation.
  virtual bool RunProgram(TcvComponent& component, TcvRunApp& item);
  virtual bool RegisterUninstall();
  virtual bool SaveSilentSettings();
};

// The whole run; true when every step it entered succeeded. Failures that
// end it: the password, the disk space, the missing setup source (when the
// user cancels), any failed step, a failed copy of the uninstaller, and
// cancellation (AbortRun) at any step or item boundary.
bool InstallRun(InstallRunHost& host);

// The space the run needs in KiB: the selected features' size, or the sum
// of the components' sizes in a project without features.
std::int64_t RequiredSpace(const TcvMainDatabase& database);

}  // namespace cv
