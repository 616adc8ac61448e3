#include "install/install_log.h"

#include "database/language_tables.h"
#include "install/install_actions.h"
#include "platform/case_map.h"
#include "platform/ini_cache.h"

namespace cv {

namespace {

constexpr std::array<std::string_view, 13> kSectionNames = {
    "CopyFiles",  "AddReg",  "AddIni",      "Shortcuts", "CreateDirs",
    "CreateKeys", "RegServers", "RegFonts", "SharedFiles", "PreRunApp",
    "RunApp",     "SharedAssemblies", "EnvVars"};

bool gLoggingEnabled = false;
std::string gLogFile;
int gRunAppCounter = 0;
int gAssemblyCounter = 0;

void LogAppend(LogSection section, const std::string& key) {
  if (!LoggingActive()) return;
  IniAppendValue(gLogFile, std::string(LogSectionName(section)), key, "");
}

void WriteFileEntry(const TInstallFile& file) {
  LogAppend(LogSection::CopyFiles, file.FileName);
  if (file.Flags.Contains(TcvFlag::reg_font) && !file.FontName.empty()) {
    LogWrite(LogSection::RegFonts, file.FontName, file.FileName);
  }
  if (file.Flags.Contains(TcvFlag::reg_server)) {
    LogWrite(LogSection::RegServers, file.FileName, "");
  }
}

// One entry per variable name: folders that several items add to the same
// path list are all listed, so that the uninstaller removes each of them.
void WriteEnvVarEntry(const TInstallEnvVar& variable) {
  const std::string prefix = std::string(variable.SysVar ? "1" : "0") + ",";
  std::string added = variable.AddPath ? variable.Value : std::string();
  if (variable.AddPath) {
    const std::string section(LogSectionName(LogSection::EnvVars));
    const std::string before = IniReadValue(gLogFile, section, variable.Name, "");
    if (before.size() > prefix.size() && before.compare(0, prefix.size(), prefix) == 0) {
      added = before.substr(prefix.size()) + ";" + added;
    }
  }
  LogWrite(LogSection::EnvVars, variable.Name, prefix + added);
}

}  // namespace

std::string_view LogSectionName(LogSection section) {
  return kSectionNames[static_cast<std::size_t>(section)];
}

void SetLoggingEnabled(bool enabled) { gLoggingEnabled = enabled; }
void SetLogFileName(const std::string& file) { gLogFile = file; }
const std::string& LogFileName() { return gLogFile; }
bool LoggingActive() { return gLoggingEnabled && !gLogFile.empty(); }

void LogWrite(LogSection section, const std::string& key, const std::string& value) {
  LogWriteSection(std::string(LogSectionName(section)), key, value);
}

void LogWriteSection(const std::string& section, const std::string& key,
                     const std::string& value) {
  if (!LoggingActive()) return;
  IniWriteValue(gLogFile, section, key, value);
}

bool LogHasKey(LogSection section, const std::string& key) {
  if (!LoggingActive()) return false;
  return IniReadValue(gLogFile, std::string(LogSectionName(section)), key, "=") != "=";
}

std::string RegistryLogKey(const std::string& key, const std::string& param) {
  std::string text = key;
  if (text.empty() || text.back() != '\\') text += '\\';
  return text + "'" + param + "'";
}

void WriteLogEntry(const TInstallAction& action) {
  if (!LoggingActive() || !action.Log) return;
  if (const auto* file = dynamic_cast<const TInstallFile*>(&action)) {
    WriteFileEntry(*file);
  } else if (const auto* reg = dynamic_cast<const TInstallReg*>(&action)) {
    LogWrite(LogSection::AddReg, RegistryLogKey(reg->Key, reg->Param), "");
  } else if (const auto* ini = dynamic_cast<const TInstallIni*>(&action)) {
    LogWrite(LogSection::AddIni, "'" + ini->IniFile + "','" + ini->Section + "','" + ini->Param + "'",
             "");
  } else if (const auto* shortcut = dynamic_cast<const TInstallShortcut*>(&action)) {
    LogWrite(LogSection::Shortcuts, shortcut->LinkFile, "");
  } else if (const auto* folder = dynamic_cast<const TInstallFolder*>(&action)) {
    LogAppend(LogSection::CreateDirs, folder->Folder);
  } else if (const auto* key = dynamic_cast<const TInstallRegKey*>(&action)) {
    LogWrite(LogSection::CreateKeys, key->Key, "");
  } else if (const auto* variable = dynamic_cast<const TInstallEnvVar*>(&action)) {
    WriteEnvVarEntry(*variable);
  }
}

void WriteLogAll(const TInstallActions& actions) {
  if (!LoggingActive()) return;
  for (int i = 0; i < actions.Count(); ++i) WriteLogEntry(*actions.Action(i));
}

void LogUninstallStrings(const TcvLngTable& table,
                         const std::function<std::string(const std::string&)>& resolve) {
  if (!LoggingActive()) return;
  constexpr std::string_view kPrefix = "Uninstall.";
  for (int i = 0; i < table.Count(); ++i) {
    const TcvParam* entry = table.String(i);
    if (!entry || entry->Name.size() < kPrefix.size() ||
        !SameTextNoCase(std::string_view(entry->Name).substr(0, kPrefix.size()), kPrefix)) {
      continue;
    }
    const std::string rest = entry->Name.substr(kPrefix.size());
    const std::size_t dot = rest.find('.');
    const std::string section = rest.substr(0, dot);
    const std::string key = dot == std::string::npos ? std::string() : rest.substr(dot + 1);
    std::string line;
    for (char c : resolve(entry->Value)) {
      if (c == '\r') {
        line += "||";
      } else if (c != '\n') {
        line += c;
      }
    }
    LogWriteSection(section, key, line);
  }
}

std::string RunAppLogValue(const RunAppLogEntry& entry) {
  int show = 1;
  switch (entry.ShowCmd) {
    case TcvShowCmd::scHide: show = 0; break;
    case TcvShowCmd::scNormal: show = 1; break;
    case TcvShowCmd::scMax: show = 2; break;
    case TcvShowCmd::scMin: show = 3; break;
  }
  const int wait = entry.Flags.Contains(TcvFlag::dont_wait) ? 0 : 1;
  const int exitCode = entry.Flags.Contains(TcvFlag::check_exitcode) ? 1 : 0;
  return "'" + entry.CmdLine + "','" + entry.Arg + "','" + entry.WorkDir + "'," +
         std::to_string(show) + ",'" + entry.Msg + "'," + std::to_string(wait) + "," +
         std::to_string(exitCode);
}

void LogRunApp(bool beforeUninstall, const RunAppLogEntry& entry) {
  if (!LoggingActive()) return;
  LogWrite(beforeUninstall ? LogSection::PreRunApp : LogSection::RunApp,
           std::to_string(gRunAppCounter++), RunAppLogValue(entry));
}

void LogSharedAssembly(const std::string& value) {
  if (!LoggingActive()) return;
  LogWrite(LogSection::SharedAssemblies, std::to_string(++gAssemblyCounter), value);
}

void ResetInstallLog() {
  gLoggingEnabled = false;
  gLogFile.clear();
  gRunAppCounter = 0;
  gAssemblyCounter = 0;
}

}  // namespace cv
