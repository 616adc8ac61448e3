#pragma once
// The windows the presetup shows while it extracts: the splash picture,
// kept up for its minimum display time, and the progress window, either a
// picture supplied by the package or the built-in dialog.

#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/win/picture_window.h"

namespace cv {

class SplashWindow {
 public:
  SplashWindow() = default;
  ~SplashWindow() { End(); }
  SplashWindow(const SplashWindow&) = delete;
  SplashWindow& operator=(const SplashWindow&) = delete;

  // Shows the picture centred in the work area, shaped by the region file of
  // the same name and translucent as its appended opacity says. Nothing
  // happens for a missing file or one that is no bitmap.
  void Show(const std::string& path, HWND owner);
  // Waits, pumping messages, until the minimum display time has passed, then
  // closes the window and frees the picture.
  void End();

  bool Visible() const { return window_ && IsWindowVisible(window_); }
  HWND Handle() const { return window_; }
  // The alpha the window was given; 255 for an opaque one.
  std::uint8_t Alpha() const { return alpha_; }

 private:
  HWND window_ = nullptr;
  Picture picture_;
  DWORD shownAt_ = 0;
  DWORD minimumMilliseconds_ = 0;
  std::uint8_t alpha_ = 255;
};

class ProgressWindow {
 public:
  ProgressWindow() = default;
  ~ProgressWindow() { Close(); }
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // Creates the window on first use (the picture "presetup.bmp" of
  // `packageFolder` when there is one, else the built-in dialog titled for
  // `packageName`), resets the bar, places it (beside the splash when there
  // is one, else centred) and shows it.
  void Show(const std::string& packageFolder, const std::string& packageName, HWND owner,
            bool besideSplash);
  void SetTitle(const std::string& packageName);
  void SetPercent(int percent);
  // Destroys the window and frees the picture.
  void Close();

  bool Exists() const { return window_ != nullptr; }
  bool Visible() const { return window_ && IsWindowVisible(window_); }
  HWND Handle() const { return window_; }
  HWND Bar() const { return bar_; }

 private:
  bool CreatePictureForm(const std::string& packageFolder, HWND owner);
  bool CreateDialogForm(const std::string& packageName, HWND owner);

  HWND window_ = nullptr;
  HWND bar_ = nullptr;
  Picture picture_;
};

// 'Preparing "<name>" package...'
std::string PreparingTitle(const std::string& packageName);

}  // namespace cv
