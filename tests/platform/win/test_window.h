#pragma once
// Windows of the test's own, for the window and message-box tests: a
// top-level (or child) window that counts the messages it receives and is
// destroyed when the test ends.

#include <windows.h>

#include <map>
#include <string>

namespace cv::test {

class TestWindow {
 public:
  // `style` WS_POPUP gives a plain rectangle whose size is exactly `rect`'s.
  TestWindow(const std::string& title, const RECT& rect, DWORD style = WS_POPUP,
             HWND parentOrOwner = nullptr, DWORD exStyle = 0) {
    RegisterOnce();
    window_ = CreateWindowExA(exStyle, kClassName, title.c_str(), style, rect.left, rect.top,
                              rect.right - rect.left, rect.bottom - rect.top, parentOrOwner,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window_) SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  ~TestWindow() { Destroy(); }

  HWND get() const { return window_; }
  void Destroy() {
    if (!window_) return;
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
    window_ = nullptr;
  }

  RECT Rect() const {
    RECT rect = {};
    GetWindowRect(window_, &rect);
    return rect;
  }

  // How often `message` reached the window procedure.
  int Count(UINT message) const {
    const auto found = counts_.find(message);
    return found == counts_.end() ? 0 : found->second;
  }

 private:
  static constexpr const char* kClassName = "CorvaneTestWindow";

  static void RegisterOnce() {
    static const ATOM atom = [] {
      WNDCLASSA windowClass = {};
      windowClass.lpfnWndProc = Procedure;
      windowClass.hInstance = GetModuleHandleA(nullptr);
      windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
      windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      windowClass.lpszClassName = kClassName;
      return RegisterClassA(&windowClass);
    }();
    (void)atom;
  }

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self) ++self->counts_[message];
    if (message == WM_PAINT) {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

  HWND window_ = nullptr;
  std::map<UINT, int> counts_;
};

// A name no other test run uses at the same time: `prefix` + the process id.
inline std::string RunUniqueName(const std::string& prefix) {
  return prefix + std::to_string(GetCurrentProcessId());
}

// Sets the work area for the test process and puts the old one back at the
// end. The test display has no task bar, so the work area is the whole screen
// and Windows' own placement of a box would already look centred; a smaller,
// off-centre work area tells the engine's centring apart from it.
class WorkAreaOverride {
 public:
  explicit WorkAreaOverride(const RECT& area) {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &saved_, 0);
    RECT copy = area;
    ok_ = SystemParametersInfoA(SPI_SETWORKAREA, 0, &copy, 0) != 0;
  }
  WorkAreaOverride(const WorkAreaOverride&) = delete;
  WorkAreaOverride& operator=(const WorkAreaOverride&) = delete;
  ~WorkAreaOverride() { SystemParametersInfoA(SPI_SETWORKAREA, 0, &saved_, 0); }
  bool ok() const { return ok_; }

 private:
  RECT saved_ = {};
  bool ok_ = false;
};

}  // namespace cv::test
