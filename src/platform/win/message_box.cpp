#include "platform/win/message_box.h"

#include "platform/win/screen.h"

namespace cv {

namespace {

UINT gStyle = 0;
std::string gApplicationName;
HWND gOwner = nullptr;
ActiveWindowQuery gActiveWindowQuery = nullptr;

// The hook of the box being opened on this thread; boxes on other threads
// have their own.
thread_local HHOOK tCenteringHook = nullptr;

LRESULT CALLBACK CenterOnActivate(int code, WPARAM wParam, LPARAM lParam) {
  HHOOK hook = tCenteringHook;
  if (code == HCBT_ACTIVATE) {
    CenterWindow(reinterpret_cast<HWND>(wParam));
    const LRESULT result = CallNextHookEx(hook, code, wParam, lParam);
    if (hook) UnhookWindowsHookEx(hook);
    tCenteringHook = nullptr;
    return result;
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

HWND LastActivePopupOfOwner() { return gOwner ? GetLastActivePopup(gOwner) : nullptr; }

}  // namespace

void SetMessageBoxStyle(UINT style) { gStyle = style; }
UINT MessageBoxStyle() { return gStyle; }

void SetApplicationName(const std::string& name) { gApplicationName = name; }
const std::string& ApplicationName() { return gApplicationName; }

void SetMessageBoxOwner(HWND owner) { gOwner = owner; }
void SetActiveWindowQuery(ActiveWindowQuery query) { gActiveWindowQuery = query; }
HWND ActiveWindowOwner() { return gActiveWindowQuery ? gActiveWindowQuery() : gOwner; }

int ShowMessageBox(HWND owner, const std::string& caption, const std::string& text, UINT flags) {
  if (tCenteringHook) UnhookWindowsHookEx(tCenteringHook);
  tCenteringHook = SetWindowsHookExA(WH_CBT, CenterOnActivate, nullptr, GetCurrentThreadId());
  const int answer =
      MessageBoxA(owner, text.c_str(), caption.c_str(), flags | MB_TASKMODAL | gStyle);
  if (tCenteringHook) {
    UnhookWindowsHookEx(tCenteringHook);
    tCenteringHook = nullptr;
  }
  return answer;
}

void ShowError(const std::string& text) {
  ShowMessageBox(LastActivePopupOfOwner(), gApplicationName.empty() ? "Error" : gApplicationName,
                 text, MB_ICONERROR);
}

void ShowWarning(const std::string& text) {
  ShowMessageBox(LastActivePopupOfOwner(), gApplicationName.empty() ? "Warning" : gApplicationName,
                 text, MB_ICONWARNING);
}

void ShowErrorBox(const std::string& caption, const std::string& text) {
  ShowMessageBox(ActiveWindowOwner(), caption, text, MB_ICONERROR);
}

}  // namespace cv
