#include "install/win/action_list.h"

#include <windows.h>

#include <optional>
#include <utility>

#include "database/main_database.h"
#include "database/variable_access.h"
#include "install/registry_key_parent.h"
#include "install/win/file_copy.h"
#include "install/win/installed_file_services.h"
#include "install/win/restart_file_operations.h"
#include "install/win/run_journal.h"
#include "platform/case_map.h"
#include "platform/ini_cache.h"
#include "platform/paths.h"
#include "platform/registry_text.h"
#include "platform/unique_name.h"
#include "platform/win/file_system.h"
#include "platform/win/message_box.h"
#include "platform/win/environment.h"
#include "platform/win/registry_path.h"

namespace cv {

namespace {

std::string BackupFolder() {
  const TcvMainDatabase* database = MainDatabase();
  return database ? database->TempBackupPath : std::string();
}

// A new empty file beside `path` under a free name; empty when none could
// be made.
std::string TempFileBeside(const std::string& path) {
  char name[MAX_PATH];
  const std::string folder = ExcludeBackslash(ExtractFolder(path));
  return GetTempFileNameA(folder.c_str(), "cv", 0, name) != 0 ? std::string(name) : std::string();
}

void RequestRestart() {
  if (TcvMainDatabase* database = MainDatabase()) SetVar(database, "Reboot", "1");
}

// The target is kept where it is; its new content goes to a temporary file
// beside it until the next start.
bool MakePending(TInstallFile& file) {
  std::string name = TempFileBeside(file.FileName);
  if (name.empty()) return false;
  file.Pending = true;
  file.TmpFileName = std::move(name);
  RequestRestart();
  return true;
}

// The target is held open (by a program the run started, say): the backup
// goes beside it and replaces it at the next start. The backup folder itself
// goes with the run's work folder.
bool RestoreAtNextStart(const TInstallFile& file) {
  const std::string name = TempFileBeside(file.FileName);
  if (name.empty()) return false;
  if (!BufferedCopyFile(file.BackupFileName, name) || !ScheduleFileReplace(name, file.FileName)) {
    DeleteFileA(name.c_str());
    return false;
  }
  RequestRestart();
  return true;
}

void RemoveFileExtras(const TInstallFile& file) {
  if (file.Flags.Contains(TcvFlag::reg_server)) UnregisterServerRoutine()(file.FileName);
  if (file.Flags.Contains(TcvFlag::reg_font)) {
    RemoveFontFile(file.FileName);
    BroadcastFontChange();
  }
}

// A font the copy step only unpacked into the temporary fonts folder: the
// target named in the action was never touched by it. Whatever the font step
// then did to the target is undone by the action it recorded for that.
bool IsUnpackedFont(const TInstallFile& file) {
  return file.Flags.Contains(TcvFlag::reg_font) && !file.Existed && !file.Pending &&
         file.BackupFileName.empty() && !file.TmpFileName.empty();
}

void RollbackFile(TInstallFile& file) {
  if (IsUnpackedFont(file)) {
    // Deleting the target here would take away a font restored from its
    // backup a moment ago, or another product's font of the same file name.
    DeleteFileForced(file.TmpFileName);
  } else if (file.Pending) {
    // The previous file never left its place.
    if (!file.TmpFileName.empty()) DeleteFileForced(file.TmpFileName);
  } else {
    if (file.Flags.Contains(TcvFlag::reg_server)) UnregisterServerRoutine()(file.FileName);
    if (file.Flags.Contains(TcvFlag::reg_font) && !file.Existed) {
      RemoveFontFile(file.FileName);
      if (!file.FontName.empty()) {
        RegDeleteValuePath(FontsRegistryKey(), file.FontName);
        RegDeleteValuePath(FontsRegistryKey(), file.FontName + " (TrueType)");
      }
      BroadcastFontChange();
    }
    if (FileExists(file.FileName) && !DeleteFileForced(file.FileName)) {
      ShowError("Cannot delete " + file.FileName);
    }
    if (file.Existed && !file.BackupFileName.empty()) {
      ForceFolders(ExtractFolder(file.FileName));
      if (BufferedCopyFile(file.BackupFileName, file.FileName)) {
        if (file.Flags.Contains(TcvFlag::reg_server)) RegisterServerRoutine()(file.FileName);
        if (file.Flags.Contains(TcvFlag::reg_font)) {
          AddFontFile(file.FileName);
          BroadcastFontChange();
        }
      } else if (!RestoreAtNextStart(file)) {
        ShowError("Cannot copy \"" + file.BackupFileName + "\" to \"" + file.FileName + "\"");
        // The backup is all that is left of the user's file: it stays.
        return;
      }
    }
  }
  if (!file.BackupFileName.empty()) DeleteFileForced(file.BackupFileName);
}

// The value comes back with its type and its bytes: from OldData when the
// textual form could not carry them, else from OldValue.
void RollbackReg(const TInstallReg& reg) {
  RegDeleteValuePath(reg.Key, reg.Param);
  if (!reg.Existed) return;
  const auto type = static_cast<DWORD>(reg.OldType);
  if (!reg.OldData.empty() || !RegistryValueBytes(type, reg.OldValue)) {
    RegWriteBytes(reg.Key, reg.Param, type, RegistryBinaryFromText(reg.OldData));
  } else {
    RegWriteTyped(reg.Key, reg.Param, type, reg.OldValue);
  }
}

bool CreateRegistryKey(const std::string& path) {
  const ResolvedRegistryKey resolved = ResolveRegistryPath(path);
  if (!resolved.root) return false;
  HKEY key = nullptr;
  if (RegCreateKeyExA(resolved.root, resolved.subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

}  // namespace

TInstallActions& ActionList() {
  static const std::unique_ptr<TInstallActions> list = TInstallActions::New();
  return *list;
}

namespace {

std::unique_ptr<TInstallFile> NewFileAction(const std::string& path, TcvFlags flags) {
  auto file = TInstallFile::New();
  file->FileName = path;
  file->Flags = flags;
  file->Log = !flags.Contains(TcvFlag::dont_log);
  return file;
}

}  // namespace

TInstallFile* AddAbsentFile(TInstallActions& list, const std::string& path, TcvFlags flags) {
  auto created = NewFileAction(path, flags);
  TInstallFile& file = *created;
  list.Add(std::move(created));
  // On record before the caller writes the file: a run that dies while
  // writing leaves the next setup a file to take away.
  CurrentRunJournal().Record(list);
  return &file;
}

TInstallFile* AddFile(TInstallActions& list, const std::string& path, TcvFlags flags,
                      bool removeExisting) {
  if (!FileExists(path)) return AddAbsentFile(list, path, flags);
  auto created = NewFileAction(path, flags);
  TInstallFile& file = *created;
  file.Existed = true;
  const std::string folder = BackupFolder();
  if (folder.empty()) return nullptr;
  file.BackupFileName = IncludeBackslash(folder) + MakeUniqueName(folder, "", "", false);
  // The backup must hold the file as this run has left it so far.
  DropIniCache(path);
  if (!BufferedCopyFile(path, file.BackupFileName)) return nullptr;
  list.Add(std::move(created));
  if (removeExisting) {
    // On record before the file goes: a run that dies from here on leaves
    // the next setup the backup to give back.
    CurrentRunJournal().Record(list);
    RemoveFileExtras(file);
    if (!DeleteFileForced(path)) {
      if (!MakePending(file)) {
        // The file stays as it was, and so does what was undone for it.
        if (file.Flags.Contains(TcvFlag::reg_server)) RegisterServerRoutine()(path);
        if (file.Flags.Contains(TcvFlag::reg_font)) {
          AddFontFile(path);
          BroadcastFontChange();
        }
        // The backup stays with the work folder: the journal may name it.
        list.Delete(list.Count() - 1);
        // The journal learns that the list is shorter, or it would take the
        // next action for this one, already written.
        CurrentRunJournal().Record(list);
        return nullptr;
      }
      // On record with its temporary file, which a recovery takes away.
      CurrentRunJournal().Amend(list);
    }
  }
  return &file;
}

TInstallFile* AddRemovedFile(TInstallActions& list, const std::string& path, TcvFlags flags) {
  TInstallFile* file = AddFile(list, path, flags, true);
  if (file && file->Pending) {
    DeleteFileA(file->TmpFileName.c_str());
    file->TmpFileName.clear();
    CurrentRunJournal().Amend(list);
  }
  return file;
}

TInstallFile* FindFile(const TInstallActions& list, const std::string& path) {
  for (int i = 0; i < list.Count(); ++i) {
    auto* file = dynamic_cast<TInstallFile*>(list.Action(i));
    if (file && SameTextNoCase(file->FileName, path)) return file;
  }
  return nullptr;
}

void AddFolderChain(TInstallActions& list, const std::string& pathIn, bool record) {
  if (pathIn.empty()) return;
  const std::string path = ExcludeBackslash(pathIn);
  if (path.size() <= 2 || FolderExists(path)) return;
  const std::string parent = ExcludeBackslash(ExtractFolder(path));
  if (parent == path) return;
  AddFolderChain(list, parent, record);
  if (CreateDirectoryA(path.c_str(), nullptr) && record) {
    AddAction<TInstallFolder>(list).Folder = path;
  }
}

void AddKeyChain(TInstallActions& list, const std::string& pathIn, bool record) {
  if (pathIn.empty()) return;
  const std::string path = ExcludeBackslash(pathIn);
  if (RegKeyExists(path)) return;
  const std::string parent = RegistryParentKey(path);
  if (parent == path) return;
  AddKeyChain(list, parent, record);
  if (CreateRegistryKey(path) && record) AddAction<TInstallRegKey>(list).Key = path;
}

void RecordRegistryValue(TInstallReg& reg) {
  DWORD type = 0;
  std::string data;
  reg.Existed = RegReadBytes(reg.Key, reg.Param, type, data);
  if (!reg.Existed) return;
  reg.OldType = static_cast<std::int32_t>(type);
  const std::optional<std::string> text = RegistryValueText(type, data);
  reg.OldValue = text.value_or(std::string());
  if (!text || RegistryValueBytes(type, *text) != data) reg.OldData = RegistryBinaryToText(data);
}

void ScheduleReplacements(const TInstallActions& list) {
  for (int i = 0; i < list.Count(); ++i) {
    const auto* file = dynamic_cast<const TInstallFile*>(list.Action(i));
    if (!file || !file->Pending) continue;
    if (file->TmpFileName.empty()) {
      ScheduleFileDelete(file->FileName);
    } else {
      ScheduleFileReplace(file->TmpFileName, file->FileName);
    }
  }
}

void RollbackAction(TInstallAction& action) {
  if (auto* file = dynamic_cast<TInstallFile*>(&action)) {
    RollbackFile(*file);
  } else if (const auto* reg = dynamic_cast<const TInstallReg*>(&action)) {
    RollbackReg(*reg);
  } else if (const auto* folder = dynamic_cast<const TInstallFolder*>(&action)) {
    // A folder that still holds something stays.
    RemoveDirectoryA(folder->Folder.c_str());
  } else if (const auto* key = dynamic_cast<const TInstallRegKey*>(&action)) {
    RegDeleteKeyPath(key->Key, false);
  } else if (const auto* variable = dynamic_cast<const TInstallEnvVar*>(&action)) {
    SetEnvVar(variable->Name, variable->OldValue, variable->SysVar);
  }
  // Ini entries and shortcuts come back with the file action made for their
  // file before the first change.
}

void RollbackAll(TInstallActions& list) {
  while (list.Count() > 0) {
    const int last = list.Count() - 1;
    TInstallAction* action = list.Action(last);
    if (!action->DontRollback) RollbackAction(*action);
    list.Delete(last);
  }
}

bool SaveResumeState(const std::string& workFolder, const TcvMainDatabase& database,
                     const TInstallActions& list) {
  return database.SaveToFile(workFolder + "MainDB", kProjectRootName) &&
         list.SaveToFile(workFolder + "InstallActions", kInstallActionsRootName);
}

bool LoadResumeState(const std::string& workFolder, TcvMainDatabase& database,
                     TInstallActions& list) {
  return database.LoadFromFile(workFolder + "MainDB", kProjectRootName) &&
         list.LoadFromFile(workFolder + "InstallActions", kInstallActionsRootName);
}

}  // namespace cv
