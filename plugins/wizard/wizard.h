/*
 * The standard wizard plug-in: shared declarations of its parts. Built with
 * nothing but the public plug-in header and the Windows API, as any
 * third-party plug-in would be.
 */
#ifndef CORVANE_WIZARD_H
#define CORVANE_WIZARD_H

#include <windows.h>

#include "corvane/plugin_api.h"

#define WIZARD_PLUGIN_ID "StandardWizard"
#define WIZARD_TEXT_SIZE 4096
#define WIZARD_MAX_FEATURES 128
#define WIZARD_MAX_CHOICES 32

/* ---- requests to the engine (wizard_engine.c) ---- */
extern CvStartupInfo g_services;

/* Sends a request by name with up to three text arguments; copies the first
   text answer into `answer` when given. Returns the request's result. */
int32_t WizardAsk(const char* command, const char* a, const char* b, const char* c, char* answer,
                  size_t size);
int32_t WizardAskInt(const char* command, const char* a, int32_t value);
void WizardGetVariable(const char* name, char* value, size_t size);
void WizardSetVariable(const char* name, const char* value);
/* The variable as a flag: non-empty and neither "0" nor "false". */
int WizardVariableIsSet(const char* name);
void WizardConfig(const char* group, const char* name, const char* fallback, char* value,
                  size_t size);
int WizardConfigFlag(const char* group, const char* name, int fallback);

/* ---- texts (wizard_texts.c) ---- */
/* The text named `name`: the plug-in configuration's group "Texts" when it
   sets one, else the language tables' string "Wizard.<name>", else the
   built-in English text; references are expanded in each. */
void WizardText(const char* name, char* text, size_t size);
/* Expands references of a text in the plug-in's context. */
void WizardExpand(const char* source, char* text, size_t size);

/* ---- the feature and choice model (wizard_model.c) ---- */
typedef struct WizardChoice {
  char Id[128];
  char Name[256];
  char Description[512];
  int Custom;
} WizardChoice;

typedef struct WizardFeature {
  char Id[128];
  char Name[256];
  char Description[512];
  int Required;
  int Depth;
} WizardFeature;

typedef struct WizardModel {
  WizardChoice Types[WIZARD_MAX_CHOICES];
  int TypeCount;
  WizardFeature Features[WIZARD_MAX_FEATURES];
  int FeatureCount;
  WizardChoice Languages[WIZARD_MAX_CHOICES];
  int LanguageCount;
} WizardModel;

void WizardLoadModel(WizardModel* model);
/* 0 not selected, 1 selected, 2 partly selected. */
int WizardFeatureState(const WizardFeature* feature);
int WizardFeatureSelected(const WizardFeature* feature);
int WizardSetFeature(const WizardFeature* feature, int selected);
int32_t WizardFeatureSize(const WizardFeature* feature);
int32_t WizardSetupSize(void);
/* Free space of the drive holding `path`, in KiB; -1 when unknown. */
long long WizardFreeSpaceKiB(const char* path);
/* Index of the entry with that id, -1 when there is none. */
int WizardFindType(const WizardModel* model, const char* id);
int WizardFindLanguage(const WizardModel* model, const char* id);

/* ---- the window (wizard_window.c) ---- */
enum WizardPage {
  PAGE_LANGUAGE,
  PAGE_WELCOME,
  PAGE_LICENSE,
  PAGE_PASSWORD,
  PAGE_FEATURES,
  PAGE_FOLDER,
  PAGE_READY,
  PAGE_PROGRESS,
  PAGE_FINISH,
  PAGE_COUNT
};

/* Control ids, stable so that tests and accessibility tools find them. */
enum {
  IDC_WIZ_BACK = 1001,
  IDC_WIZ_TITLE = 1002,
  IDC_WIZ_SUBTITLE = 1003,
  IDC_WIZ_TEXT = 1004,
  IDC_WIZ_LICENSE = 1005,
  IDC_WIZ_ACCEPT = 1006,
  IDC_WIZ_DECLINE = 1007,
  IDC_WIZ_TYPE = 1008,
  IDC_WIZ_FEATURES = 1009,
  IDC_WIZ_DESCRIPTION = 1010,
  IDC_WIZ_SPACE = 1011,
  IDC_WIZ_FOLDER = 1012,
  IDC_WIZ_BROWSE = 1013,
  IDC_WIZ_PASSWORD = 1014,
  IDC_WIZ_LANGUAGE = 1015,
  IDC_WIZ_PROGRESS = 1016,
  IDC_WIZ_STATUS = 1017,
  IDC_WIZ_DETAIL = 1018,
  IDC_WIZ_PICTURE = 1019,
  IDC_WIZ_LABEL = 1020
};

/* Runs the pages before installation; 0 when the user chose to install, 1
   when the run is to end. Leaves the window open on the progress page. */
int WizardRunBefore(void);
/* Runs the closing pages; returns 0. */
int WizardRunAfter(int success);
void WizardShowProgress(const char* status, const char* detail, int percent);
void WizardShowStatusText(const char* text);
void WizardHideStatusText(void);
HWND WizardActiveWindow(void);
void WizardClose(void);
void WizardLanguageChanged(void);
int WizardAskReboot(void);
/* Asks whether to replace a newer file on the disk; the engine's answer
   1 keep, 2 replace, 3 keep all, 4 replace all; 0 in silent mode. */
int WizardAskFileConflict(const char* path);

extern HINSTANCE g_module;

#endif
