#include "install/win/uninstall_registration.h"

#include <algorithm>

#include "database/feature_selection.h"
#include "database/variable_access.h"
#include "install/install_log.h"
#include "install/win/action_list.h"
#include "platform/case_map.h"
#include "platform/format_text.h"
#include "platform/paths.h"
#include "platform/win/message_box.h"
#include "platform/win/registry_path.h"

namespace cv {

namespace {

std::string Var(TcvMainDatabase& database, const char* name) { return GetVar(&database, name, ""); }

}  // namespace

std::string UninstallKeyFor(const std::string& root, TcvMainDatabase& database) {
  std::string appId = Var(database, "AppID");
  if (appId.empty()) appId = "App";
  return root + kUninstallKeyRoot + appId;
}

std::vector<std::pair<std::string, std::string>> UninstallValues(
    TcvMainDatabase& database, const std::string& setupFileName, const std::string& logFile,
    const TextResolver& resolve) {
  std::string displayName = Var(database, "UninstallDisplayName");
  if (displayName.empty()) displayName = resolve("%AppName%");
  const std::string uninstaller =
      IncludeBackslash(Var(database, "UninstallPath")) + "Uninstall.exe";
  return {
      {"DisplayName", displayName},
      {"UninstallString", "\"" + uninstaller + "\" \"" + logFile + "\""},
      {"InstallLocation", Var(database, "InstallPath")},
      {"InstallSource", Var(database, "SourcePath")},
      {"InstallSourceFile", resolve(setupFileName)},
      {"InstallDate", Var(database, "Date")},
      {"DisplayIcon", Var(database, "AppIcon")},
      {"Publisher", Var(database, "CompanyName")},
      {"URLInfoAbout", Var(database, "AppHomeURL")},
      {"DisplayVersion", Var(database, "AppVersion")},
      {"Contact", Var(database, "AppSupportContact")},
      {"HelpLink", Var(database, "AppSupportURL")},
      {"HelpTelephone", Var(database, "AppSupportPhone")},
      {"Readme", Var(database, "AppReadme")},
      {"URLUpdateInfo", Var(database, "AppUpdateURL")},
      {"Comments", Var(database, "AppComments")},
  };
}

std::string RegisterUninstallKey(TcvMainDatabase& database, const std::string& setupFileName,
                                 const TextResolver& resolve) {
  // The one test write decides: without rights to the machine's key the
  // product is registered for this user.
  // The keys made here are recorded for a rollback (a run that fails after
  // this point must not leave the product listed), but only the entry below
  // tells the uninstaller about them.
  TInstallActions& actions = ActionList();
  const int recordedBefore = actions.Count();
  std::string key = UninstallKeyFor("HKLM", database);
  AddKeyChain(actions, key, true);
  if (!RegWriteString(key, "", "")) {
    key = UninstallKeyFor("HKCU", database);
    AddKeyChain(actions, key, true);
    RegWriteString(key, "", "");
  }
  for (int i = recordedBefore; i < actions.Count(); ++i) actions.Action(i)->Log = false;
  LogWrite(LogSection::CreateKeys, key, "");
  for (const auto& [name, text] : UninstallValues(database, setupFileName, LogFileName(), resolve)) {
    if (!text.empty()) RegWriteString(key, name, text);
  }
  return key;
}

const std::vector<std::string>& SilentSettingsExcludedNames() {
  static const std::vector<std::string> names = {
      "PackAlgorithmVersion", "DisableRepair",     "DisableRollback",    "AppID",
      "AppName",              "CompanyName",       "AppHomeURL",         "AppVersion",
      "AppIcon",              "AppSupportContact", "AppSupportURL",      "AppSupportPhone",
      "AppReadme",            "AppUpdateURL",      "AppComments",        "Languages",
      "AutoSelectLanguage",   "Uninstall",         "LogFile",            "SupportedOS",
      "MinOSVersion",         "AdminRights",       "Reboot",             "RemoveOldReferences",
      "PswCheckHash",         "InstallPlatform",   "SilentMode",         "Charset",
      "EventParams",          "EventResult"};
  return names;
}

void FillSilentSettings(TcvMainDatabase& database, TcvSilentSettings& settings) {
  settings.Clear();
  settings.CreateLists();
  const TcvVariables& variables = *database.Variables;
  settings.Variables->Assign(variables);
  const auto excluded = [](const std::string& name) {
    const auto& names = SilentSettingsExcludedNames();
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return SameTextNoCase(n, name); });
  };
  // The copy holds the same variables in the same order; the condition is
  // asked of the database's own, which sits where its condition means
  // something.
  if (settings.Variables->Count() == variables.Count()) {
    for (int i = variables.Count() - 1; i >= 0; --i) {
      const TcvVariable* variable = variables.Variable(i);
      if (!IsEnabled(*variable) || excluded(variable->Name)) settings.Variables->Delete(i);
    }
  }
  settings.ActiveInstallType = database.ActiveInstallType;
  FeatureTreeWalk walk(*database.Features);
  while (TcvFeature* feature = walk.Next()) {
    if (!feature->Selected) continue;
    auto copy = TcvFeature::New();
    copy->ID = feature->ID;
    settings.Features->Add(std::move(copy));
  }
}

bool WriteSilentSettings(TcvMainDatabase& database, const std::string& uninstallKey) {
  if (GetVarBool(&database, "DisableRepair", false)) return true;
  auto settings = TcvSilentSettings::New();
  FillSilentSettings(database, *settings);
  const std::string file = ChangeExtension(LogFileName(), ".sss");
  // A repair would later find no settings or stale ones: the run fails and
  // is rolled back rather than leave a product that cannot be repaired.
  if (!AddFile(ActionList(), file, TcvFlags{TcvFlag::dont_log}, true) ||
      !settings->SaveToFile(file, kSilentSettingsRootName)) {
    ShowError(FormatText("Cannot write the silent settings \"%s\".", {file}));
    return false;
  }
  RegWriteString(uninstallKey, "SilentSettings", file);
  return true;
}

}  // namespace cv
