#include "wizard_driver.h"

#include <vector>

namespace cv::test {
namespace {

struct Search {
  DWORD ProcessId;
  const char* ClassName;
  HWND Found;
};

BOOL CALLBACK FindTopWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (owner == search->ProcessId && IsWindowVisible(window) &&
      lstrcmpiA(name, search->ClassName) == 0) {
    search->Found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindProcessWindow(DWORD processId, const char* className) {
  Search search{processId, className, nullptr};
  EnumWindows(FindTopWindow, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

std::string WindowText(HWND window) {
  char text[4096] = {};
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

}  // namespace

bool WizardDriver::WaitForWindow(DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    window_ = FindProcessWindow(processId_, "CorvaneWizardWindow");
    if (window_) return true;
    Sleep(50);
  }
  return false;
}

bool WizardDriver::WaitForTitle(const std::string& title, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    if (Title() == title) return true;
    Sleep(50);
  }
  return false;
}

std::string WizardDriver::Text(int id) const { return WindowText(Control(id)); }

HWND WizardDriver::Focus() const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  const DWORD thread = GetWindowThreadProcessId(window_, nullptr);
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus) return info.hwndFocus;
    Sleep(20);
  }
  return window_;
}

void WizardDriver::Key(WORD key) {
  const HWND focus = Focus();
  PostMessageA(focus, WM_KEYDOWN, key, 1);
  PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
  Sleep(200);
}

void WizardDriver::AltKey(char letter) {
  PostMessageA(Focus(), WM_SYSCHAR, static_cast<WPARAM>(letter), 0x20000001);
  Sleep(200);
}

void WizardDriver::Type(const std::string& text) {
  const HWND focus = Focus();
  for (char c : text) PostMessageA(focus, WM_CHAR, static_cast<unsigned char>(c), 1);
  Sleep(200);
}

HWND WizardDriver::WaitForBox(DWORD timeoutMs) const {
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    if (HWND box = FindProcessWindow(processId_, "#32770")) return box;
    Sleep(50);
  }
  return nullptr;
}

std::string WizardDriver::BoxText(HWND box) {
  std::string text;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[32] = {};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Static") != 0) continue;
    const std::string part = WindowText(child);
    if (part.empty()) continue;
    if (!text.empty()) text += "\n";
    text += part;
  }
  return text;
}

void WizardDriver::Shoot(const std::string& name) const {
  char folder[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("CV_WIZARD_SCREENSHOTS", folder, sizeof folder)) return;
  Sleep(300);  // let the page paint
  RECT rect = {};
  GetWindowRect(window_, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  header.biSizeImage = stride * static_cast<DWORD>(height);
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                     &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
  bytes.append(static_cast<const char*>(bits), header.biSizeImage);
  HANDLE out = CreateFileA((std::string(folder) + "\\" + name + ".bmp").c_str(), GENERIC_WRITE, 0,
                           nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(out);
  }
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

}  // namespace cv::test
