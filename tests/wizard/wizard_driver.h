#pragma once
// Drives the standard wizard of another process as a user would: through its
// window's real controls, with keys posted to the control that has the focus.

#include <windows.h>

#include <string>

namespace cv::test {

class WizardDriver {
 public:
  explicit WizardDriver(DWORD processId) : processId_(processId) {}

  // Waits for the wizard window; false on time-out.
  bool WaitForWindow(DWORD timeoutMs);
  HWND Window() const { return window_; }
  // Waits until the page title reads `title`; false on time-out.
  bool WaitForTitle(const std::string& title, DWORD timeoutMs);
  std::string Title() const { return Text(1002); }
  std::string Text(int id) const;
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }

  // A key as the user presses it, delivered to the control with the focus.
  void Key(WORD key);
  // Alt with a letter: a mnemonic.
  void AltKey(char letter);
  void Type(const std::string& text);
  // The control with the keyboard focus in the wizard's thread.
  HWND Focus() const;
  // Finds a message box of the wizard's process; empty text when none came.
  HWND WaitForBox(DWORD timeoutMs) const;
  static std::string BoxText(HWND box);
  // Writes the window as the screen shows it to `<folder>\<name>.bmp` when
  // the environment variable CV_WIZARD_SCREENSHOTS names a folder.
  void Shoot(const std::string& name) const;

 private:
  DWORD processId_;
  HWND window_ = nullptr;
};

}  // namespace cv::test
