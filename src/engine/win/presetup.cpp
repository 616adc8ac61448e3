#include "engine/win/presetup.h"

#include <windows.h>

#include <cstdint>

#include "database/variable_access.h"
#include "engine/package_header.h"
#include "engine/presetup_rules.h"
#include "engine/run_state.h"
#include "engine/win/cv_unpacker.h"
#include "engine/win/main_window.h"
#include "engine/win/presetup_windows.h"
#include "platform/case_map.h"
#include "platform/paths.h"
#include "platform/win/file_system.h"
#include "platform/win/message_box.h"

namespace cv {
namespace {

// One preparation: the windows and the progress of all packages together.
class Presetup {
 public:
  explicit Presetup(TcvMainDatabase& database) : database_(database) {}
  ~Presetup() { CloseWindows(); }
  Presetup(const Presetup&) = delete;
  Presetup& operator=(const Presetup&) = delete;

  bool Run();

 private:
  bool Extract(TcvPackage& package);
  int OnFileToExtract(const std::string& name, std::string& outputPath);
  void OnFileComplete(const std::string& name, const std::string& outputPath);
  void OnDataWritten(std::uint32_t bytes);
  void CloseWindows();

  TcvMainDatabase& database_;
  std::int64_t total_ = 0;
  std::int64_t done_ = 0;
  int lastPercent_ = -1;
  bool silent_ = false;
  bool noProgressWindow_ = false;
  std::string folder_;       // of the package being extracted
  std::string packageName_;  // its file name without extension
  SplashWindow splash_;
  ProgressWindow progress_;
};

bool Presetup::Run() {
  TcvPackages& packages = *database_.Packages;
  for (int i = 0; i < packages.Count(); ++i) {
    const TcvPackage* package = packages.Package(i);
    if (package && !package->Prepared) total_ = AddPresetupSize(total_, package->PresetupSize);
  }
  if (DiskFreeKB(cv::Run().WorkFolder) < RequiredFreeKB(total_)) {
    ShowErrorBox("Error", "Insufficient free disk space.");
    return false;
  }
  bool lastSilent = true;
  for (int i = 0; i < packages.Count(); ++i) {
    TcvPackage* package = packages.Package(i);
    if (!package) continue;
    silent_ = GetVarInt(&database_, "SilentMode", 0) != 0 ||
              (package->Flags & kPackageSilentPresetup) != 0;
    noProgressWindow_ = (package->Flags & kPackageNoProgressWindow) != 0;
    lastSilent = silent_;
    if (package->Prepared) continue;
    if (!Extract(*package)) return false;
    package->Prepared = true;
  }
  if (!lastSilent) Sleep(100);
  return true;
}

bool Presetup::Extract(TcvPackage& package) {
  ForceFolders(package.TempPath);
  folder_ = package.TempPath;
  packageName_ = package.FileName;
  progress_.SetTitle(packageName_);
  UnpackRoutines routines;
  routines.onFileToExtract = [this](const std::string& name, std::uint32_t, std::uint32_t,
                                    const LocalTime&, std::string& outputPath) {
    return OnFileToExtract(name, outputPath);
  };
  routines.onFileComplete = [this](const std::string& name, std::uint32_t, std::uint32_t,
                                   const LocalTime&, const std::string& outputPath) {
    OnFileComplete(name, outputPath);
    return 1;
  };
  routines.onDataWritten = [this](const std::string&, const std::string&, std::uint32_t,
                                  std::uint32_t bytes, std::uint32_t) {
    OnDataWritten(bytes);
    return 1;
  };
  TcvUnpacker unpacker(package.FullFileName, (package.Flags & kPackageScrambled) != 0, 0);
  return unpacker.Enumerate(routines);
}

int Presetup::OnFileToExtract(const std::string& name, std::string& outputPath) {
  if (!silent_ && !noProgressWindow_ && total_ > 0 && !progress_.Visible() &&
      !IsPresetupPicture(name)) {
    progress_.Show(folder_, packageName_, MainWindow::Current(), splash_.Handle() != nullptr);
  }
  if (IsDataEntry(name)) return -1;
  if (!IsContainedEntryName(name)) return 0;
  outputPath = folder_ + name;
  ForceFolders(ExtractFolder(outputPath));
  return 1;
}

void Presetup::OnFileComplete(const std::string& name, const std::string& outputPath) {
  if (!silent_ && !splash_.Visible() && SameTextNoCase(name, "splash.bmp")) {
    splash_.Show(outputPath, MainWindow::Current());
  }
}

void Presetup::OnDataWritten(std::uint32_t bytes) {
  done_ += bytes;
  if (total_ <= 0) return;
  const int percent = PresetupPercent(done_, total_);
  if (percent != lastPercent_) {
    lastPercent_ = percent;
    progress_.SetPercent(percent);
  }
}

void Presetup::CloseWindows() {
  progress_.Close();
  splash_.End();
}

}  // namespace

bool PreparePackages(TcvMainDatabase& database) {
  Presetup presetup(database);
  return presetup.Run();
}

}  // namespace cv
