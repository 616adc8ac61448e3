/*
 * A stand-in for the assembly tool a package carries: it appends its
 * arguments, a "|" and whether the file named by its second argument exists
 * ("exists" or "missing") as one line to the file named by the environment
 * variable CV_GACUTIL_LOG, and exits with the number in CV_GACUTIL_EXIT
 * (0 when unset).
 */
#include <windows.h>

#include <stdlib.h>
#include <string.h>

/* The command line after the program name, as the tool receives it. */
static const char* Arguments(const char* line) {
  if (*line == '"') {
    line = strchr(line + 1, '"');
    line = line ? line + 1 : "";
  } else {
    while (*line && *line != ' ') ++line;
  }
  while (*line == ' ') ++line;
  return line;
}

static int HasVariable(const char* name, char* value, DWORD size) {
  const DWORD length = GetEnvironmentVariableA(name, value, size);
  return length > 0 && length < size;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  char log[MAX_PATH], code[16], line[4096];
  const char* arguments = Arguments(GetCommandLineA());
  const char* quote = strchr(arguments, '"');
  char file[MAX_PATH] = "";
  HANDLE out;
  DWORD written = 0;
  (void)instance;
  (void)previous;
  (void)commandLine;
  (void)show;
  if (quote) {
    const char* end = strchr(quote + 1, '"');
    size_t length = end ? (size_t)(end - quote - 1) : 0;
    if (length < sizeof file) {
      memcpy(file, quote + 1, length);
      file[length] = 0;
    }
  }
  if (HasVariable("CV_GACUTIL_LOG", log, sizeof log)) {
    lstrcpynA(line, arguments, sizeof line - 16);
    lstrcatA(line, GetFileAttributesA(file) == INVALID_FILE_ATTRIBUTES ? "|missing\r\n" : "|exists\r\n");
    out = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, NULL);
    if (out != INVALID_HANDLE_VALUE) {
      WriteFile(out, line, (DWORD)lstrlenA(line), &written, NULL);
      CloseHandle(out);
    }
  }
  if (HasVariable("CV_GACUTIL_EXIT", code, sizeof code)) {
    return atoi(code);
  }
  return 0;
}
