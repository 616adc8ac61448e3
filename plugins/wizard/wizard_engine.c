/* Requests to the engine through the service table. */
#include "wizard.h"

#include <stdio.h>
#include <string.h>

CvStartupInfo g_services;

int32_t WizardAsk(const char* command, const char* a, const char* b, const char* c, char* answer,
                  size_t size) {
  int32_t in = g_services.CreateParamsBlock();
  int32_t out = g_services.CreateParamsBlock();
  int32_t result;
  if (a) g_services.AddParamStr(in, a);
  if (b) g_services.AddParamStr(in, b);
  if (c) g_services.AddParamStr(in, c);
  result = g_services.SendMessageByName(g_services.PluginId, command, in, out, 0, 1);
  if (answer && size) {
    const char* text = g_services.GetParamCount(out) > 0 ? g_services.GetParamStr(out, 0) : "";
    snprintf(answer, size, "%s", text ? text : "");
  }
  g_services.DestroyParamsBlock(out);
  return result;
}

int32_t WizardAskInt(const char* command, const char* a, int32_t value) {
  int32_t in = g_services.CreateParamsBlock();
  int32_t result;
  if (a) g_services.AddParamStr(in, a);
  g_services.AddParamInt(in, value);
  result = g_services.SendMessageByName(g_services.PluginId, command, in, 0, 0, 1);
  return result;
}

void WizardGetVariable(const char* name, char* value, size_t size) {
  WizardAsk("CM_GETVARIABLE", name, NULL, NULL, value, size);
}

void WizardSetVariable(const char* name, const char* value) {
  WizardAsk("CM_SETVARIABLE", name, value, NULL, NULL, 0);
}

static int TextIsSet(const char* text) {
  return text[0] && strcmp(text, "0") != 0 && _stricmp(text, "false") != 0;
}

int WizardVariableIsSet(const char* name) {
  char value[64];
  WizardGetVariable(name, value, sizeof value);
  return TextIsSet(value);
}

void WizardConfig(const char* group, const char* name, const char* fallback, char* value,
                  size_t size) {
  WizardAsk("CM_GETPCPARAM", group, name, fallback, value, size);
}

int WizardConfigFlag(const char* group, const char* name, int fallback) {
  char value[64];
  WizardConfig(group, name, fallback ? "1" : "0", value, sizeof value);
  return TextIsSet(value);
}
