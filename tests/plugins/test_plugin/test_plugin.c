/*
 * A wizard plug-in for tests, built with nothing but the public plug-in
 * header. What it does comes from its configuration in the project:
 *
 *   group "Log",     param "File":   the log file (references expanded); every
 *                                    message received is appended with its
 *                                    parameters, and every request sent with
 *                                    its answer and out-block;
 *   group "Answers", param <message name>: the answer to that message
 *                                    (default 0);
 *   group "On <message name>":       requests sent, in order, when that
 *                                    message arrives; each value is
 *                                    "CM_NAME|arg|arg...", an argument "#N"
 *                                    being the integer N, any other a text;
 *   group "Thread <message name>":   the same, sent from a worker thread of
 *                                    the plug-in while the message waits
 *                                    (pumping window messages meanwhile);
 *   group "Function", param "Result": for EV_CALCFUNCTION answered non-zero,
 *                                    the result is this text followed by the
 *                                    call's arguments joined with ",".
 *
 * Built several times with different IDs and defects (see CMakeLists.txt):
 * CV_TEST_PLUGIN_ID, CV_TEST_PLUGIN_VERSION, CV_TEST_PLUGIN_NO_STARTUP.
 */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "corvane/plugin_api.h"

#ifndef CV_TEST_PLUGIN_VERSION
#define CV_TEST_PLUGIN_VERSION CV_PLUGIN_ENGINE_VERSION
#endif

#define TEXT_SIZE 4096
#define MAX_REQUESTS 32

static CvStartupInfo services;
static int started;
static char logFile[MAX_PATH * 2];
static CRITICAL_SECTION logLock;

static int32_t SendRequest(const char* name, int32_t in, int32_t out) {
  return services.SendMessageByName(services.PluginId, name, in, out, 0, 1);
}

/* A text answer of a request with one or more string arguments. */
static void AskText(const char* command, const char* a, const char* b, const char* c, char* answer,
                    size_t size) {
  int32_t in = services.CreateParamsBlock();
  int32_t out = services.CreateParamsBlock();
  services.AddParamStr(in, a);
  if (b) services.AddParamStr(in, b);
  if (c) services.AddParamStr(in, c);
  SendRequest(command, in, out);
  snprintf(answer, size, "%s", services.GetParamStr(out, 0));
  services.DestroyParamsBlock(out);
}

static void ConfigParam(const char* group, const char* name, char* value, size_t size) {
  AskText("CM_GETPCPARAM", group, name, "", value, size);
}

static void AppendParams(char* line, size_t size, int32_t block) {
  int32_t count = services.GetParamCount(block);
  int32_t i;
  strncat(line, "[", size - strlen(line) - 1);
  for (i = 0; i < count; ++i) {
    char item[TEXT_SIZE];
    int32_t kind = services.GetParamType(block, i);
    if (kind == 1) {
      snprintf(item, sizeof item, "%si:%ld", i ? "," : "", (long)services.GetParamInt(block, i));
    } else if (kind == 2) {
      snprintf(item, sizeof item, "%sb:%d", i ? "," : "", services.GetParamBool(block, i) ? 1 : 0);
    } else {
      snprintf(item, sizeof item, "%ss:%s", i ? "," : "", services.GetParamStr(block, i));
    }
    strncat(line, item, size - strlen(line) - 1);
  }
  strncat(line, "]", size - strlen(line) - 1);
}

static void Log(const char* line) {
  FILE* file;
  if (!logFile[0]) return;
  EnterCriticalSection(&logLock);
  file = fopen(logFile, "ab");
  if (file) {
    fputs(line, file);
    fputs("\r\n", file);
    fclose(file);
  }
  LeaveCriticalSection(&logLock);
}

/* Sends one configured request "CM_NAME|arg|..." and logs its answer. */
static void RunRequest(const char* spec, const char* where) {
  char copy[TEXT_SIZE];
  char line[TEXT_SIZE * 2];
  char* name;
  char* arg;
  int32_t in = services.CreateParamsBlock();
  int32_t out = services.CreateParamsBlock();
  int32_t result;
  snprintf(copy, sizeof copy, "%s", spec);
  name = strtok(copy, "|");
  if (!name) return;
  while ((arg = strtok(NULL, "|")) != NULL) {
    if (arg[0] == '#') {
      services.AddParamInt(in, atoi(arg + 1));
    } else {
      services.AddParamStr(in, strcmp(arg, "''") == 0 ? "" : arg);
    }
  }
  result = SendRequest(name, in, out);
  snprintf(line, sizeof line, "REQ%s %s = %ld ", where, spec, (long)result);
  AppendParams(line, sizeof line, out);
  services.DestroyParamsBlock(out);
  Log(line);
}

struct RequestList {
  int Count;
  char Items[MAX_REQUESTS][TEXT_SIZE];
  char Where[16];
};

static void ReadRequests(const char* group, struct RequestList* list) {
  int32_t in = services.CreateParamsBlock();
  int32_t out = services.CreateParamsBlock();
  int32_t i;
  list->Count = 0;
  services.AddParamStr(in, group);
  SendRequest("CM_GETPCPARAMNAMES", in, out);
  for (i = 0; i < services.GetParamCount(out) && list->Count < MAX_REQUESTS; ++i) {
    ConfigParam(group, services.GetParamStr(out, i), list->Items[list->Count], TEXT_SIZE);
    ++list->Count;
  }
  services.DestroyParamsBlock(out);
}

static void RunRequests(const struct RequestList* list) {
  int i;
  for (i = 0; i < list->Count; ++i) RunRequest(list->Items[i], list->Where);
}

static DWORD WINAPI RequestThread(LPVOID parameter) {
  RunRequests((const struct RequestList*)parameter);
  return 0;
}

/* Runs the list on a thread of its own; the engine's thread keeps pumping
   window messages meanwhile, since the requests come back through them. */
static void RunRequestsOnThread(struct RequestList* list) {
  DWORD id;
  HANDLE thread = CreateThread(NULL, 0, RequestThread, list, 0, &id);
  if (!thread) return;
  for (;;) {
    MSG message;
    DWORD wait = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT);
    if (wait == WAIT_OBJECT_0) break;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  CloseHandle(thread);
}

/* Messages arrive re-entrantly while requests run (a request may cause
   events), so each message has lists of its own. */
static void RunConfiguredRequests(const char* messageName) {
  struct RequestList* list = (struct RequestList*)malloc(sizeof(struct RequestList));
  char group[300];
  if (!list) return;
  snprintf(group, sizeof group, "On %s", messageName);
  ReadRequests(group, list);
  strcpy(list->Where, "");
  RunRequests(list);
  snprintf(group, sizeof group, "Thread %s", messageName);
  ReadRequests(group, list);
  strcpy(list->Where, "(thread)");
  if (list->Count > 0) RunRequestsOnThread(list);
  free(list);
}

static void CalcFunction(int32_t in, int32_t out) {
  char result[TEXT_SIZE];
  int32_t count = services.GetParamInt(in, 2);
  int32_t i;
  ConfigParam("Function", "Result", result, sizeof result);
  for (i = 0; i < count; ++i) {
    if (i) strncat(result, ",", sizeof result - strlen(result) - 1);
    strncat(result, services.GetParamStr(in, 4 + i), sizeof result - strlen(result) - 1);
  }
  services.AddParamStr(out, result);
}

static int32_t CV_PLUGIN_CALL MessageEntry(int32_t id, const char* name, int32_t in, int32_t out) {
  char line[TEXT_SIZE * 2];
  char answerText[64];
  int32_t answer;
  snprintf(line, sizeof line, "MSG %s %ld ", name, (long)id);
  AppendParams(line, sizeof line, in);
  Log(line);
  ConfigParam("Answers", name, answerText, sizeof answerText);
  answer = atoi(answerText);
  RunConfiguredRequests(name);
  if (id == EV_CALCFUNCTION && answer != 0) CalcFunction(in, out);
  return answer;
}

__declspec(dllexport) void CV_PLUGIN_CALL GetPluginInfo(CvPluginInfo* info) {
  info->PluginVersion = CV_TEST_PLUGIN_VERSION;
  snprintf(info->ID, sizeof info->ID, "%s", CV_TEST_PLUGIN_ID);
  info->MessageEntry = MessageEntry;
}

#ifndef CV_TEST_PLUGIN_NO_STARTUP
__declspec(dllexport) void CV_PLUGIN_CALL SetStartupInfo(const CvStartupInfo* startup) {
  char path[MAX_PATH * 2];
  char line[256];
  services = *startup;
  started = 1;
  ConfigParam("Log", "File", path, sizeof path);
  AskText("CM_PARSETEXT", path, NULL, NULL, logFile, sizeof logFile);
  snprintf(line, sizeof line, "STARTUP id=%ld engine=0x%lx max=0x%lx", (long)startup->PluginId,
           (long)startup->EngineVersion, (long)startup->MaxVersion);
  Log(line);
}
#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&logLock);
  if (reason == DLL_PROCESS_DETACH) {
    if (started) Log("DETACH " CV_TEST_PLUGIN_ID);
    DeleteCriticalSection(&logLock);
  }
  return TRUE;
}
