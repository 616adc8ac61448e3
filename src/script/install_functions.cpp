// The built-in functions that act on the run: the installation thread, the
// language, the package password, the install log and the engine's copy.

#include <memory>
#include <mutex>
#include <utility>

#include "script/function_args.h"
#include "script/install_control.h"

namespace cv {

namespace {

std::mutex controlLock;
InstallControlRoutines installedControl;

}  // namespace

InstallControlRoutines SetInstallControl(InstallControlRoutines routines) {
  std::lock_guard lock(controlLock);
  return std::exchange(installedControl, std::move(routines));
}

InstallControlRoutines InstallControl() {
  std::lock_guard lock(controlLock);
  return installedControl;
}

namespace builtin {

CV_FUNCTION(AbortInstall) {
  (void)args, (void)context, (void)result;
  if (const auto routine = InstallControl().AbortInstall) routine();
}

CV_FUNCTION(SuspendInstall) {
  (void)args, (void)context, (void)result;
  if (const auto routine = InstallControl().SuspendInstall) routine();
}

CV_FUNCTION(ResumeInstall) {
  (void)args, (void)context, (void)result;
  if (const auto routine = InstallControl().ResumeInstall) routine();
}

CV_FUNCTION(SetLanguage) {
  (void)context, (void)result;
  if (const auto routine = InstallControl().SetLanguage) routine(Arg(args, 0));
}

CV_FUNCTION(SetPassword) {
  (void)context, (void)result;
  if (const auto routine = InstallControl().SetPassword) routine(Arg(args, 0));
}

CV_FUNCTION(LogOperation) {
  (void)context, (void)result;
  if (const auto routine = InstallControl().LogOperation) {
    routine(Arg(args, 0), Arg(args, 1), Arg(args, 2));
  }
}

CV_FUNCTION(CopyFileFunction) {
  (void)context;
  const auto routine = InstallControl().Copy;
  result = TruthText(routine && routine(Arg(args, 0), Arg(args, 1)));
}

}  // namespace builtin

}  // namespace cv
