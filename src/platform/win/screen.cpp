#include "platform/win/screen.h"

#include <string>

#include "platform/wildcards.h"

namespace cv {

SIZE ScreenSize() { return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

int ScreenColorBits() {
  HDC dc = GetDC(nullptr);
  const int bits = dc ? GetDeviceCaps(dc, BITSPIXEL) : 0;
  if (dc) ReleaseDC(nullptr, dc);
  return bits;
}

RECT WorkArea() {
  RECT area = {};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) {
    const SIZE screen = ScreenSize();
    area = RECT{0, 0, screen.cx, screen.cy};
  }
  return area;
}

POINT CenteredPosition(SIZE size, const RECT& work, SIZE screen) {
  POINT at{work.left + (work.right - work.left - size.cx) / 2,
           work.top + (work.bottom - work.top - size.cy) / 2};
  if (at.x + size.cx > screen.cx) at.x = screen.cx - size.cx;
  if (at.x < 0) at.x = 0;
  if (at.y + size.cy > screen.cy) at.y = screen.cy - size.cy;
  if (at.y < 0) at.y = 0;
  return at;
}

void CenterWindow(HWND window) {
  RECT rect = {};
  if (!GetWindowRect(window, &rect)) return;
  const SIZE size{rect.right - rect.left, rect.bottom - rect.top};
  const POINT at = CenteredPosition(size, WorkArea(), ScreenSize());
  SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RedrawNow(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  Sleep(1);
}

namespace {

struct TitleSearch {
  std::string_view pattern;
  HWND found = nullptr;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<TitleSearch*>(context);
  char title[512];
  const int length = GetWindowTextA(window, title, sizeof title);
  if (length > 0 && MatchesMask(std::string_view(title, static_cast<std::size_t>(length)),
                                search->pattern, true)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindWindowByTitle(std::string_view pattern) {
  TitleSearch search{pattern};
  EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace cv
