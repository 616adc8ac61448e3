#include "install/win/uninstall_run.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <map>

#include "database/variable_access.h"
#include "install/install_progress.h"
#include "install/log_entries.h"
#include "install/path_list.h"
#include "install/win/installed_file_services.h"
#include "install/win/old_references.h"
#include "install/win/restart_file_operations.h"
#include "install/win/uninstall_registration.h"
#include "install/win/worker_thread.h"
#include "platform/case_map.h"
#include "platform/ini_cache.h"
#include "platform/format_text.h"
#include "platform/name_value.h"
#include "platform/paths.h"
#include "platform/system_info.h"
#include "platform/win/environment.h"
#include "platform/win/file_system.h"
#include "platform/win/message_box.h"
#include "platform/win/registry_path.h"
#include "platform/win/run_program.h"
#include "platform/win/self_delete.h"
#include "platform/win/server_registration.h"
#include "script/references.h"

namespace cv {

namespace {

constexpr char kSharedDllsKey[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\";

// The sections whose keys are paths, which may hold "=".
bool KeyUpToLastEquals(const std::string& section) {
  for (const char* name :
       {"SharedFiles", "CopyFiles", "Shortcuts", "CreateKeys", "CreateDirs", "RegServers"}) {
    if (section == name) return true;
  }
  return false;
}

// The log as it was when the run started: the sections stay readable after
// the file itself is deleted.
class LogSnapshot {
 public:
  explicit LogSnapshot(const std::string& file) {
    for (const char* section :
         {"Strings", "PreRunApp", "SharedFiles", "SharedAssemblies", "Shortcuts", "AddReg",
          "CreateKeys", "AddIni", "EnvVars", "RegFonts", "RegServers", "CopyFiles", "CreateDirs",
          "RunApp"}) {
      std::vector<std::string> lines;
      IniReadSection(file, section, lines);
      auto& entries = sections_[section];
      for (const std::string& line : lines) {
        entries.push_back(SplitLogLine(line, KeyUpToLastEquals(section)));
      }
    }
    // Nothing of the log stays cached: it is deleted later, and a flush
    // must not write it back.
    DropIniCache(file);
  }

  const std::vector<LogEntry>& Section(const std::string& name) const {
    return sections_.at(name);
  }

  std::vector<std::string> SortedKeys(const std::string& name) const {
    std::vector<std::string> keys;
    for (const LogEntry& entry : Section(name)) keys.push_back(entry.Key);
    std::stable_sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
      return CaseMapUpper(a) < CaseMapUpper(b);
    });
    return keys;
  }

  // Key N of [Strings], with "||" back to carriage returns.
  std::string Text(int n) const {
    const std::string key = std::to_string(n);
    for (const LogEntry& entry : Section("Strings")) {
      if (entry.Key != key) continue;
      std::string text;
      for (std::size_t i = 0; i < entry.Value.size(); ++i) {
        const bool pair = entry.Value.compare(i, 2, "||") == 0;
        text += pair ? '\r' : entry.Value[i];
        if (pair) ++i;
      }
      return text;
    }
    return {};
  }

 private:
  std::map<std::string, std::vector<LogEntry>> sections_;
};

class KeptFiles {
 public:
  void Add(const std::string& file) { files_.push_back(CaseMapUpper(file)); }
  void Remove(const std::string& file) {
    files_.erase(std::remove(files_.begin(), files_.end(), CaseMapUpper(file)), files_.end());
  }
  bool Contains(const std::string& file) const {
    return std::find(files_.begin(), files_.end(), CaseMapUpper(file)) != files_.end();
  }
  bool Empty() const { return files_.empty(); }

 private:
  std::vector<std::string> files_;
};

int ShowCommand(int code) {
  switch (code) {
    case 0: return SW_HIDE;
    case 2: return SW_SHOWMAXIMIZED;
    case 3: return SW_SHOWMINNOACTIVE;
    default: return SW_SHOWNORMAL;
  }
}

class Uninstall {
 public:
  explicit Uninstall(UninstallRunHost& host) : host_(host), database_(host.Database()) {}

  bool Perform();

 private:
  void Status(int n, const std::string& detail) {
    Progress().Position += 1;
    ShowStatus(log_->Text(n), detail);
  }
  void EmptyStatus() {
    Progress().Position += 1;
    ShowStatus("", "");
  }
  void SetReboot() { SetVarBool(&database_, "Reboot", true); }
  // Deleted now, or at the next start when it is in use.
  void DeleteOrSchedule(const std::string& file);
  bool RunPrograms(const std::string& section);
  bool RunProgram(const LoggedProgram& program);
  void ReleaseSharedFiles();
  void RemoveAssemblies();
  void RemoveShortcuts();
  void RestoreRegistryValues();
  void DeleteKeys();
  void RestoreIniEntries();
  void RestoreEnvironment();
  void RemoveFonts();
  void UnregisterServers();
  void RemoveFiles();
  void RemovePath(const std::string& path);
  void RemoveFolders();
  void Finish();

  UninstallRunHost& host_;
  TcvMainDatabase& database_;
  std::string key_;
  std::string silentSettings_;
  std::string installLocation_;
  std::string logFile_;
  std::vector<std::string> createdFolders_;  // sorted, parents first
  std::unique_ptr<LogSnapshot> log_;
  KeptFiles kept_;
  // Shared files this product counted but did not copy, whose last user it
  // was.
  std::vector<std::string> lastUses_;
};

void Uninstall::DeleteOrSchedule(const std::string& file) {
  if (DeleteFileForced(file)) return;
  if (!FileExists(file)) return;
  ScheduleFileDelete(file);
  SetReboot();
}

bool Uninstall::RunProgram(const LoggedProgram& program) {
  Progress().Position += 1;
  ShowStatus("", program.Msg);
  if (program.Wait) {
    const std::int32_t code =
        RunAndWait(nullptr, program.CmdLine, program.Arg, ShowCommand(program.ShowCode),
                   program.WorkDir);
    return !program.CheckExitCode || code == 0;
  }
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(
      nullptr, nullptr, program.CmdLine.c_str(), program.Arg.c_str(),
      program.WorkDir.empty() ? nullptr : program.WorkDir.c_str(), ShowCommand(program.ShowCode)));
  return result > 32;
}

bool Uninstall::RunPrograms(const std::string& section) {
  for (const LogEntry& entry : log_->Section(section)) {
    if (!RunProgram(ParseLoggedProgram(entry.Value))) return false;
  }
  return true;
}

void Uninstall::ReleaseSharedFiles() {
  const auto& shared = log_->Section("SharedFiles");
  for (const LogEntry& entry : shared) kept_.Add(entry.Key);
  if (kept_.Empty()) return;
  const auto& copied = log_->Section("CopyFiles");
  for (const LogEntry& entry : shared) {
    ShowStatus(log_->Text(18), entry.Key);
    const bool installed = std::any_of(copied.begin(), copied.end(), [&](const LogEntry& c) {
      return SameTextNoCase(c.Key, entry.Key);
    });
    // Every product that counted the file gives its count back, also one
    // that found it up to date and did not copy it: otherwise the count
    // would never come down and the file would outlive every product. The
    // last user takes the file away, whoever copied it.
    const DWORD count = RegReadDword(kSharedDllsKey, entry.Key, 1);
    if (count <= 1) {
      RegDeleteValuePath(kSharedDllsKey, entry.Key);
      kept_.Remove(entry.Key);
      if (!installed) lastUses_.push_back(entry.Key);
    } else {
      RegWriteDword(kSharedDllsKey, entry.Key, count - 1);
    }
  }
}

void Uninstall::RemoveAssemblies() {
  const std::string tool = ExtractFolder(host_.EngineProgram()) + "gacutil.exe";
  for (const LogEntry& entry : log_->Section("SharedAssemblies")) {
    Status(19, TextBefore(entry.Value, ','));
    // The tool's answer changes nothing: the product goes either way.
    RunAndWait(nullptr, tool, "/ur " + entry.Value, SW_HIDE, "");
  }
}

void Uninstall::RemoveShortcuts() {
  for (const LogEntry& entry : log_->Section("Shortcuts")) {
    Status(14, entry.Key);
    DeleteFileForced(ChangeExtension(entry.Key, ".lnk"));
    DeleteFileForced(ChangeExtension(entry.Key, ".pif"));
  }
}

void Uninstall::RestoreRegistryValues() {
  for (const LogEntry& entry : log_->Section("AddReg")) {
    Status(11, entry.Key);
    const LoggedRegistryValue value = ParseLoggedRegistryValue(entry.Key, entry.Value);
    if (value.Type != 0) {
      RegWriteTyped(value.Key, value.Name, static_cast<DWORD>(value.Type), value.Data);
    } else {
      RegDeleteValuePath(value.Key, value.Name);
    }
  }
}

void Uninstall::DeleteKeys() {
  // Sorted, children follow their parents: from the last, deepest first.
  const std::vector<std::string> keys = log_->SortedKeys("CreateKeys");
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
    Status(12, *it);
    RegDeleteKeyPath(*it, false);
  }
}

void Uninstall::RestoreIniEntries() {
  for (const LogEntry& entry : log_->Section("AddIni")) {
    const LoggedIniEntry ini = ParseLoggedIniEntry(entry.Key);
    Status(13, ini.File);
    if (!entry.Value.empty()) {
      IniWriteValue(ini.File, ini.Section, ini.Key, entry.Value);
    } else {
      IniDeleteKey(ini.File, ini.Section, ini.Key);
    }
  }
  FlushIniCache();
}

void Uninstall::RestoreEnvironment() {
  const auto& entries = log_->Section("EnvVars");
  for (const LogEntry& entry : entries) {
    const LoggedEnvironmentVariable variable = ParseLoggedEnvironmentVariable(entry.Value);
    Status(20, entry.Key);
    const std::string added = NormalizePathList(variable.AddedPaths, nullptr, false);
    if (!added.empty()) {
      const std::string current = GetEnvVar(entry.Key, variable.System, false);
      SetEnvVar(entry.Key, RemoveFromPathList(current, added), variable.System);
    } else {
      SetEnvVar(entry.Key, "", variable.System);
    }
  }
  if (entries.empty()) return;
  if (SystemInfo().Is9x()) {
    SetReboot();
  } else {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                        reinterpret_cast<LPARAM>("Environment"), SMTO_ABORTIFHUNG, 5000, &answer);
  }
}

void Uninstall::RemoveFonts() {
  const auto& entries = log_->Section("RegFonts");
  if (entries.empty()) return;
  const std::string fontsKey = SystemInfo().Is9x()
                                   ? "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts\\"
                                   : "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\\";
  for (const LogEntry& entry : entries) {
    if (kept_.Contains(entry.Value)) {
      EmptyStatus();
      continue;
    }
    Status(17, entry.Key);
    RemoveFontFile(entry.Value);
    DeleteOrSchedule(entry.Value);
    RegDeleteValuePath(fontsKey, entry.Key);
    BroadcastFontChange();
  }
}

void Uninstall::UnregisterServers() {
  const auto& entries = log_->Section("RegServers");
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (kept_.Contains(it->Key)) {
      EmptyStatus();
      continue;
    }
    Status(16, it->Key);
    UnregisterServerFile(it->Key);
  }
}

void Uninstall::RemovePath(const std::string& path) {
  const std::string folder = ExtractFolder(path);
  std::vector<std::string> matches;
  ForEachEntry(path, [&](const FoundEntry& found) {
    if (!found.IsFolder()) matches.push_back(folder + found.Name);
    return true;
  });
  if (matches.empty()) ShowStatus(log_->Text(10), path);
  for (const std::string& file : matches) {
    ShowStatus(log_->Text(10), file);
    DeleteOrSchedule(file);
  }
}

void Uninstall::RemoveFiles() {
  for (const std::string& file : lastUses_) RemovePath(file);
  for (const LogEntry& entry : log_->Section("CopyFiles")) {
    if (kept_.Contains(entry.Key)) {
      EmptyStatus();
      continue;
    }
    Progress().Position += 1;
    RemovePath(entry.Key);
    // The help index and full-text files that Windows made beside a help file.
    if (SameTextNoCase(ChangeExtension(entry.Key, ".hlp"), entry.Key)) {
      RemovePath(ChangeExtension(entry.Key, ".gid"));
      RemovePath(ChangeExtension(entry.Key, ".fts"));
    }
  }
}

void Uninstall::RemoveFolders() {
  if (log_->Section("CreateDirs").empty()) return;
  // The log lies in one of the folders, and its folder goes with it once
  // the run has succeeded: a program after the removal that fails leaves the
  // log for the uninstaller's next start.
  createdFolders_ = log_->SortedKeys("CreateDirs");
  for (auto it = createdFolders_.rbegin(); it != createdFolders_.rend(); ++it) {
    Status(15, *it);
    RemoveDirectoryA(it->c_str());
  }
}

void Uninstall::Finish() {
  RegDeleteKeyPath(key_, true);
  DeleteFileForced(logFile_);
  for (auto it = createdFolders_.rbegin(); it != createdFolders_.rend(); ++it) {
    RemoveDirectoryA(it->c_str());
  }
  if (!silentSettings_.empty()) DeleteFileForced(silentSettings_);
  const std::string program = host_.EngineProgram();
  if (!installLocation_.empty() &&
      SameTextNoCase(ExtractFolder(program), IncludeBackslash(installLocation_))) {
    host_.RemoveEngineProgram(GetVarBool(&database_, "Reboot", false));
  }
}

bool Uninstall::Perform() {
  key_ = UninstallKeyFor("HKLM", database_);
  silentSettings_ = RegReadString(key_, "SilentSettings", "");
  if (!RegKeyExists(key_)) {
    key_ = UninstallKeyFor("HKCU", database_);
    silentSettings_ = RegReadString(key_, "SilentSettings", "");
  }
  installLocation_ = GetVar(&database_, "InstalledAppPath", "");
  if (installLocation_.empty()) installLocation_ = RegReadString(key_, "InstallLocation", "");
  logFile_ = host_.Resolve(GetVar(&database_, "LogFile", "%InstallPath%\\install.log"));
  // Without its log nothing could be removed, yet the product's entry would
  // go: the run stops and the product stays listed.
  if (!FileExists(logFile_)) {
    ShowError(FormatText("Cannot read the install log \"%s\".", {logFile_}));
    return false;
  }
  log_ = std::make_unique<LogSnapshot>(logFile_);

  std::int64_t entries = 0;
  for (const char* section : {"PreRunApp", "SharedAssemblies", "Shortcuts", "AddReg", "CreateKeys",
                              "AddIni", "EnvVars", "RegFonts", "RegServers", "CopyFiles",
                              "CreateDirs", "RunApp"}) {
    entries += static_cast<std::int64_t>(log_->Section(section).size());
  }
  Progress() = InstallProgress{};
  Progress().Max = 1 + entries;

  if (!RunPrograms("PreRunApp")) return false;
  ReleaseSharedFiles();
  RemoveAssemblies();
  RemoveShortcuts();
  RestoreRegistryValues();
  DeleteKeys();
  RestoreIniEntries();
  RestoreEnvironment();
  RemoveFonts();
  UnregisterServers();
  RemoveFiles();
  RemoveFolders();
  if (!RunPrograms("RunApp")) return false;
  Finish();
  return true;
}

}  // namespace

bool UninstallWork(UninstallRunHost& host) {
  const HRESULT com = CoInitialize(nullptr);
  bool ok = false;
  try {
    ok = Uninstall(host).Perform();
  } catch (...) {
    // Nothing may leave a thread routine; the run has failed.
    ok = false;
  }
  if (SUCCEEDED(com)) CoUninitialize();
  Progress().Position = Progress().Max;
  return ok;
}

bool RunUninstall(UninstallRunHost& host) {
  return RunOnWorkerThread([&host] { return UninstallWork(host); }, false);
}

std::string UninstallRunHost::Resolve(const std::string& text) {
  return ExpandReferences(&Database(), 0, text, true, true, false);
}

std::string UninstallRunHost::EngineProgram() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length < MAX_PATH ? length : 0);
}

void UninstallRunHost::RemoveEngineProgram(bool atRestart) {
  if (atRestart) {
    ScheduleFileDelete(EngineProgram());
  } else {
    SelfDelete(true);
  }
}

}  // namespace cv
