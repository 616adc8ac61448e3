/* The question asked when a file to install is older than the one on the
   disk: keep it or replace it, once or for the rest of the step. */
#include "wizard.h"

#include <stdio.h>
#include <string.h>

#define CONFLICT_CLASS "CorvaneWizardConflict"
#define CONFLICT_WIDTH 420
#define CONFLICT_HEIGHT 150

/* The answers the engine understands, in button order. A button's id is
   its answer plus BUTTON_BASE, clear of IDOK and IDCANCEL, which the dialog
   keys send for Enter and Escape. */
enum { ANSWER_KEEP = 1, ANSWER_REPLACE = 2, ANSWER_KEEP_ALL = 3, ANSWER_REPLACE_ALL = 4 };
#define BUTTON_BASE 100

static int g_answer;

static LRESULT CALLBACK ConflictProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    int id = LOWORD(wParam);
    if (id >= BUTTON_BASE + ANSWER_KEEP && id <= BUTTON_BASE + ANSWER_REPLACE_ALL) {
      g_answer = id - BUTTON_BASE;
    }
    /* Enter and Escape keep the file, the safe choice. */
    if (id == IDOK || id == IDCANCEL) g_answer = ANSWER_KEEP;
    return 0;
  }
  if (message == WM_CLOSE) {
    g_answer = ANSWER_KEEP;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

static void AddChild(HWND parent, const char* cls, const char* name, DWORD style, int id, int x,
                     int y, int width, int height, const char* argument) {
  char format[WIZARD_TEXT_SIZE];
  char text[WIZARD_TEXT_SIZE + MAX_PATH];
  HWND control;
  WizardText(name, format, sizeof format);
  snprintf(text, sizeof text, format, argument ? argument : "");
  control = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                            parent, (HMENU)(INT_PTR)id, g_module, NULL);
  SendMessageA(control, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
}

int WizardAskFileConflict(const char* path) {
  WNDCLASSA windowClass;
  RECT frame = {0, 0, CONFLICT_WIDTH, CONFLICT_HEIGHT};
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  HWND owner = WizardActiveWindow();
  HWND window;
  char caption[512];
  MSG message;
  if (WizardVariableIsSet("SilentMode")) return 0;
  memset(&windowClass, 0, sizeof windowClass);
  windowClass.lpfnWndProc = ConflictProc;
  windowClass.hInstance = g_module;
  windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = CONFLICT_CLASS;
  RegisterClassA(&windowClass);
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME);
  WizardText("Caption", caption, sizeof caption);
  window = CreateWindowExA(WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME, CONFLICT_CLASS, caption,
                           style, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2,
                           (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2,
                           frame.right - frame.left, frame.bottom - frame.top, owner, NULL,
                           g_module, NULL);
  if (!window) return 0;
  AddChild(window, "STATIC", "ConflictText", SS_LEFT | SS_PATHELLIPSIS, 0, 15, 15, 390, 70, path);
  AddChild(window, "BUTTON", "ConflictKeep", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP,
           BUTTON_BASE + ANSWER_KEEP, 15, 110, 90, 24, NULL);
  AddChild(window, "BUTTON", "ConflictReplace", BS_PUSHBUTTON | WS_TABSTOP,
           BUTTON_BASE + ANSWER_REPLACE, 113, 110, 90, 24, NULL);
  AddChild(window, "BUTTON", "ConflictKeepAll", BS_PUSHBUTTON | WS_TABSTOP,
           BUTTON_BASE + ANSWER_KEEP_ALL, 211, 110, 90, 24, NULL);
  AddChild(window, "BUTTON", "ConflictReplaceAll", BS_PUSHBUTTON | WS_TABSTOP,
           BUTTON_BASE + ANSWER_REPLACE_ALL, 309, 110, 96, 24, NULL);
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(window, SW_SHOW);
  SetFocus(GetDlgItem(window, BUTTON_BASE + ANSWER_KEEP));
  g_answer = 0;
  while (!g_answer) {
    int got = GetMessageA(&message, NULL, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage((int)message.wParam);
      g_answer = ANSWER_KEEP;
      break;
    }
    if (IsDialogMessageA(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (owner) EnableWindow(owner, TRUE);
  DestroyWindow(window);
  UnregisterClassA(CONFLICT_CLASS, g_module);
  return g_answer;
}
