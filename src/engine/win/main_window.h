#pragma once
// The engine's hidden main window: owner of its message boxes and the target
// of requests from other threads and of the shutdown query.

#include <windows.h>

namespace cv {

class SetupOperations;

inline constexpr char kMainWindowClass[] = "CorvMainWindow";

class MainWindow {
 public:
  MainWindow() = default;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  ~MainWindow();

  // Registers the window class (once per process) and creates the window.
  // Shows "Cannot register main window class!" when the class cannot be
  // registered; answers whether the window exists.
  bool Create(HINSTANCE instance, HICON icon, SetupOperations& operations);
  void Destroy();

  HWND Handle() const { return handle_; }
  // The engine's main window while one exists: the owner of the presetup
  // windows.
  static HWND Current();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  HWND handle_ = nullptr;
  SetupOperations* operations_ = nullptr;  // not owned
};

}  // namespace cv
