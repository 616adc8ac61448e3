/* The wizard window: one top-level window whose pages are sets of child
   controls, driven by a modal loop with dialog keyboard handling (Tab,
   Enter for the default button, Escape for Cancel, mnemonics). */
#include "wizard.h"

#include <commctrl.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define WIZARD_CLASS "CorvaneWizardWindow"
/* The layout is drawn for the dialog font at 96 DPI (13 pixels high) and
   scaled by the font the system gives, so that nothing is clipped when the
   system's DPI or its message font is larger. */
#define CLIENT_WIDTH 500
#define CLIENT_HEIGHT 360
#define HEADER_HEIGHT 58
#define DESIGN_FONT_HEIGHT 13
#define DESIGN_ALPHABET_WIDTH 359 /* "A".."Z" "a".."z" in that font */
#define PAGE_TAG 0x57495A /* marks a page's own controls */
#define WM_WIZARD_FEATURES_CHANGED (WM_APP + 1)

typedef struct WizardState {
  HWND Window;
  HWND StatusWindow;
  HFONT Font;
  HFONT TitleFont;
  HBITMAP Banner;
  int Page;
  int Done;   /* the modal loop ends */
  int Result; /* 0 go on, 1 end the run */
  int Installing;
  int Finished;
  int Accepted;
  int Updating; /* the feature list is being filled */
  int ActiveType;
  int Scale; /* layout scale in thousandths */
  /* The feature states the active install type gave, before the user
     changed any: a selection that differs is no longer that type's. */
  int TypeStates[WIZARD_MAX_FEATURES];
  int Uninstall; /* the engine removes the product: confirm, progress, finish */
  WizardModel Model;
  char LicenseFile[MAX_PATH];
} WizardState;

static WizardState g_state = {0};

static int Silent(void) { return WizardVariableIsSet("SilentMode"); }

static int LayoutScale(HFONT font);

/* A length of the layout in pixels of this system. */
static int Px(int design) {
  /* The status window may come before the wizard's window. */
  if (!g_state.Scale) g_state.Scale = LayoutScale((HFONT)GetStockObject(DEFAULT_GUI_FONT));
  return MulDiv(design, g_state.Scale, 1000);
}

/* ---- which pages show ---- */

static int PageWanted(int page) {
  if (g_state.Uninstall) return page == PAGE_WELCOME;
  switch (page) {
    case PAGE_LANGUAGE:
      return g_state.Model.LanguageCount > 1 && WizardConfigFlag("Pages", "Language", 1);
    case PAGE_WELCOME: return WizardConfigFlag("Pages", "Welcome", 1);
    case PAGE_LICENSE:
      return g_state.LicenseFile[0] != 0 && WizardConfigFlag("Pages", "License", 1);
    case PAGE_PASSWORD: return WizardAsk("CM_ISPASSWORDVALID", NULL, NULL, NULL, NULL, 0) != 0;
    case PAGE_FEATURES:
      return (g_state.Model.FeatureCount > 0 || g_state.Model.TypeCount > 1) &&
             WizardConfigFlag("Pages", "Features", 1);
    case PAGE_FOLDER: return WizardConfigFlag("Pages", "Folder", 1);
    case PAGE_READY: return WizardConfigFlag("Pages", "Ready", 1);
    default: return 0;
  }
}

/* ---- controls ---- */

static HWND AddControl(const char* cls, const char* text, DWORD style, DWORD exStyle, int id, int x,
                       int y, int width, int height) {
  HWND control =
      CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, Px(x), Px(y), Px(width),
                      Px(height), g_state.Window, (HMENU)(INT_PTR)id, g_module, NULL);
  SendMessageA(control, WM_SETFONT, (WPARAM)g_state.Font, FALSE);
  SetWindowLongPtrA(control, GWLP_USERDATA, PAGE_TAG);
  return control;
}

static HWND AddText(int id, const char* name, int x, int y, int width, int height) {
  char text[WIZARD_TEXT_SIZE];
  WizardText(name, text, sizeof text);
  return AddControl("STATIC", text, SS_LEFT, 0, id, x, y, width, height);
}

static void SetItemText(int id, const char* name) {
  char text[WIZARD_TEXT_SIZE];
  WizardText(name, text, sizeof text);
  SetDlgItemTextA(g_state.Window, id, text);
}

static BOOL CALLBACK DestroyPageControl(HWND control, LPARAM unused) {
  (void)unused;
  if (GetWindowLongPtrA(control, GWLP_USERDATA) == PAGE_TAG) DestroyWindow(control);
  return TRUE;
}

static void Message(const char* name, const char* argument) {
  char format[WIZARD_TEXT_SIZE];
  char text[WIZARD_TEXT_SIZE + MAX_PATH];
  char caption[512];
  WizardText(name, format, sizeof format);
  snprintf(text, sizeof text, format, argument ? argument : "");
  WizardText("Caption", caption, sizeof caption);
  MessageBoxA(g_state.Window, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

static void FormatSize(long long kib, char* text, size_t size) {
  if (kib < 0) {
    snprintf(text, size, "?");
  } else if (kib >= 1024 * 1024) {
    snprintf(text, size, "%.1f GB", (double)kib / (1024.0 * 1024.0));
  } else if (kib >= 1024) {
    snprintf(text, size, "%.1f MB", (double)kib / 1024.0);
  } else {
    snprintf(text, size, "%lld KB", kib);
  }
}

/* ---- the feature page ---- */

static void ShowSpace(void) {
  char folder[MAX_PATH];
  char needed[64];
  char available[64];
  char format[WIZARD_TEXT_SIZE];
  char text[WIZARD_TEXT_SIZE];
  WizardGetVariable("InstallPath", folder, sizeof folder);
  FormatSize(WizardSetupSize(), needed, sizeof needed);
  FormatSize(WizardFreeSpaceKiB(folder), available, sizeof available);
  WizardText("SpaceText", format, sizeof format);
  snprintf(text, sizeof text, format, needed, available);
  SetDlgItemTextA(g_state.Window, IDC_WIZ_SPACE, text);
}

static void FillFeatures(void) {
  HWND list = GetDlgItem(g_state.Window, IDC_WIZ_FEATURES);
  int i;
  g_state.Updating = 1;
  ListView_DeleteAllItems(list);
  for (i = 0; i < g_state.Model.FeatureCount; ++i) {
    const WizardFeature* feature = &g_state.Model.Features[i];
    LVITEMA item;
    char size[64];
    memset(&item, 0, sizeof item);
    item.mask = LVIF_TEXT | LVIF_INDENT | LVIF_PARAM;
    item.iItem = i;
    item.iIndent = feature->Depth;
    item.pszText = (char*)feature->Name;
    item.lParam = i;
    SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
    FormatSize(WizardFeatureSize(feature), size, sizeof size);
    item.mask = LVIF_TEXT;
    item.iSubItem = 1;
    item.pszText = size;
    SendMessageA(list, LVM_SETITEMTEXTA, i, (LPARAM)&item);
    ListView_SetCheckState(list, i, WizardFeatureSelected(feature));
  }
  g_state.Updating = 0;
  ShowSpace();
}

static void DescribeFeature(int index) {
  const char* text = index >= 0 && index < g_state.Model.FeatureCount
                         ? g_state.Model.Features[index].Description
                         : "";
  SetDlgItemTextA(g_state.Window, IDC_WIZ_DESCRIPTION, text);
}

static void FeatureToggled(int index) {
  HWND list = GetDlgItem(g_state.Window, IDC_WIZ_FEATURES);
  const WizardFeature* feature;
  int checked;
  if (g_state.Updating || index < 0 || index >= g_state.Model.FeatureCount) return;
  feature = &g_state.Model.Features[index];
  checked = ListView_GetCheckState(list, index) != 0;
  if (checked == WizardFeatureSelected(feature)) return;
  if (!checked && feature->Required) {
    /* A required feature stays; the engine would refuse it anyway. */
  } else {
    WizardSetFeature(feature, checked);
  }
  /* Selection reaches sub-features and parents: show the engine's view, but
     not from inside the list's own notification. */
  PostMessageA(g_state.Window, WM_WIZARD_FEATURES_CHANGED, 0, 0);
}

/* ---- the install type follows the features ---- */

static void RememberTypeSelection(void) {
  int i;
  for (i = 0; i < g_state.Model.FeatureCount; ++i) {
    g_state.TypeStates[i] = WizardFeatureState(&g_state.Model.Features[i]);
  }
}

static int SelectionIsTypes(void) {
  int i;
  for (i = 0; i < g_state.Model.FeatureCount; ++i) {
    if (WizardFeatureState(&g_state.Model.Features[i]) != g_state.TypeStates[i]) return 0;
  }
  return 1;
}

static int CustomType(void) {
  int i;
  for (i = 0; i < g_state.Model.TypeCount; ++i) {
    if (g_state.Model.Types[i].Custom) return i;
  }
  return -1;
}

/* The user's ticks no longer match the install type: the custom type takes
   over, with the selection as the user left it. */
static void FollowSelectionWithType(void) {
  int wanted[WIZARD_MAX_FEATURES];
  const int custom = CustomType();
  int i;
  if (custom < 0 || custom == g_state.ActiveType || SelectionIsTypes()) return;
  for (i = 0; i < g_state.Model.FeatureCount; ++i) {
    wanted[i] = WizardFeatureState(&g_state.Model.Features[i]) != 0;
  }
  if (WizardAsk("CM_SETINSTALLTYPE", g_state.Model.Types[custom].Id, NULL, NULL, NULL, 0) != 0) {
    return;
  }
  g_state.ActiveType = custom;
  /* Activating a type selects that type's features and forgets single
     choices: put the user's back, in tree order so that a parent comes
     before the sub-features that differ from it. */
  for (i = 0; i < g_state.Model.FeatureCount; ++i) {
    const WizardFeature* feature = &g_state.Model.Features[i];
    if ((WizardFeatureState(feature) != 0) != wanted[i]) WizardSetFeature(feature, wanted[i]);
  }
  RememberTypeSelection();
  SendDlgItemMessageA(g_state.Window, IDC_WIZ_TYPE, CB_SETCURSEL, custom, 0);
}

/* The type shown first: the configured one, made the engine's, else the
   one the engine chose. */
static void ChooseFirstType(void) {
  char type[128];
  WizardConfig("Features", "InstallType", "", type, sizeof type);
  g_state.ActiveType = WizardFindType(&g_state.Model, type);
  if (g_state.ActiveType >= 0) {
    WizardAsk("CM_SETINSTALLTYPE", g_state.Model.Types[g_state.ActiveType].Id, NULL, NULL, NULL,
              0);
  } else {
    WizardAsk("CM_CALCEXPRESSION", "ActiveInstallType", NULL, NULL, type, sizeof type);
    g_state.ActiveType = WizardFindType(&g_state.Model, type);
  }
  if (g_state.ActiveType < 0) g_state.ActiveType = 0;
  RememberTypeSelection();
}

static void TypeChosen(void) {
  int index = (int)SendDlgItemMessageA(g_state.Window, IDC_WIZ_TYPE, CB_GETCURSEL, 0, 0);
  if (index < 0 || index >= g_state.Model.TypeCount) return;
  g_state.ActiveType = index;
  WizardAsk("CM_SETINSTALLTYPE", g_state.Model.Types[index].Id, NULL, NULL, NULL, 0);
  RememberTypeSelection();
  FillFeatures();
}

static void BuildFeaturesPage(void) {
  HWND combo;
  HWND list;
  LVCOLUMNA column;
  char text[256];
  int i;
  AddText(IDC_WIZ_LABEL, "TypeLabel", 20, 72, 100, 16);
  combo = AddControl("COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, 0, IDC_WIZ_TYPE,
                     125, 69, 355, 200);
  for (i = 0; i < g_state.Model.TypeCount; ++i) {
    SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)g_state.Model.Types[i].Name);
  }
  SendMessageA(combo, CB_SETCURSEL, g_state.ActiveType, 0);
  AddText(IDC_WIZ_LABEL + 1, "FeaturesLabel", 20, 100, 200, 16);
  list = AddControl(WC_LISTVIEWA, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                    WS_EX_CLIENTEDGE, IDC_WIZ_FEATURES, 20, 118, 300, 150);
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  memset(&column, 0, sizeof column);
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  WizardText("FeatureColumn", text, sizeof text);
  column.pszText = text;
  column.cx = Px(200);
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, (LPARAM)&column);
  WizardText("SizeColumn", text, sizeof text);
  column.cx = Px(76);
  SendMessageA(list, LVM_INSERTCOLUMNA, 1, (LPARAM)&column);
  AddControl("STATIC", "", SS_LEFT, 0, IDC_WIZ_DESCRIPTION, 330, 118, 150, 150);
  AddControl("STATIC", "", SS_LEFT, 0, IDC_WIZ_SPACE, 20, 276, 460, 32);
  FillFeatures();
  if (g_state.Model.FeatureCount > 0) {
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
}

/* ---- other pages ---- */

static void LoadLicense(HWND edit) {
  FILE* file = fopen(g_state.LicenseFile, "rb");
  char* text;
  long size;
  if (!file) {
    Message("LicenseMissing", g_state.LicenseFile);
    return;
  }
  fseek(file, 0, SEEK_END);
  size = ftell(file);
  fseek(file, 0, SEEK_SET);
  if (size < 0 || size > 4 * 1024 * 1024) size = 0;
  /* Room for a CR before every LF: an edit control breaks lines only at
     CR LF. */
  text = (char*)malloc((size_t)size * 2 + 1);
  if (text) {
    size_t read = fread(text, 1, (size_t)size, file);
    size_t from = read;
    size_t to = read;
    size_t lineFeeds = 0;
    size_t i;
    for (i = 0; i < read; ++i) {
      if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) ++lineFeeds;
    }
    to = read + lineFeeds;
    text[to] = 0;
    while (from > 0) {
      char c = text[--from];
      text[--to] = c;
      if (c == '\n' && (from == 0 || text[from - 1] != '\r')) text[--to] = '\r';
    }
    SetWindowTextA(edit, text);
    free(text);
  }
  fclose(file);
}

static void BuildReadyText(char* text, size_t size) {
  char folder[MAX_PATH];
  char features[WIZARD_TEXT_SIZE] = "";
  char format[WIZARD_TEXT_SIZE];
  const char* type =
      g_state.Model.TypeCount > 0 ? g_state.Model.Types[g_state.ActiveType].Name : "";
  int i;
  WizardGetVariable("InstallPath", folder, sizeof folder);
  for (i = 0; i < g_state.Model.FeatureCount; ++i) {
    if (!WizardFeatureSelected(&g_state.Model.Features[i])) continue;
    strncat(features, "    ", sizeof features - strlen(features) - 1);
    strncat(features, g_state.Model.Features[i].Name, sizeof features - strlen(features) - 1);
    strncat(features, "\r\n", sizeof features - strlen(features) - 1);
  }
  WizardText("ReadyText", format, sizeof format);
  snprintf(text, size, format, folder, type, features);
}

/* The page's header, written once its controls exist: a title on the screen
   means the whole page is there. */
static const char* g_headerTitle;
static const char* g_headerSubtitle;

static void SetHeader(const char* title, const char* subtitle) {
  g_headerTitle = title;
  g_headerSubtitle = subtitle;
}

static void ShowHeader(void) {
  SetItemText(IDC_WIZ_TITLE, g_headerTitle);
  if (g_headerSubtitle) {
    SetItemText(IDC_WIZ_SUBTITLE, g_headerSubtitle);
  } else {
    SetDlgItemTextA(g_state.Window, IDC_WIZ_SUBTITLE, "");
  }
}

static void SetButtons(const char* nextName, int backEnabled, int nextEnabled, int cancelEnabled) {
  HWND back = GetDlgItem(g_state.Window, IDC_WIZ_BACK);
  SetItemText(IDOK, nextName);
  EnableWindow(back, backEnabled);
  EnableWindow(GetDlgItem(g_state.Window, IDOK), nextEnabled);
  EnableWindow(GetDlgItem(g_state.Window, IDCANCEL), cancelEnabled);
}

static int PreviousPage(int page);
static int NextPage(int page);

static void BuildPage(int page) {
  HWND focus = NULL;
  char text[WIZARD_TEXT_SIZE];
  EnumChildWindows(g_state.Window, DestroyPageControl, 0);
  g_state.Page = page;
  switch (page) {
    case PAGE_LANGUAGE: {
      char current[128];
      int i;
      SetHeader("LanguageTitle", "LanguageSubtitle");
      AddText(IDC_WIZ_LABEL, "LanguageLabel", 20, 80, 460, 16);
      focus = AddControl("COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, 0,
                         IDC_WIZ_LANGUAGE, 20, 100, 300, 200);
      WizardGetVariable("LangID", current, sizeof current);
      for (i = 0; i < g_state.Model.LanguageCount; ++i) {
        SendMessageA(focus, CB_ADDSTRING, 0, (LPARAM)g_state.Model.Languages[i].Name);
      }
      i = WizardFindLanguage(&g_state.Model, current);
      SendMessageA(focus, CB_SETCURSEL, i < 0 ? 0 : i, 0);
      break;
    }
    case PAGE_WELCOME:
      if (g_state.Uninstall) {
        SetHeader("UninstallTitle", "UninstallSubtitle");
        AddText(IDC_WIZ_TEXT, "UninstallText", 20, 80, 460, 220);
      } else {
        SetHeader("WelcomeTitle", "WelcomeSubtitle");
        AddText(IDC_WIZ_TEXT, "WelcomeText", 20, 80, 460, 220);
      }
      break;
    case PAGE_LICENSE: {
      HWND edit;
      SetHeader("LicenseTitle", "LicenseSubtitle");
      edit = AddControl("EDIT", "",
                        ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
                        WS_EX_CLIENTEDGE, IDC_WIZ_LICENSE, 20, 72, 460, 180);
      LoadLicense(edit);
      WizardText("LicenseAccept", text, sizeof text);
      AddControl("BUTTON", text, BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 0, IDC_WIZ_ACCEPT, 20,
                 260, 460, 18);
      WizardText("LicenseDecline", text, sizeof text);
      AddControl("BUTTON", text, BS_AUTORADIOBUTTON, 0, IDC_WIZ_DECLINE, 20, 282, 460, 18);
      CheckDlgButton(g_state.Window, g_state.Accepted ? IDC_WIZ_ACCEPT : IDC_WIZ_DECLINE,
                     BST_CHECKED);
      focus = edit;
      break;
    }
    case PAGE_PASSWORD:
      SetHeader("PasswordTitle", "PasswordSubtitle");
      AddText(IDC_WIZ_LABEL, "PasswordLabel", 20, 80, 460, 16);
      focus = AddControl("EDIT", "", ES_PASSWORD | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
                         IDC_WIZ_PASSWORD, 20, 100, 300, 22);
      break;
    case PAGE_FEATURES:
      SetHeader("FeaturesTitle", "FeaturesSubtitle");
      BuildFeaturesPage();
      focus = GetDlgItem(g_state.Window, IDC_WIZ_TYPE);
      break;
    case PAGE_FOLDER: {
      char folder[MAX_PATH];
      SetHeader("FolderTitle", "FolderSubtitle");
      AddText(IDC_WIZ_LABEL, "FolderLabel", 20, 80, 460, 16);
      WizardGetVariable("InstallPath", folder, sizeof folder);
      focus = AddControl("EDIT", folder, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
                         IDC_WIZ_FOLDER, 20, 100, 360, 22);
      WizardText("Browse", text, sizeof text);
      AddControl("BUTTON", text, BS_PUSHBUTTON | WS_TABSTOP, 0, IDC_WIZ_BROWSE, 390, 99, 90, 24);
      AddControl("STATIC", "", SS_LEFT, 0, IDC_WIZ_SPACE, 20, 140, 460, 32);
      ShowSpace();
      break;
    }
    case PAGE_READY:
      SetHeader("ReadyTitle", "ReadySubtitle");
      BuildReadyText(text, sizeof text);
      AddControl("EDIT", text, ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_TABSTOP,
                 WS_EX_CLIENTEDGE, IDC_WIZ_TEXT, 20, 72, 460, 230);
      break;
    case PAGE_PROGRESS:
      if (g_state.Uninstall) {
        SetHeader("UninstallProgressTitle", "UninstallProgressSubtitle");
      } else {
        SetHeader("ProgressTitle", "ProgressSubtitle");
      }
      AddControl("STATIC", "", SS_LEFT | SS_ENDELLIPSIS, 0, IDC_WIZ_STATUS, 20, 90, 460, 16);
      AddControl(PROGRESS_CLASSA, "", 0, 0, IDC_WIZ_PROGRESS, 20, 112, 460, 20);
      SendDlgItemMessageA(g_state.Window, IDC_WIZ_PROGRESS, PBM_SETRANGE32, 0, 100);
      AddControl("STATIC", "", SS_LEFT | SS_PATHELLIPSIS, 0, IDC_WIZ_DETAIL, 20, 140, 460, 16);
      break;
    case PAGE_FINISH:
      SetHeader("FinishTitle", NULL);
      AddText(IDC_WIZ_TEXT,
              g_state.Uninstall ? (g_state.Finished ? "UninstallFinishText" : "UninstallFailedText")
                                : (g_state.Finished ? "FinishText" : "FailedText"),
              20, 80, 460, 200);
      break;
    default: break;
  }
  if (page == PAGE_PROGRESS) {
    SetButtons("Next", 0, 0, 1);
  } else if (page == PAGE_FINISH) {
    SetButtons("Finish", 0, 1, 0);
  } else {
    const int lastPage = NextPage(page) == PAGE_PROGRESS;
    SetButtons(lastPage ? (g_state.Uninstall ? "Remove" : "Install") : "Next",
               PreviousPage(page) >= 0, page != PAGE_LICENSE || g_state.Accepted, 1);
  }
  ShowHeader();
  SendMessageA(g_state.Window, DM_SETDEFID, IDOK, 0);
  SetFocus(focus ? focus
                 : GetDlgItem(g_state.Window,
                              IsWindowEnabled(GetDlgItem(g_state.Window, IDOK)) ? IDOK : IDCANCEL));
}

static int NextPage(int page) {
  for (++page; page < PAGE_PROGRESS; ++page) {
    if (PageWanted(page)) return page;
  }
  return PAGE_PROGRESS;
}

static int PreviousPage(int page) {
  for (--page; page >= 0; --page) {
    if (PageWanted(page)) return page;
  }
  return -1;
}

/* Takes what the user entered on the page; false keeps the page. */
static int LeavePage(void) {
  switch (g_state.Page) {
    case PAGE_LANGUAGE: {
      int index = (int)SendDlgItemMessageA(g_state.Window, IDC_WIZ_LANGUAGE, CB_GETCURSEL, 0, 0);
      if (index >= 0 && index < g_state.Model.LanguageCount) {
        WizardAsk("CM_SETLANGUAGE", g_state.Model.Languages[index].Id, NULL, NULL, NULL, 0);
      }
      return 1;
    }
    case PAGE_PASSWORD: {
      char password[512];
      GetDlgItemTextA(g_state.Window, IDC_WIZ_PASSWORD, password, sizeof password);
      if (WizardAsk("CM_SETPASSWORD", password, NULL, NULL, NULL, 0) != 0) {
        Message("PasswordWrong", NULL);
        SetFocus(GetDlgItem(g_state.Window, IDC_WIZ_PASSWORD));
        return 0;
      }
      return 1;
    }
    case PAGE_FOLDER: {
      char folder[MAX_PATH];
      GetDlgItemTextA(g_state.Window, IDC_WIZ_FOLDER, folder, sizeof folder);
      if (!folder[0]) {
        Message("FolderEmpty", NULL);
        SetFocus(GetDlgItem(g_state.Window, IDC_WIZ_FOLDER));
        return 0;
      }
      WizardSetVariable("InstallPath", folder);
      return 1;
    }
    default: return 1;
  }
}

static int ConfirmCancel(void) {
  char question[WIZARD_TEXT_SIZE];
  char caption[512];
  WizardText("CancelQuestion", question, sizeof question);
  WizardText("Caption", caption, sizeof caption);
  return MessageBoxA(g_state.Window, question, caption,
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

static void Browse(void) {
  char title[512];
  char folder[MAX_PATH];
  BROWSEINFOA info;
  LPITEMIDLIST chosen;
  WizardText("FolderBrowseTitle", title, sizeof title);
  memset(&info, 0, sizeof info);
  info.hwndOwner = g_state.Window;
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  chosen = SHBrowseForFolderA(&info);
  if (!chosen) return;
  if (SHGetPathFromIDListA(chosen, folder)) SetDlgItemTextA(g_state.Window, IDC_WIZ_FOLDER, folder);
  CoTaskMemFree(chosen);
}

static void OnCommand(int id, int code) {
  switch (id) {
    case IDOK:
      if (!IsWindowEnabled(GetDlgItem(g_state.Window, IDOK))) return;
      if (g_state.Page == PAGE_FINISH) {
        g_state.Done = 1;
        return;
      }
      if (!LeavePage()) return;
      BuildPage(NextPage(g_state.Page));
      if (g_state.Page == PAGE_PROGRESS) {
        g_state.Installing = 1;
        g_state.Result = 0;
        g_state.Done = 1;
      }
      return;
    case IDC_WIZ_BACK:
      if (PreviousPage(g_state.Page) >= 0 && IsWindowEnabled(GetDlgItem(g_state.Window, id))) {
        BuildPage(PreviousPage(g_state.Page));
      }
      return;
    case IDCANCEL:
      if (!IsWindowEnabled(GetDlgItem(g_state.Window, IDCANCEL))) return;
      if (!ConfirmCancel()) return;
      if (g_state.Installing) {
        WizardAsk("CM_ABORTINSTALL", NULL, NULL, NULL, NULL, 0);
        EnableWindow(GetDlgItem(g_state.Window, IDCANCEL), FALSE);
      } else {
        g_state.Result = 1;
        g_state.Done = 1;
      }
      return;
    case IDC_WIZ_ACCEPT:
    case IDC_WIZ_DECLINE:
      g_state.Accepted = IsDlgButtonChecked(g_state.Window, IDC_WIZ_ACCEPT) == BST_CHECKED;
      EnableWindow(GetDlgItem(g_state.Window, IDOK), g_state.Accepted);
      return;
    case IDC_WIZ_BROWSE: Browse(); return;
    case IDC_WIZ_TYPE:
      if (code == CBN_SELCHANGE) TypeChosen();
      return;
    default: return;
  }
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_NOTIFY: {
      const NMHDR* header = (const NMHDR*)lParam;
      if (header->idFrom == IDC_WIZ_FEATURES && header->code == LVN_ITEMCHANGED) {
        const NMLISTVIEW* change = (const NMLISTVIEW*)lParam;
        if ((change->uChanged & LVIF_STATE) &&
            (change->uNewState & LVIS_STATEIMAGEMASK) !=
                (change->uOldState & LVIS_STATEIMAGEMASK) &&
            (change->uOldState & LVIS_STATEIMAGEMASK) != 0) {
          FeatureToggled(change->iItem);
        }
        if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED)) {
          DescribeFeature(change->iItem);
        }
      }
      return 0;
    }
    case WM_WIZARD_FEATURES_CHANGED:
      if (g_state.Page == PAGE_FEATURES) {
        HWND list = GetDlgItem(window, IDC_WIZ_FEATURES);
        int i;
        FollowSelectionWithType();
        g_state.Updating = 1;
        for (i = 0; i < g_state.Model.FeatureCount; ++i) {
          ListView_SetCheckState(list, i, WizardFeatureSelected(&g_state.Model.Features[i]));
        }
        g_state.Updating = 0;
        ShowSpace();
      }
      return 0;
    case WM_CTLCOLORSTATIC: {
      int id = GetDlgCtrlID((HWND)lParam);
      if (id == IDC_WIZ_TITLE || id == IDC_WIZ_SUBTITLE) {
        SetBkColor((HDC)wParam, GetSysColor(COLOR_WINDOW));
        return (LRESULT)GetSysColorBrush(COLOR_WINDOW);
      }
      break;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT band = {0, 0, Px(CLIENT_WIDTH), Px(HEADER_HEIGHT)};
      FillRect(dc, &band, GetSysColorBrush(COLOR_WINDOW));
      band.top = Px(HEADER_HEIGHT);
      band.bottom = band.top + 1;
      FillRect(dc, &band, GetSysColorBrush(COLOR_BTNSHADOW));
      EndPaint(window, &paint);
      return 0;
    }
    case WM_CLOSE: OnCommand(g_state.Page == PAGE_FINISH ? IDOK : IDCANCEL, 0); return 0;
    default: break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

/* ---- the window's life ---- */

/* The folder of the package this plug-in came with: its DLL lies in
   <package folder>\plugins\<entry number>\. */
static void PackageFolder(char* folder, size_t size) {
  char* cut;
  int level;
  folder[0] = 0;
  if (!GetModuleFileNameA(g_module, folder, (DWORD)size)) return;
  for (level = 0; level < 3; ++level) {
    cut = strrchr(folder, '\\');
    if (!cut) {
      folder[0] = 0;
      return;
    }
    *cut = 0;
  }
}

static int TryLicense(const char* folder, const char* name) {
  if (!folder[0]) return 0;
  snprintf(g_state.LicenseFile, sizeof g_state.LicenseFile, "%s%s%s", folder,
           folder[strlen(folder) - 1] == '\\' ? "" : "\\", name);
  return GetFileAttributesA(g_state.LicenseFile) != INVALID_FILE_ATTRIBUTES;
}

/* A relative licence name is looked for in the package folder, then beside
   the setup file. */
static void FindLicense(void) {
  char configured[MAX_PATH];
  char name[MAX_PATH];
  char folder[MAX_PATH];
  WizardConfig("License", "File", "", configured, sizeof configured);
  g_state.LicenseFile[0] = 0;
  if (!configured[0]) return;
  WizardExpand(configured, name, sizeof name);
  if (strchr(name, ':') || name[0] == '\\') {
    snprintf(g_state.LicenseFile, sizeof g_state.LicenseFile, "%s", name);
    return;
  }
  PackageFolder(folder, sizeof folder);
  if (TryLicense(folder, name)) return;
  WizardGetVariable("SourcePath", folder, sizeof folder);
  if (TryLicense(folder, name)) return;
  /* Shown as missing when the page opens. */
}

static HFONT MakeFont(int weight, int points) {
  NONCLIENTMETRICSA metrics;
  memset(&metrics, 0, sizeof metrics);
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return (HFONT)GetStockObject(DEFAULT_GUI_FONT);
  }
  metrics.lfMessageFont.lfWeight = weight;
  if (points) {
    HDC screen = GetDC(NULL);
    metrics.lfMessageFont.lfHeight = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(NULL, screen);
  }
  return CreateFontIndirectA(&metrics.lfMessageFont);
}

/* The layout's scale for `font`: the larger of its height and its width
   against the design font's, and never below the screen's DPI. */
static int LayoutScale(HFONT font) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  HDC screen = GetDC(NULL);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA metrics;
  SIZE extent;
  int scale = MulDiv(1000, GetDeviceCaps(screen, LOGPIXELSY), 96);
  if (GetTextMetricsA(dc, &metrics)) {
    int byHeight = MulDiv(1000, metrics.tmHeight, DESIGN_FONT_HEIGHT);
    if (byHeight > scale) scale = byHeight;
  }
  if (GetTextExtentPoint32A(dc, alphabet, (int)sizeof alphabet - 1, &extent)) {
    int byWidth = MulDiv(1000, extent.cx, DESIGN_ALPHABET_WIDTH);
    if (byWidth > scale) scale = byWidth;
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(NULL, screen);
  return scale < 1000 ? 1000 : scale;
}

static void AddFrameControl(const char* cls, int id, DWORD style, int x, int y, int width,
                            int height, HFONT font) {
  HWND control =
      CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, Px(x), Px(y), Px(width),
                      Px(height), g_state.Window, (HMENU)(INT_PTR)id, g_module, NULL);
  SendMessageA(control, WM_SETFONT, (WPARAM)font, FALSE);
}

static int CreateWizardWindow(void) {
  WNDCLASSA windowClass;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  RECT frame;
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  char caption[512];
  char picture[MAX_PATH];
  int buttonTop = CLIENT_HEIGHT - 36;
  if (g_state.Window) return 1;
  InitCommonControlsEx(&controls);
  g_state.Font = MakeFont(FW_NORMAL, 0);
  g_state.TitleFont = MakeFont(FW_BOLD, 0);
  g_state.Scale = LayoutScale(g_state.Font);
  SetRect(&frame, 0, 0, Px(CLIENT_WIDTH), Px(CLIENT_HEIGHT));
  memset(&windowClass, 0, sizeof windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = g_module;
  windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = WIZARD_CLASS;
  windowClass.hIcon = (HICON)(intptr_t)WizardAsk("CM_GETINSTALLICON", NULL, NULL, NULL, NULL, 0);
  RegisterClassA(&windowClass);
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
  WizardText("Caption", caption, sizeof caption);
  g_state.Window = CreateWindowExA(WS_EX_CONTROLPARENT, WIZARD_CLASS, caption, style,
                                   (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2,
                                   (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2,
                                   frame.right - frame.left, frame.bottom - frame.top, NULL, NULL,
                                   g_module, NULL);
  if (!g_state.Window) return 0;
  AddFrameControl("STATIC", IDC_WIZ_TITLE, SS_LEFT, 15, 10, 400, 18, g_state.TitleFont);
  AddFrameControl("STATIC", IDC_WIZ_SUBTITLE, SS_LEFT, 30, 30, 385, 26, g_state.Font);
  WizardConfig("Pictures", "Banner", "", picture, sizeof picture);
  if (picture[0]) {
    char path[MAX_PATH];
    WizardExpand(picture, path, sizeof path);
    g_state.Banner = (HBITMAP)LoadImageA(NULL, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    if (g_state.Banner) {
      AddFrameControl("STATIC", IDC_WIZ_PICTURE, SS_BITMAP | SS_CENTERIMAGE, CLIENT_WIDTH - 70, 3,
                      64, 52, g_state.Font);
      SendDlgItemMessageA(g_state.Window, IDC_WIZ_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                          (LPARAM)g_state.Banner);
    }
  }
  AddFrameControl("BUTTON", IDC_WIZ_BACK, BS_PUSHBUTTON | WS_TABSTOP, 220, buttonTop, 80, 24,
                  g_state.Font);
  AddFrameControl("BUTTON", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 302, buttonTop, 80, 24,
                  g_state.Font);
  AddFrameControl("BUTTON", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 400, buttonTop, 80, 24,
                  g_state.Font);
  SetItemText(IDC_WIZ_BACK, "Back");
  SetItemText(IDCANCEL, "Cancel");
  ShowWindow(g_state.Window, SW_SHOW);
  SetForegroundWindow(g_state.Window);
  return 1;
}

static void ModalLoop(void) {
  MSG message;
  g_state.Done = 0;
  while (!g_state.Done) {
    int got = GetMessageA(&message, NULL, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage((int)message.wParam);
      g_state.Result = 1;
      break;
    }
    if (IsDialogMessageA(g_state.Window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int WizardRunBefore(void) {
  char mode[16];
  int first;
  if (Silent()) return 0;
  WizardGetVariable("InstallMode", mode, sizeof mode);
  g_state.Uninstall = strcmp(mode, "1") == 0;
  WizardLoadModel(&g_state.Model);
  FindLicense();
  if (!g_state.Uninstall) ChooseFirstType();
  if (!CreateWizardWindow()) return 0;
  first = NextPage(-1);
  g_state.Result = 1;
  BuildPage(first);
  if (first == PAGE_PROGRESS) {
    g_state.Installing = 1;
    return 0;
  }
  ModalLoop();
  if (g_state.Result != 0) WizardClose();
  return g_state.Result;
}

int WizardRunAfter(int success) {
  if (Silent() || !g_state.Window || !g_state.Installing) return 0;
  g_state.Installing = 0;
  g_state.Finished = success;
  if (!WizardConfigFlag("Pages", "Finish", 1)) return 0;
  BuildPage(PAGE_FINISH);
  ModalLoop();
  return 0;
}

/* The engine's status texts name their item with "%s" (as in "Copying %s")
   and send the item's path as the detail: the status names the file, the
   detail line shows where it goes. */
static void StatusWithItem(const char* status, const char* detail, char* text, size_t size) {
  const char* slot = strstr(status, "%s");
  const char* name = strrchr(detail, '\\');
  name = name ? name + 1 : detail;
  if (!slot) {
    snprintf(text, size, "%s", status);
  } else {
    snprintf(text, size, "%.*s%s%s", (int)(slot - status), status, name, slot + 2);
  }
}

void WizardShowProgress(const char* status, const char* detail, int percent) {
  char text[WIZARD_TEXT_SIZE];
  if (!g_state.Window || g_state.Page != PAGE_PROGRESS) return;
  StatusWithItem(status, detail, text, sizeof text);
  SetDlgItemTextA(g_state.Window, IDC_WIZ_STATUS, text);
  SetDlgItemTextA(g_state.Window, IDC_WIZ_DETAIL, detail);
  SendDlgItemMessageA(g_state.Window, IDC_WIZ_PROGRESS, PBM_SETPOS, percent, 0);
}

void WizardShowStatusText(const char* text) {
  if (Silent()) return;
  if (g_state.Window && g_state.Page == PAGE_PROGRESS) {
    SetDlgItemTextA(g_state.Window, IDC_WIZ_STATUS, text);
    return;
  }
  if (!g_state.StatusWindow) {
    g_state.StatusWindow = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "STATIC", "",
                                           WS_POPUP | WS_BORDER | SS_CENTER | SS_CENTERIMAGE,
                                           (GetSystemMetrics(SM_CXSCREEN) - Px(360)) / 2,
                                           (GetSystemMetrics(SM_CYSCREEN) - Px(60)) / 2, Px(360),
                                           Px(60), g_state.Window, NULL, g_module, NULL);
    if (!g_state.StatusWindow) return;
    SendMessageA(g_state.StatusWindow, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
  }
  SetWindowTextA(g_state.StatusWindow, text);
  ShowWindow(g_state.StatusWindow, SW_SHOWNOACTIVATE);
  UpdateWindow(g_state.StatusWindow);
}

void WizardHideStatusText(void) {
  if (g_state.StatusWindow) ShowWindow(g_state.StatusWindow, SW_HIDE);
  if (g_state.Window && g_state.Page == PAGE_PROGRESS) {
    SetDlgItemTextA(g_state.Window, IDC_WIZ_STATUS, "");
  }
}

HWND WizardActiveWindow(void) { return g_state.Window; }

void WizardLanguageChanged(void) {
  char caption[512];
  if (!g_state.Window) return;
  WizardText("Caption", caption, sizeof caption);
  SetWindowTextA(g_state.Window, caption);
  SetItemText(IDC_WIZ_BACK, "Back");
  SetItemText(IDCANCEL, "Cancel");
  WizardLoadModel(&g_state.Model);
}

int WizardAskReboot(void) {
  char question[WIZARD_TEXT_SIZE];
  char caption[512];
  if (Silent()) return 1;
  WizardText("RebootQuestion", question, sizeof question);
  WizardText("Caption", caption, sizeof caption);
  if (MessageBoxA(g_state.Window, question, caption, MB_YESNO | MB_ICONQUESTION) == IDYES) return 1;
  WizardSetVariable("Reboot", "0");
  return 0;
}

void WizardClose(void) {
  if (g_state.StatusWindow) DestroyWindow(g_state.StatusWindow);
  g_state.StatusWindow = NULL;
  if (g_state.Window) DestroyWindow(g_state.Window);
  g_state.Window = NULL;
  if (g_state.Font) DeleteObject(g_state.Font);
  if (g_state.TitleFont) DeleteObject(g_state.TitleFont);
  if (g_state.Banner) DeleteObject(g_state.Banner);
  g_state.Font = g_state.TitleFont = NULL;
  g_state.Banner = NULL;
  g_state.Installing = 0;
  g_state.Scale = 0;
  UnregisterClassA(WIZARD_CLASS, g_module);
}
