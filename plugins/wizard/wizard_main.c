/* The plug-in's exports and its answers to the engine's messages. */
#include "wizard.h"

#include <string.h>

HINSTANCE g_module;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) g_module = instance;
  return TRUE;
}

static int32_t FirstBool(int32_t block) {
  return block && g_services.GetParamCount(block) > 0 && g_services.GetParamBool(block, 0) != 0;
}

static const char* ParamText(int32_t block, int32_t index) {
  const char* text;
  if (!block || g_services.GetParamCount(block) <= index) return "";
  text = g_services.GetParamStr(block, index);
  return text ? text : "";
}

static int32_t CV_PLUGIN_CALL OnMessage(int32_t id, const char* name, int32_t in, int32_t out) {
  (void)out;
  switch (id) {
    case EV_SHOWDIALOGS: return FirstBool(in) ? WizardRunAfter(1) : WizardRunBefore();
    case EV_INSTALLPROGRESS: {
      int percent = in && g_services.GetParamCount(in) > 2 ? g_services.GetParamInt(in, 2) : 0;
      WizardShowProgress(ParamText(in, 0), ParamText(in, 1), percent);
      return 0;
    }
    case EV_FILEVERSIONCONFLICT: return WizardAskFileConflict(ParamText(in, 0));
    case EV_QUERYREBOOT: WizardAskReboot(); return 0;
    case EV_LANGUAGECHANGED: WizardLanguageChanged(); return 0;
    case EV_FINISH:
      /* A run that ended before the closing pages still tells the user. */
      if (!FirstBool(in)) WizardRunAfter(0);
      WizardClose();
      return 0;
    case EV_UNLOAD: WizardClose(); return 0;
    default: break;
  }
  if (!name) return 0;
  if (strcmp(name, CV_MSG_GETACTIVEWINDOW) == 0) return (int32_t)(intptr_t)WizardActiveWindow();
  if (strcmp(name, CV_MSG_SHOWSTATUSTEXT) == 0) {
    WizardShowStatusText(ParamText(in, 0));
    return 1;
  }
  if (strcmp(name, CV_MSG_HIDESTATUSTEXT) == 0) {
    WizardHideStatusText();
    return 1;
  }
  return 0;
}

__declspec(dllexport) void CV_PLUGIN_CALL GetPluginInfo(CvPluginInfo* info) {
  info->PluginVersion = CV_PLUGIN_ENGINE_VERSION;
  strncpy(info->ID, WIZARD_PLUGIN_ID, sizeof info->ID - 1);
  info->MessageEntry = OnMessage;
}

__declspec(dllexport) void CV_PLUGIN_CALL SetStartupInfo(const CvStartupInfo* startup) {
  g_services = *startup;
}
