#include "engine/win/main_window.h"

#include <memory>

#include "engine/run_state.h"
#include "engine/setup_operations.h"
#include "platform/win/message_box.h"
#include "platform/win/programs.h"
#include "plugins/message_dispatch.h"
#include "plugins/win/window_delivery.h"

namespace cv {

namespace {

HWND gCurrent = nullptr;

bool RegisterMainWindowClass(HINSTANCE instance, HICON icon, WNDPROC procedure) {
  WNDCLASSEXA existing = {};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, kMainWindowClass, &existing)) return true;

  constexpr UINT kStyle = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;  // 0x0203
  WNDCLASSEXA extended = {};
  extended.cbSize = sizeof extended;
  extended.style = kStyle;
  extended.lpfnWndProc = procedure;
  extended.hInstance = instance;
  extended.hIcon = icon;
  extended.hCursor = LoadCursor(nullptr, IDC_ARROW);
  extended.lpszClassName = kMainWindowClass;
  if (RegisterClassExA(&extended)) return true;

  WNDCLASSA plain = {};
  plain.style = kStyle;
  plain.lpfnWndProc = procedure;
  plain.hInstance = instance;
  plain.hIcon = icon;
  plain.hCursor = extended.hCursor;
  plain.lpszClassName = kMainWindowClass;
  return RegisterClassA(&plain) != 0;
}

}  // namespace

MainWindow::~MainWindow() { Destroy(); }

HWND MainWindow::Current() { return gCurrent; }

bool MainWindow::Create(HINSTANCE instance, HICON icon, SetupOperations& operations) {
  operations_ = &operations;
  if (!RegisterMainWindowClass(instance, icon, WindowProc)) {
    ShowError("Cannot register main window class!");
    return false;
  }
  constexpr DWORD kStyle = 0x00CD0000;  // overlapped window with caption and system menu
  handle_ = CreateWindowExA(0, kMainWindowClass, "", kStyle, 0, 0, 0, 0, nullptr, nullptr, instance,
                            this);
  // Messages sent from other threads come through this window.
  if (handle_) {
    InstallWindowDelivery(handle_);
    gCurrent = handle_;
  }
  return handle_ != nullptr;
}

void MainWindow::Destroy() {
  if (handle_) {
    InstallWindowDelivery(nullptr);
    if (gCurrent == handle_) gCurrent = nullptr;
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
    handle_ = nullptr;
  }
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  // Windows of the same class made by others (the splash and presetup
  // windows) have their own procedures; anything else goes to the default.
  if (!self || !self->operations_) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_QUERYENDSESSION || message == kCrossThreadMessage) {
    return self->OnMessage(message, wParam, lParam);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  RunState& run = Run();
  if (message == WM_QUERYENDSESSION) {
    if (run.ResumeMode || operations_->CurrentInstallState() == InstallState::Unknown) return 0;
    operations_->SaveStateForResume();
    // Without a saved state the installation could not go on after the
    // restart: Windows is asked to wait.
    if (!run.ResumePending) return 0;
    run.SystemShuttingDown = true;
    StopWaitingForPrograms() = true;
    return 1;
  }
  // The sender allocated the request and waits; it is ours to free. A
  // message that carries no awaited request (another program can send this
  // id too) is ignored.
  std::unique_ptr<CrossThreadRequest> request(ClaimCrossThreadRequest(wParam));
  if (!request) return 0;
  return operations_->DispatchCrossThread(*request);
}

}  // namespace cv
