#include "install/install_progress.h"

#include <cmath>

#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"

namespace cv {

namespace {

// The default rounding mode rounds to nearest with ties to even.
std::int64_t RoundHalfEven(double value) { return static_cast<std::int64_t>(std::nearbyint(value)); }

}  // namespace

InstallProgress& Progress() {
  static InstallProgress progress;
  return progress;
}

std::int64_t ItemWeightFor(std::int64_t totalBytes, std::int64_t itemCount) {
  if (itemCount <= 0) return 0;
  std::int64_t w = RoundHalfEven(static_cast<double>(totalBytes + 1) * 0.0125 * 20);
  if (w < itemCount) w = itemCount;
  return RoundHalfEven(static_cast<double>(w) / static_cast<double>(itemCount));
}

void StartProgress(std::int64_t totalBytes, std::int64_t itemCount) {
  InstallProgress& progress = Progress();
  progress = InstallProgress{};
  progress.Max = totalBytes + 1;
  progress.ItemWeight = ItemWeightFor(totalBytes, itemCount);
  progress.Max += itemCount * progress.ItemWeight;
}

int ProgressPercent(const InstallProgress& progress) {
  if (progress.Max <= 0) return 0;
  return static_cast<int>(RoundHalfEven(static_cast<double>(progress.Position) /
                                        static_cast<double>(progress.Max) * 100.0));
}

void ShowStatus(const std::string& text, const std::string& detail) {
  InstallProgress& progress = Progress();
  const int percent = ProgressPercent(progress);
  if (progress.SentAny && percent == progress.LastPercent && text == progress.LastText &&
      detail == progress.LastDetail) {
    return;
  }
  progress.SentAny = true;
  progress.LastPercent = percent;
  progress.LastText = text;
  progress.LastDetail = detail;
  if (!EventHasReceivers(EV_INSTALLPROGRESS)) return;
  SendMessageById(0, EV_INSTALLPROGRESS, NewParamsBlock({text, detail, std::int32_t{percent}}),
                  true, false, 0);
}

}  // namespace cv
