#include "dialog_watcher.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>

namespace cv::test {

namespace {

constexpr int kIconSize = 32;
using Pixels = std::vector<std::uint32_t>;

// Pixels of a 32x32 bitmap that `draw` paints into (given a memory DC and the
// screen DC); empty when drawing fails. Colours are 0x00RRGGBB.
template <typename Draw>
Pixels Render(Draw draw) {
  Pixels pixels;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kIconSize;
  info.bmiHeader.biHeight = -kIconSize;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits) {
    HGDIOBJ old = SelectObject(dc, bitmap);
    auto* first = static_cast<std::uint32_t*>(bits);
    if (draw(dc, screen, first)) {
      GdiFlush();
      pixels.assign(first, first + kIconSize * kIconSize);
      for (auto& pixel : pixels) pixel &= 0x00FFFFFF;
    }
    SelectObject(dc, old);
  }
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// What an icon looks like drawn over `background`: icons are compared by
// their pixels because a handle from another process says nothing, and they
// have transparent parts.
Pixels IconPixels(HICON icon, std::uint32_t background) {
  if (!icon) return {};
  return Render([&](HDC dc, HDC, std::uint32_t* bits) {
    std::fill_n(bits, kIconSize * kIconSize, background);
    return DrawIconEx(dc, 0, 0, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL) != 0;
  });
}

// The 32x32 pixels at the top left of `control` as the screen shows them.
Pixels ScreenPixels(HWND control) {
  RECT rect = {};
  if (!GetWindowRect(control, &rect)) return {};
  return Render([&](HDC dc, HDC screen, std::uint32_t*) {
    return BitBlt(dc, 0, 0, kIconSize, kIconSize, screen, rect.left, rect.top, SRCCOPY) != 0;
  });
}

// Which standard icon `pixels` show, drawn over `background`.
DialogIcon MatchStandardIcon(const Pixels& pixels, std::uint32_t background) {
  struct Known {
    LPCSTR id;
    DialogIcon icon;
  };
  static const std::array<Known, 4> known{{{IDI_HAND, DialogIcon::Error},
                                           {IDI_EXCLAMATION, DialogIcon::Warning},
                                           {IDI_ASTERISK, DialogIcon::Information},
                                           {IDI_QUESTION, DialogIcon::Question}}};
  for (const Known& candidate : known) {
    if (IconPixels(LoadIconA(nullptr, candidate.id), background) == pixels) return candidate.icon;
  }
  return DialogIcon::Other;
}

// An icon handle is only good in the process that loaded it: a box of this
// process is identified by its handle, a box of another process by what the
// screen shows of it.
DialogIcon IdentifyIcon(HWND control, HICON icon, bool sameProcess) {
  if (!control || !icon) return DialogIcon::None;
  constexpr std::uint32_t kWhite = 0x00FFFFFF;
  if (sameProcess) {
    const Pixels pixels = IconPixels(icon, kWhite);
    return pixels.empty() ? DialogIcon::Other : MatchStandardIcon(pixels, kWhite);
  }
  const Pixels pixels = ScreenPixels(control);
  if (pixels.empty()) return DialogIcon::Other;
  // The icon's corner is transparent: it shows the box's background.
  return MatchStandardIcon(pixels, pixels[0]);
}

std::string WindowText(HWND window) {
  char text[4096] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                           SMTO_NORMAL, 2000, &length)) {
    return {};
  }
  return std::string(text, std::strlen(text));
}

struct ChildScan {
  std::string text;
  HICON icon = nullptr;
  HWND iconControl = nullptr;
};

BOOL CALLBACK ScanChild(HWND child, LPARAM context) {
  auto* scan = reinterpret_cast<ChildScan*>(context);
  char className[64] = {};
  GetClassNameA(child, className, sizeof className);
  if (lstrcmpiA(className, "Static") != 0) return TRUE;
  const LONG style = GetWindowLongA(child, GWL_STYLE);
  if ((style & SS_TYPEMASK) == SS_ICON) {
    DWORD_PTR icon = 0;
    SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_NORMAL, 2000, &icon);
    scan->icon = reinterpret_cast<HICON>(icon);
    scan->iconControl = child;
    return TRUE;
  }
  const std::string text = WindowText(child);
  if (!text.empty()) {
    if (!scan->text.empty()) scan->text += '\n';
    scan->text += text;
  }
  return TRUE;
}

bool IsActiveInItsThread(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
         info.hwndActive == window;
}

struct TopLevelScan {
  DWORD processId;
  std::vector<HWND> boxes;
};

BOOL CALLBACK ScanTopLevel(HWND window, LPARAM context) {
  auto* scan = reinterpret_cast<TopLevelScan*>(context);
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (scan->processId == 0 || owner == scan->processId) scan->boxes.push_back(window);
  return TRUE;
}

}  // namespace

const char* DialogIconName(DialogIcon icon) {
  switch (icon) {
    case DialogIcon::None: return "none";
    case DialogIcon::Error: return "error";
    case DialogIcon::Warning: return "warning";
    case DialogIcon::Information: return "information";
    case DialogIcon::Question: return "question";
    case DialogIcon::Other: return "other";
  }
  return "?";
}

DialogWatcher::DialogWatcher(DWORD processId, int button)
    : processId_(processId), button_(button), thread_([this] { Run(); }) {}

DialogWatcher::~DialogWatcher() {
  stop_ = true;
  thread_.join();
}

void DialogWatcher::SetProcess(DWORD processId) { processId_ = processId; }

void DialogWatcher::Hold(bool hold) { hold_ = hold; }

bool DialogWatcher::WaitForCount(std::size_t count, DWORD timeoutMs) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return seen_.size() >= count; });
}

std::vector<SeenDialog> DialogWatcher::Seen() const {
  std::lock_guard lock(mutex_);
  return seen_;
}

void DialogWatcher::Run() {
  while (!stop_) {
    Scan();
    Sleep(20);
  }
}

void DialogWatcher::Scan() {
  TopLevelScan scan{processId_.load(), {}};
  EnumWindows(ScanTopLevel, reinterpret_cast<LPARAM>(&scan));
  {
    // A closed box's handle may be given to the next box: forget it.
    std::lock_guard lock(mutex_);
    std::erase_if(recorded_, [&](HWND box) {
      return std::find(scan.boxes.begin(), scan.boxes.end(), box) == scan.boxes.end();
    });
  }
  std::erase_if(settling_, [&](HWND box) {
    return std::find(scan.boxes.begin(), scan.boxes.end(), box) == scan.boxes.end();
  });
  for (HWND box : scan.boxes) {
    bool isNew = false;
    {
      std::lock_guard lock(mutex_);
      isNew = recorded_.count(box) == 0;
    }
    if (isNew && !IsActiveInItsThread(box) && settling_.insert(box).second) {
      // A box turns visible a moment before it is activated, and whoever
      // places it (a centring hook, say) moves it in between: look again on
      // the next scan, so that the place recorded is the one the user sees.
      continue;
    }
    if (isNew) {
      SeenDialog dialog;
      DWORD_PTR captionLength = 0;
      char caption[1024] = {};
      // A box whose thread does not answer yet is read on a later scan.
      if (!SendMessageTimeoutA(box, WM_GETTEXT, sizeof caption, reinterpret_cast<LPARAM>(caption),
                               SMTO_NORMAL, 2000, &captionLength)) {
        continue;
      }
      dialog.Caption = caption;
      {
        std::lock_guard lock(mutex_);
        recorded_.insert(box);
      }
      settling_.erase(box);
      ChildScan children;
      EnumChildWindows(box, ScanChild, reinterpret_cast<LPARAM>(&children));
      dialog.Text = children.text;
      DWORD boxProcess = 0;
      GetWindowThreadProcessId(box, &boxProcess);
      const bool sameProcess = boxProcess == GetCurrentProcessId();
      dialog.Icon = IdentifyIcon(children.iconControl, children.icon, sameProcess);
      // A box of another process is read off the screen, which may not show
      // it yet in the moment it became visible.
      for (int retry = 0; !sameProcess && dialog.Icon == DialogIcon::Other && retry < 20; ++retry) {
        Sleep(25);
        dialog.Icon = IdentifyIcon(children.iconControl, children.icon, sameProcess);
      }
      GetWindowRect(box, &dialog.Rect);
      dialog.Owner = GetWindow(box, GW_OWNER);
      {
        std::lock_guard lock(mutex_);
        seen_.push_back(dialog);
      }
      changed_.notify_all();
    }
    if (!hold_) {
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, button_)));
    }
  }
}

}  // namespace cv::test
