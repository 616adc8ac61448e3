#pragma once
// Screen facts, window placement and the message pump.

#include <windows.h>

#include <string_view>

namespace cv {

SIZE ScreenSize();
int ScreenColorBits();
RECT WorkArea();

// Centres `window` in the work area and keeps it on the screen; moves without
// resizing, without changing the z-order and without activating.
void CenterWindow(HWND window);

// Where CenterWindow puts a rectangle of `size` for this work area and screen.
POINT CenteredPosition(SIZE size, const RECT& workArea, SIZE screen);

void RedrawNow(HWND window);

// Handles every queued message of the calling thread; stops at WM_QUIT (which
// is removed) and sleeps 1 millisecond after emptying the queue.
void PumpMessages();

// First top-level window whose non-empty title matches `pattern` (wildcards,
// case ignored); null when none does.
HWND FindWindowByTitle(std::string_view pattern);

}  // namespace cv
