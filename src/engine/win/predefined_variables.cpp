#include "engine/win/predefined_variables.h"

#include <windows.h>

#include <vector>

#include "database/variable_access.h"
#include "database/win/predefined_paths.h"
#include "engine/install_mode.h"
#include "engine/run_state.h"
#include "engine/startup_switches.h"
#include "engine/win/windows_languages.h"
#include "platform/case_map.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/system_info.h"
#include "platform/trim.h"
#include "platform/win/registry_path.h"
#include "platform/win/screen.h"

namespace cv {
namespace {

constexpr char kUninstallRoot[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

const char* OsVersionText(WindowsKind kind) {
  switch (kind) {
    case WindowsKind::Win95: return "95";
    case WindowsKind::Win98: return "98";
    case WindowsKind::WinNT: return "NT4";
    case WindowsKind::Win2000: return "2K";
    case WindowsKind::WinMe: return "ME";
    case WindowsKind::WinXP: return "XP";
    default: return "2K3";
  }
}

void SetPredefinedInt(TcvMainDatabase& database, const std::string& name, long long value) {
  SetPredefinedVar(database, name, std::to_string(value));
}

void SetPredefinedBool(TcvMainDatabase& database, const std::string& name, bool value) {
  SetPredefinedVar(database, name, value ? "1" : "0");
}

bool IsNumber(const std::string& text) { return TryStrToInt(text).has_value(); }

// Applies each variable whose condition holds.
void ApplyVariables(TcvMainDatabase& database, const TcvVariables& variables) {
  for (int i = 0; i < variables.Count(); ++i) {
    const TcvVariable* variable = variables.Variable(i);
    if (variable && IsEnabled(*variable)) SetVar(&database, variable->Name, variable->Value);
  }
}

}  // namespace

std::string UninstallKeyPath(const std::string& appId) {
  const std::string machine = std::string("HKLM") + kUninstallRoot + appId;
  if (RegKeyExists(machine)) return machine;
  return std::string("HKCU") + kUninstallRoot + appId;
}

void SetPredefinedVariables(TcvMainDatabase& database, const ArgumentList& args,
                            const StartupSwitches& switches) {
  AddPathVariables(database);

  const std::string key = UninstallKeyPath(GetVar(&database, "AppID", "App"));
  InstalledApplication installed;
  installed.Installed = RegKeyExists(key);
  installed.Version = RegReadString(key, "DisplayVersion", "");
  installed.Location = RegReadString(key, "InstallLocation", "");
  SetPredefinedBool(database, "AppInstalled", installed.Installed);
  SetPredefinedVar(database, "InstalledAppVersion", installed.Version);
  SetPredefinedVar(database, "InstalledAppPath", installed.Location);

  const InstallMode mode =
      DecideInstallMode(installed, ExtractFolder(Run().SetupFileName),
                        GetVar(&database, "AppVersion", ""), switches.Repair, switches.Uninstall);
  SetPredefinedInt(database, "InstallMode", static_cast<int>(mode));

  const std::string systemLanguage = LanguageAbbreviation(true);
  SetPredefinedVar(database, "SystemLangID", systemLanguage);
  SetPredefinedInt(database, "SystemCharset", LanguageCharset(systemLanguage));
  const std::string userLanguage = LanguageAbbreviation(false);
  SetPredefinedVar(database, "UserLangID", userLanguage);
  SetPredefinedInt(database, "UserCharset", LanguageCharset(userLanguage));

  SetPredefinedPathVar(database, "SourcePath",
                       std::string(Trim(ExtractFolder(Run().SetupFileName))));
  const SystemInfoRecord& system = SystemInfo();
  SetPredefinedVar(database, "OSPlatform", system.IsNT() ? "NT" : "9X");
  SetPredefinedVar(database, "OSVersion", OsVersionText(system.Kind));
  SetPredefinedVar(database, "QuickLaunch",
                   "%AppData%\\Microsoft\\Internet Explorer\\Quick Launch");
  const SIZE screen = ScreenSize();
  SetPredefinedInt(database, "ScreenWidth", screen.cx);
  SetPredefinedInt(database, "ScreenHeight", screen.cy);
  SetPredefinedInt(database, "ScreenColorBits", ScreenColorBits());
  SetPredefinedVar(database, "ParamStr", JoinParams(args, 1));
  if (!IsNumber(GetVar(&database, "SilentMode", ""))) {
    SetPredefinedBool(database, "SilentMode", switches.Silent);
  }
  SetPredefinedBool(database, "HasAdminRights", HasAdminRights());

  AddEnvironmentVariables(database);
}

void ImportVariables(TcvMainDatabase& database, const TcvSilentSettings& silent,
                     const StartupSwitches& switches) {
  if (database.Packages && database.Packages->Count() > 0) {
    ApplyVariables(database, database.Packages->Package(0)->HeaderVariables());
  }
  if (silent.Variables) ApplyVariables(database, *silent.Variables);
  for (const VariableAssignment& assignment : switches.Variables) {
    SetVar(&database, assignment.Name, assignment.Value);
  }
}

std::string LanguageAbbreviation(bool system) {
  char buffer[16] = {};
  if (GetLocaleInfoA(system ? LOCALE_SYSTEM_DEFAULT : LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME,
                     buffer, sizeof buffer) <= 0)
    return {};
  std::string abbreviation = buffer;
  for (char& c : abbreviation) c = CaseMapUpper(c);
  return abbreviation;
}

int LanguageCharset(const std::string& abbreviation) {
  for (const LCID locale : InstalledLocales()) {
    char name[16] = {};
    if (GetLocaleInfoA(locale, LOCALE_SABBREVLANGNAME, name, sizeof name) <= 0) continue;
    if (!SameTextNoCase(name, abbreviation)) continue;
    char codePage[6] = {};
    if (GetLocaleInfoA(locale, LOCALE_IDEFAULTANSICODEPAGE, codePage, sizeof codePage) <= 0)
      return DEFAULT_CHARSET;
    CHARSETINFO info = {};
    const UINT number = static_cast<UINT>(StrToIntDef(codePage, 0));
    if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<ULONG_PTR>(number)), &info,
                              TCI_SRCCODEPAGE))
      return DEFAULT_CHARSET;
    return static_cast<int>(info.ciCharset);
  }
  return DEFAULT_CHARSET;
}

bool HasAdminRights() {
  if (!SystemInfo().IsNT()) return true;
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  DWORD size = 0;
  GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  bool admin = false;
  if (size > 0 && GetTokenInformation(token, TokenGroups, buffer.data(), size, &size)) {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                 DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
      const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
      for (DWORD i = 0; i < groups->GroupCount && !admin; ++i) {
        admin = EqualSid(groups->Groups[i].Sid, administrators) != FALSE;
      }
      FreeSid(administrators);
    }
  }
  CloseHandle(token);
  return admin;
}

}  // namespace cv
