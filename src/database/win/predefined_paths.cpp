#include "database/win/predefined_paths.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "database/main_database.h"
#include "database/variable_access.h"
#include "platform/case_map.h"
#include "platform/date_time.h"
#include "platform/delimited_words.h"
#include "platform/name_value.h"
#include "platform/paths.h"
#include "platform/win/environment.h"
#include "platform/win/registry_path.h"
#include "platform/win/shell_folders.h"
#include "platform/win/system_folders.h"

namespace cv {

namespace {

constexpr const char* kSetupKey = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup";
constexpr const char* kCurrentVersionKey = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
constexpr const char* kDatabaseEngineKey = "HKLM\\SOFTWARE\\Borland\\Database Engine";
constexpr const char* kDelphiKey = "HKLM\\SOFTWARE\\Borland\\Delphi";
constexpr const char* kVirtualRootsKey =
    "HKLM\\SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\";
// Where this system's authoring tools keep their project templates.
constexpr const char* kAuthoringToolsKey = "HKLM\\SOFTWARE\\Brenlow\\Corvane\\2.0";

// Folders that a registry value names, with a fallback built on the
// variables set before them.
struct RegistryFolder {
  const char* Variable;
  const char* Key;
  const char* Value;
  const char* Fallback;
};

constexpr RegistryFolder kProductFolders[] = {
    {"ProgramFiles", kCurrentVersionKey, "ProgramFilesDir", "%BootDrive%\\Program Files"},
    {"CommonFiles", kCurrentVersionKey, "CommonFilesDir", "%ProgramFiles%\\Common Files"},
    {"Office97", "HKLM\\SOFTWARE\\Microsoft\\Office\\8.0\\Common\\InstallRoot\\", "OfficeBin",
     "%ProgramFiles%\\Microsoft Office\\Office"},
    {"Office2000", "HKLM\\SOFTWARE\\Microsoft\\Office\\9.0\\Common\\InstallRoot\\", "Path",
     "%ProgramFiles%\\Microsoft Office\\Office"},
};

// "C:" of "C:\..."; empty when the text does not begin with a drive.
std::string DrivePart(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  return {};
}

// Lists such as "C:\BDE;D:\Other" or "C:\Inetpub\wwwroot,,201" name the
// folder first; separators in front of it are skipped.
std::string FirstPart(const std::string& list, const char* separator) {
  return GetDelimitedWord(1, list, separator);
}

// The newest version sorts last; without any version installed the drive
// root is the best guess.
std::string DelphiRoot() {
  std::vector<std::string> versions;
  RegEnumSubkeys(kDelphiKey, versions);
  if (versions.empty()) return "C:";
  std::sort(versions.begin(), versions.end(), TextLessNoCase{});
  return RegReadString(std::string(kDelphiKey) + "\\" + versions.back(), "RootDir", "");
}

}  // namespace

void AddPathVariables(TcvMainDatabase& database) {
  SetPredefinedVar(database, "BootDrive", DrivePart(RegReadString(kSetupKey, "BootDir", "")));
  SetPredefinedPathVar(database, "Windows", WindowsFolder());
  SetPredefinedPathVar(database, "System", SystemFolder());
  for (int index = 0; index < kShellFolderCount; ++index) {
    SetPredefinedPathVar(database, ShellFolder(index).Name, ShellFolderPath(index));
  }
  for (const RegistryFolder& folder : kProductFolders) {
    SetPredefinedPathVar(database, folder.Variable,
                         RegReadString(folder.Key, folder.Value, folder.Fallback));
  }
  std::string bde = FirstPart(RegReadString(kDatabaseEngineKey, "DLLPATH", ""), ";");
  if (bde.empty()) bde = "%CommonFiles%\\Borland Shared\\BDE";
  SetPredefinedPathVar(database, "BDE", bde);
  SetPredefinedPathVar(database, "Delphi", DelphiRoot());
  SetPredefinedVar(database, "Date", FormatDate(CurrentLocalTime()));
  SetPredefinedPathVar(
      database, "IIS-WWWRoot",
      FirstPart(RegReadString(kVirtualRootsKey, "/", "%BootDrive%\\wwwroot"), ","));
  SetPredefinedPathVar(
      database, "IIS-Scripts",
      FirstPart(RegReadString(kVirtualRootsKey, "/Scripts", "%IIS-WWWRoot%\\scripts"), ","));
  std::string images = RegReadString(kAuthoringToolsKey, "ProjectTemplatesPath", "");
  // A stored path may end in a backslash already.
  if (!images.empty()) images = IncludeBackslash(images) + "Images";
  SetPredefinedPathVar(database, "Images", images);
}

void AddEnvironmentVariables(TcvMainDatabase& database) {
  std::vector<std::string> entries;
  EnvironmentList(entries);
  std::vector<std::pair<std::string, std::string>> variables;
  for (const std::string& entry : entries) {
    if (entry.empty() || entry.front() == '=') continue;
    variables.emplace_back(NameOf(entry), ValueOf(entry));
  }
  std::stable_sort(variables.begin(), variables.end(),
                   [](const auto& a, const auto& b) { return TextLessNoCase{}(a.first, b.first); });
  for (const auto& [name, value] : variables) {
    if (!database.Variables->FindParam(name)) SetPredefinedVar(database, name, value);
  }
}

}  // namespace cv
