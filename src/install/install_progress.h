#pragma once
// Progress of the installation run, in bytes plus a weight per registry, ini,
// shortcut and run-app item, and the status the plug-ins are shown.

#include <cstdint>
#include <string>

namespace cv {

struct InstallProgress {
  std::int64_t Position = 0;
  std::int64_t Max = 0;
  std::int64_t ItemWeight = 0;
  // What was last sent, so that a repeat is not sent again.
  int LastPercent = -1;
  std::string LastText;
  std::string LastDetail;
  bool SentAny = false;
};

// The run's progress, one for the process.
InstallProgress& Progress();

// Starts the count: Position 0, Max total bytes + 1, plus `itemCount` items
// of the weight ItemWeightFor gives.
void StartProgress(std::int64_t totalBytes, std::int64_t itemCount);

// (total bytes + 1) x 0.25 to the nearest integer (at least the count),
// divided by the count to the nearest integer; ties go to the even
// neighbour. 0 without items.
std::int64_t ItemWeightFor(std::int64_t totalBytes, std::int64_t itemCount);

// Position / Max x 100 to the nearest integer (ties to even).
int ProgressPercent(const InstallProgress& progress);

// Sends EV_INSTALLPROGRESS [text, detail, percent] unless all three equal
// what was sent last.
void ShowStatus(const std::string& text, const std::string& detail);

}  // namespace cv
