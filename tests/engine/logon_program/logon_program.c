/*
 * A program an installation runs, as a runtime installer would:
 * "logon_program.exe RECORD LABEL [wait]" appends LABEL and a line break to
 * RECORD. With "wait" it then stays until the file RECORD + ".go" exists (at
 * most two minutes), so that a test can end the session while it runs.
 */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  HANDLE record;
  DWORD written = 0;
  char label[256];
  int length;
  (void)instance;
  (void)previous;
  (void)commandLine;
  (void)show;
  if (!args || count < 3) return 2;
  length = WideCharToMultiByte(CP_ACP, 0, args[2], -1, label, sizeof label - 2, NULL, NULL);
  if (length <= 0) return 2;
  lstrcatA(label, "\r\n");
  record = CreateFileW(args[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, NULL);
  if (record == INVALID_HANDLE_VALUE) return 3;
  WriteFile(record, label, (DWORD)lstrlenA(label), &written, NULL);
  CloseHandle(record);
  if (count > 3 && lstrcmpiW(args[3], L"wait") == 0) {
    WCHAR go[MAX_PATH];
    int waited;
    lstrcpynW(go, args[1], MAX_PATH - 4);
    lstrcatW(go, L".go");
    for (waited = 0; waited < 120000 && GetFileAttributesW(go) == INVALID_FILE_ATTRIBUTES; waited += 50) {
      Sleep(50);
    }
  }
  LocalFree(args);
  return 0;
}
