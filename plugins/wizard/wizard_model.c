/* Install types, features and languages as the engine reports them. */
#include "wizard.h"

#include <stdio.h>
#include <string.h>

/* Reads one list through a request that answers ID, ..., next ID. */
static void CopyParam(int32_t block, int32_t index, char* target, size_t size) {
  const char* text =
      index < g_services.GetParamCount(block) ? g_services.GetParamStr(block, index) : "";
  snprintf(target, size, "%s", text ? text : "");
}

static void LoadTypes(WizardModel* model) {
  char id[128] = "";
  model->TypeCount = 0;
  while (model->TypeCount < WIZARD_MAX_CHOICES) {
    int32_t in = g_services.CreateParamsBlock();
    int32_t out = g_services.CreateParamsBlock();
    WizardChoice* type = &model->Types[model->TypeCount];
    int32_t result;
    g_services.AddParamStr(in, id);
    result = g_services.SendMessageByName(g_services.PluginId, "CM_GETINSTALLTYPE", in, out, 0, 1);
    if (result == -1 || g_services.GetParamCount(out) < 5) {
      g_services.DestroyParamsBlock(out);
      break;
    }
    CopyParam(out, 0, type->Id, sizeof type->Id);
    CopyParam(out, 1, type->Name, sizeof type->Name);
    CopyParam(out, 2, type->Description, sizeof type->Description);
    type->Custom = g_services.GetParamBool(out, 3) != 0;
    CopyParam(out, 4, id, sizeof id);
    g_services.DestroyParamsBlock(out);
    if (!type->Id[0]) break;
    ++model->TypeCount;
    if (!id[0]) break;
  }
}

static void LoadFeatures(WizardModel* model) {
  char id[128] = "";
  model->FeatureCount = 0;
  while (model->FeatureCount < WIZARD_MAX_FEATURES) {
    int32_t in = g_services.CreateParamsBlock();
    int32_t out = g_services.CreateParamsBlock();
    WizardFeature* feature = &model->Features[model->FeatureCount];
    char parent[128];
    int32_t result;
    int i;
    g_services.AddParamStr(in, id);
    result = g_services.SendMessageByName(g_services.PluginId, "CM_GETFEATURE", in, out, 0, 1);
    if (result == -1 || g_services.GetParamCount(out) < 6) {
      g_services.DestroyParamsBlock(out);
      break;
    }
    CopyParam(out, 0, feature->Id, sizeof feature->Id);
    CopyParam(out, 1, feature->Name, sizeof feature->Name);
    CopyParam(out, 2, feature->Description, sizeof feature->Description);
    feature->Required = g_services.GetParamBool(out, 3) != 0;
    CopyParam(out, 4, parent, sizeof parent);
    CopyParam(out, 5, id, sizeof id);
    g_services.DestroyParamsBlock(out);
    if (!feature->Id[0]) break;
    feature->Depth = 0;
    for (i = model->FeatureCount - 1; parent[0] && i >= 0; --i) {
      if (_stricmp(model->Features[i].Id, parent) == 0) {
        feature->Depth = model->Features[i].Depth + 1;
        break;
      }
    }
    ++model->FeatureCount;
    if (!id[0]) break;
  }
}

static void LoadLanguages(WizardModel* model) {
  char id[128] = "";
  model->LanguageCount = 0;
  while (model->LanguageCount < WIZARD_MAX_CHOICES) {
    int32_t in = g_services.CreateParamsBlock();
    int32_t out = g_services.CreateParamsBlock();
    WizardChoice* language = &model->Languages[model->LanguageCount];
    int32_t result;
    g_services.AddParamStr(in, id);
    result = g_services.SendMessageByName(g_services.PluginId, "CM_GETLANGUAGE", in, out, 0, 1);
    if (result == -1 || g_services.GetParamCount(out) < 3) {
      g_services.DestroyParamsBlock(out);
      break;
    }
    CopyParam(out, 0, language->Id, sizeof language->Id);
    CopyParam(out, 1, language->Name, sizeof language->Name);
    CopyParam(out, 2, id, sizeof id);
    g_services.DestroyParamsBlock(out);
    if (!language->Id[0]) break;
    ++model->LanguageCount;
    if (!id[0]) break;
  }
}

void WizardLoadModel(WizardModel* model) {
  LoadTypes(model);
  LoadFeatures(model);
  LoadLanguages(model);
}

int WizardFeatureState(const WizardFeature* feature) {
  return WizardAsk("CM_GETFEATURESTATE", feature->Id, NULL, NULL, NULL, 0);
}

int WizardFeatureSelected(const WizardFeature* feature) { return WizardFeatureState(feature) == 1; }

int WizardSetFeature(const WizardFeature* feature, int selected) {
  return WizardAskInt("CM_SETFEATURESTATE", feature->Id, selected ? 1 : 0) != -1;
}

int32_t WizardFeatureSize(const WizardFeature* feature) {
  return WizardAsk("CM_GETFEATURESIZE", feature->Id, NULL, NULL, NULL, 0);
}

int32_t WizardSetupSize(void) { return WizardAsk("CM_GETSETUPSIZE", NULL, NULL, NULL, NULL, 0); }

long long WizardFreeSpaceKiB(const char* path) {
  char root[MAX_PATH];
  ULARGE_INTEGER available;
  if (!path || strlen(path) < 2 || path[1] != ':') return -1;
  snprintf(root, sizeof root, "%c:\\", path[0]);
  if (!GetDiskFreeSpaceExA(root, &available, NULL, NULL)) return -1;
  return (long long)(available.QuadPart / 1024);
}

int WizardFindType(const WizardModel* model, const char* id) {
  int i;
  for (i = 0; i < model->TypeCount; ++i) {
    if (_stricmp(model->Types[i].Id, id) == 0) return i;
  }
  return -1;
}

int WizardFindLanguage(const WizardModel* model, const char* id) {
  int i;
  for (i = 0; i < model->LanguageCount; ++i) {
    if (_stricmp(model->Languages[i].Id, id) == 0) return i;
  }
  return -1;
}
