#include "engine/win/presetup_windows.h"

#include <commctrl.h>

#include "engine/presetup_rules.h"
#include "engine/resource_ids.h"
#include "platform/file_io.h"
#include "platform/format_text.h"
#include "platform/paths.h"
#include "platform/win/screen.h"

namespace cv {
namespace {

// Where the bar sits on a package's own progress picture, and its colours.
constexpr RECT kPictureBar = {82, 185, 82 + 173, 185 + 16};
constexpr COLORREF kPictureBarColour = 0xFFC876;
constexpr COLORREF kPictureBarBackground = 0xFFFFEB;
constexpr int kSplashMargin = 20;

// The file's last `count` bytes; empty when it is shorter or unreadable.
std::string ReadLastBytes(const std::string& path, std::size_t count) {
  std::string bytes;
  if (!ReadFileRange(path, -static_cast<std::int64_t>(count), count, bytes)) return {};
  return bytes.size() == count ? bytes : std::string();
}

using SetLayeredAttributes = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

// Layered windows exist from Windows 2000 on; looked up so that the engine
// still starts where user32 lacks the call.
SetLayeredAttributes LayeredAttributesCall() {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  if (!user32) return nullptr;
  return reinterpret_cast<SetLayeredAttributes>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
}

INT_PTR CALLBACK PresetupDialogProcedure(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

}  // namespace

std::string PreparingTitle(const std::string& packageName) {
  return FormatText("Preparing \"%s\" package...", {packageName});
}

void SplashWindow::Show(const std::string& path, HWND owner) {
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  const std::optional<SplashSettings> settings = ReadSplashSettings(ReadLastBytes(path, 8));
  minimumMilliseconds_ = settings ? settings->MinimumMilliseconds : 0;
  if (!window_ && picture_.Load(path)) {
    const RECT work = WorkArea();
    const POINT position = {work.left + (work.right - work.left - picture_.Size().cx) / 2,
                            work.top + (work.bottom - work.top - picture_.Size().cy) / 2};
    window_ = CreatePictureWindow("CVSplashWindow", picture_, position, owner,
                                  PictureBackground::Erased);
    if (window_) {
      if (HRGN region = LoadRegionFile(ChangeExtension(path, ".rgn"))) {
        // The window owns the region from here on.
        if (!SetWindowRgn(window_, region, TRUE)) DeleteObject(region);
      }
      const std::optional<std::uint8_t> alpha = SplashAlpha(settings ? settings->Opacity : 100);
      const SetLayeredAttributes setLayered = LayeredAttributesCall();
      if (alpha && setLayered) {
        SetWindowLongPtrA(window_, GWL_EXSTYLE,
                          GetWindowLongPtrA(window_, GWL_EXSTYLE) | WS_EX_LAYERED);
        setLayered(window_, 0, *alpha, LWA_ALPHA);
        alpha_ = *alpha;
      }
    }
  }
  if (!window_) return;
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  RedrawNow(window_);
  shownAt_ = GetTickCount();
}

void SplashWindow::End() {
  if (window_) {
    // The rest of the display time, which a click or Esc cuts short: the
    // splash is the only window now, so it takes the keyboard. A wrapped
    // tick count (now before the moment shown) also ends the wait.
    bool focused = false;
    for (DWORD now = GetTickCount(); now >= shownAt_ && now - shownAt_ < minimumMilliseconds_ &&
                                     !PictureDismissed(window_);
         now = GetTickCount()) {
      if (!focused) {
        SetForegroundWindow(window_);
        SetFocus(window_);
        focused = true;
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, minimumMilliseconds_ - (now - shownAt_), QS_ALLINPUT);
      PumpMessages();
    }
    DestroyWindow(window_);
    window_ = nullptr;
  }
  picture_.Reset();
  alpha_ = 255;
}

bool ProgressWindow::CreatePictureForm(const std::string& packageFolder, HWND owner) {
  if (!picture_.Handle() && !picture_.Load(packageFolder + "presetup.bmp")) return false;
  window_ = CreatePictureWindow("CVPresetupWindow", picture_, {0, 0}, owner,
                                PictureBackground::Covered);
  if (!window_) return false;
  bar_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, kPictureBar.left,
                         kPictureBar.top, kPictureBar.right - kPictureBar.left,
                         kPictureBar.bottom - kPictureBar.top, window_, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
  SendMessageA(bar_, PBM_SETBARCOLOR, 0, kPictureBarColour);
  SendMessageA(bar_, PBM_SETBKCOLOR, 0, kPictureBarBackground);
  if (HRGN region = LoadRegionFile(packageFolder + "presetup.rgn")) {
    if (!SetWindowRgn(window_, region, TRUE)) DeleteObject(region);
  }
  return true;
}

bool ProgressWindow::CreateDialogForm(const std::string& packageName, HWND owner) {
  window_ = CreateDialogParamA(GetModuleHandleA(nullptr), "DLG_PRESETUP", owner,
                               PresetupDialogProcedure, 0);
  if (!window_) return false;
  SetWindowTextA(window_, PreparingTitle(packageName).c_str());
  bar_ = GetDlgItem(window_, CV_IDC_PRESETUP_PROGRESS);
  return true;
}

void ProgressWindow::Show(const std::string& packageFolder, const std::string& packageName,
                          HWND owner, bool besideSplash) {
  if (!window_) {
    if (!CreatePictureForm(packageFolder, owner) && !CreateDialogForm(packageName, owner)) return;
    SendMessageA(bar_, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageA(bar_, PBM_SETSTEP, 1, 0);
  }
  SendMessageA(bar_, PBM_SETPOS, 0, 0);
  if (besideSplash) {
    const RECT work = WorkArea();
    RECT frame;
    GetWindowRect(window_, &frame);
    SetWindowPos(window_, nullptr, work.right - kSplashMargin - (frame.right - frame.left),
                 work.bottom - kSplashMargin - (frame.bottom - frame.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    CenterWindow(window_);
  }
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  RedrawNow(window_);
}

void ProgressWindow::SetTitle(const std::string& packageName) {
  if (window_) SetWindowTextA(window_, PreparingTitle(packageName).c_str());
}

void ProgressWindow::SetPercent(int percent) {
  if (bar_) SendMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void ProgressWindow::Close() {
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  bar_ = nullptr;
  picture_.Reset();
}

}  // namespace cv
