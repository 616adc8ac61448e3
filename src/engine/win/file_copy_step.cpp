#include "engine/win/file_copy_step.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "corvane/plugin_api.h"
#include "database/condition_object.h"
#include "database/variable_access.h"
#include "engine/abort_run.h"
#include "engine/file_copy_rules.h"
#include "engine/fresh_folders.h"
#include "engine/package_header.h"
#include "engine/win/cv_unpacker.h"
#include "engine/win/partial_files.h"
#include "engine/win/protected_files.h"
#include "install/install_log.h"
#include "install/install_progress.h"
#include "install/win/action_list.h"
#include "install/win/file_copy.h"
#include "install/win/run_events.h"
#include "install/win/shared_files.h"
#include "platform/case_map.h"
#include "platform/font_name.h"
#include "platform/format_text.h"
#include "platform/paths.h"
#include "platform/unique_name.h"
#include "platform/wildcards.h"
#include "platform/win/file_system.h"
#include "platform/win/file_version.h"
#include "platform/win/message_box.h"
#include "platform/win/registry_path.h"
#include "platform/win/run_program.h"
#include "script/gost.h"
#include "script/package_password.h"
#include "plugins/message_params.h"

namespace cv {

namespace {

bool IsProtectedFile(const std::string& path) {
  const SfcIsFileProtectedFn check = ProtectedFileCheck();
  if (!check) return false;
  const int size = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (size <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), size);
  return check(nullptr, wide.c_str()) != FALSE;
}

FILETIME LocalTimeToUtcFileTime(const LocalTime& time) {
  SYSTEMTIME system{};
  system.wYear = static_cast<WORD>(time.Year);
  system.wMonth = static_cast<WORD>(time.Month);
  system.wDay = static_cast<WORD>(time.Day);
  system.wHour = static_cast<WORD>(time.Hour);
  system.wMinute = static_cast<WORD>(time.Minute);
  system.wSecond = static_cast<WORD>(time.Second);
  FILETIME local{};
  FILETIME utc{};
  if (SystemTimeToFileTime(&system, &local)) LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

// The DOS form of a date, as the item notifications carry it.
std::int32_t DosDateTime(const FILETIME& utc) {
  FILETIME local{};
  WORD date = 0;
  WORD time = 0;
  FileTimeToLocalFileTime(&utc, &local);
  FileTimeToDosDateTime(&local, &date, &time);
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(date) << 16) | time);
}

bool IsFolderItem(const TcvFile& item, const std::string& resolvedSrc) {
  return ExtractFileName(item.Src).empty() || GetFileAttributesA(resolvedSrc.c_str()) == 16;
}

// One source file's facts as the notifications carry them.
struct SourceFile {
  std::string Name;  // archive member name or external source path
  std::uint32_t Size = 0;
  std::uint32_t Attributes = 0;
  FILETIME Date{};
  std::string Version;  // empty when unknown
};

// What EV_BEFOREPROCESSITEM and EV_AFTERPROCESSITEM tell about a file:
// step 0, the path, size, date, attributes and whether it is being removed.
std::vector<MessageParamValue> ItemParams(const std::string& path, std::uint32_t size,
                                          std::int32_t dosDate, std::uint32_t attributes,
                                          bool removing) {
  return {std::int32_t{0}, path, static_cast<std::int32_t>(size), dosDate,
          static_cast<std::int32_t>(attributes), std::int32_t{removing ? 1 : 0}};
}

std::vector<MessageParamValue> ItemParams(const std::string& path, const SourceFile& file) {
  return ItemParams(path, file.Size, DosDateTime(file.Date), file.Attributes, false);
}

class CopyStep {
 public:
  explicit CopyStep(InstallRunHost& host) : host_(host), database_(host.Database()) {}
  CopyStep(const CopyStep&) = delete;
  CopyStep& operator=(const CopyStep&) = delete;
  // A file left half written goes before its private folder does.
  ~CopyStep() { DiscardPartial(); }

  bool Run();

 private:
  bool& Cancelled() { return host_.Cancelled(); }
  void CreateFolderItems();
  bool ExtractPackage(TcvPackage& package);
  void ExternalPass();
  void CopyExternalPattern(TcvComponent& component, TcvFile& item, const std::string& source);
  void CopyExternalFile(const std::string& source);
  int OnFileToExtract(const SourceFile& file, std::string& outputPath);
  int OnFileComplete(const SourceFile& file);
  int InstallAssembly();
  std::string Destination(const std::string& sourceName, bool archive) const;
  bool VersionRulesSkip(const SourceFile& file, const std::string& target);
  int Skip(const SourceFile& file);
  int Fail(const std::string& text);
  bool FinishWrite();
  void DiscardPartial();

  InstallRunHost& host_;
  TcvMainDatabase& database_;
  TcvPackage* package_ = nullptr;
  TcvComponent* component_ = nullptr;
  TcvFile* item_ = nullptr;
  const TcvFileInfo* info_ = nullptr;
  TcvFlags flags_;
  bool targetExisted_ = false;
  bool assembly_ = false;
  // The font being written, whose name is read from the file itself when
  // the package describes none (a font from outside the package).
  TInstallFile* font_ = nullptr;
  bool archive_ = true;
  std::string destination_;
  std::string writeTarget_;  // the final path of the file being written
  std::string partial_;      // where it is written until it is complete
  std::string currentFile_;  // for the step's error message
  std::string readyFolder_;  // the last folder made ready for a file
  int overwriteAnswer_ = 1;
  bool externalError_ = false;
  ItemSearch search_;
  FreshFolders fresh_;
  PartialFiles partials_;
};

bool CopyStep::Run() {
  overwriteAnswer_ = 1;
  try {
    CreateFolderItems();
  } catch (...) {
    // A folder that cannot be created fails the step.
    return false;
  }
  bool ok = true;
  for (int i = 0; ok && i < database_.Packages->Count(); ++i) {
    package_ = database_.Packages->Package(i);
    ok = ExtractPackage(*package_);
    DiscardPartial();
  }
  if (ok && !Cancelled()) {
    ExternalPass();
    // A missing or failed external file is reported as such, not as an abort.
    if (externalError_) {
      Cancelled() = false;
      ok = false;
    }
  }
  if (!ok && !Cancelled()) {
    ShowErrorBox("Error", FormatText(host_.EngineString(11), {currentFile_}));
    return false;
  }
  if (Cancelled()) {
    AbortRun();
    return false;
  }
  return ok;
}

void CopyStep::CreateFolderItems() {
  for (int c = 0; c < database_.Components->Count(); ++c) {
    const TcvComponent& component = *database_.Components->Component(c);
    for (int i = 0; i < component.Files->Count(); ++i) {
      const TcvFile& item = *component.Files->ItemAs<TcvFile>(i);
      if (item.Action != TcvInstallAction::add || !IsEnabled(item)) continue;
      if (!IsFolderItem(item, host_.Resolve(item.Src))) continue;
      const std::string folder = ExcludeBackslash(host_.Resolve(item.Dst));
      if (!folder.empty()) AddFolderChain(ActionList(), folder, true);
    }
  }
}

bool CopyStep::ExtractPackage(TcvPackage& package) {
  archive_ = true;
  search_ = {};
  UnpackRoutines routines;
  routines.onFileToExtract = [this](const std::string& name, std::uint32_t size,
                                    std::uint32_t attributes, const LocalTime& date,
                                    std::string& outputPath) {
    SourceFile file{name, size, attributes, LocalTimeToUtcFileTime(date), {}};
    return OnFileToExtract(file, outputPath);
  };
  routines.onFileComplete = [this](const std::string& name, std::uint32_t size,
                                   std::uint32_t attributes, const LocalTime& date,
                                   const std::string&) {
    SourceFile file{name, size, attributes, LocalTimeToUtcFileTime(date), {}};
    if (!FinishWrite()) return Fail(FormatText(host_.EngineString(11), {currentFile_}));
    return OnFileComplete(file);
  };
  routines.onDataWritten = [this](const std::string& name, const std::string&, std::uint32_t,
                                  std::uint32_t bytes, std::uint32_t) {
    Progress().Position += bytes;
    ShowStatus(host_.EngineString(24), name);
    return Cancelled() ? -1 : 1;
  };
  TcvUnpacker unpacker(package.FullFileName, (package.Flags & kPackageScrambled) != 0, 1);
  if (!GetVar(&database_, "PswCheckHash", "").empty()) unpacker.SetPassword(database_.Password);
  return unpacker.Enumerate(routines);
}

std::string CopyStep::Destination(const std::string& sourceName, bool archive) const {
  const std::string dst = CollapseBackslashes(host_.Resolve(item_->Dst));
  if (!HasWildcards(item_->Src) && !HasWildcards(item_->Dst)) return dst;
  std::string relative;
  if (archive) {
    // The member's path after "data\<component>\".
    const std::size_t first = sourceName.find('\\');
    const std::size_t second =
        first == std::string::npos ? first : sourceName.find('\\', first + 1);
    relative = PathBelowPatternFolder(sourceName.substr(second + 1), item_->Src);
  } else {
    relative = PathBelowPatternFolder(sourceName, host_.Resolve(item_->Src));
  }
  return WildcardDestination(dst, relative).value_or(std::string());
}

int CopyStep::OnFileToExtract(const SourceFile& file, std::string& outputPath) {
  if (Cancelled()) return -1;
  info_ = nullptr;
  flags_ = {};
  targetExisted_ = false;
  assembly_ = false;
  font_ = nullptr;
  destination_.clear();
  writeTarget_.clear();
  partial_.clear();
  if (archive_) {
    // The file information is named like the member without its "data\".
    if (package_ && file.Name.size() > 5) {
      info_ = package_->FileInfos->FindByName(file.Name.substr(5));
    }
    const FoundItem found = FindArchiveItem(database_, file.Name, search_);
    component_ = found.Component;
    item_ = found.Item;
  }
  if (!item_ || !IsEnabled(*item_)) {
    item_ = nullptr;
    return Skip(file);
  }
  flags_ = item_->Flags;
  destination_ = Destination(file.Name, archive_);
  if (destination_.empty()) {
    // A source that would leave its destination folder is never written.
    item_ = nullptr;
    return Skip(file);
  }
  const bool folderOnly = ExtractFileName(destination_) == ".";
  if (!folderOnly) {
    const std::int32_t answer = SendRunEvent(EV_BEFOREPROCESSITEM, ItemParams(destination_, file));
    destination_ = Destination(file.Name, archive_);
    if (destination_.empty()) {
      item_ = nullptr;
      return Skip(file);
    }
    targetExisted_ = !fresh_.KnownMissing(destination_) && FileExists(destination_);
    const bool isFont = flags_.Contains(TcvFlag::reg_font);
    bool skip = answer != 0 || IsProtectedFile(destination_);
    if (targetExisted_ && flags_.Contains(TcvFlag::dont_overwrite) && !isFont) skip = true;
    // The version and date rules compare with an existing target only.
    if (!skip && targetExisted_ && !flags_.Contains(TcvFlag::no_version) && !isFont) {
      SourceFile versioned = file;
      versioned.Version = info_ ? info_->Version : file.Version;
      skip = VersionRulesSkip(versioned, destination_);
    }
    if (skip) return Skip(file);
  }
  // An assembly is written to a folder of its own, from which the assembly
  // tool takes it into the global cache.
  constexpr std::string_view kGac = "%GAC%\\";
  const auto inGac = [&](std::string_view path) {
    return path.size() > kGac.size() && SameTextNoCase(path.substr(0, kGac.size()), kGac);
  };
  if (inGac(destination_) || inGac(item_->Dst)) {
    const std::string gacFolder = IncludeBackslash(database_.TempGACPath);
    destination_ = gacFolder + MakeUniqueName(gacFolder, "", "", false) + "\\" +
                   ExtractFileName(destination_);
    assembly_ = true;
  }
  // Folder and file.
  currentFile_ = destination_;
  const std::string folder = ExcludeBackslash(ExtractFolder(destination_));
  // Files come folder by folder: one that the previous file's folder already
  // holds needs no look at the file system (three under Wine otherwise).
  if (!folder.empty() && folder != readyFolder_) {
    const bool missing = !FolderExists(folder);
    AddFolderChain(ActionList(), folder, !flags_.Contains(TcvFlag::dont_log) && !assembly_);
    if (!FolderExists(folder)) {
      return Fail(FormatText(host_.EngineString(11), {ExtractFileName(destination_)}));
    }
    if (missing) fresh_.AddCreated(folder);
    readyFolder_ = folder;
  }
  if (folderOnly) return 0;
  fresh_.AddTarget(destination_);
  if (flags_.Contains(TcvFlag::reg_font)) {
    auto& font = AddAction<TInstallFile>(ActionList());
    font.FileName = destination_;
    font.TmpFileName = IncludeBackslash(database_.TempFontsPath) + ExtractFileName(destination_);
    font.Flags = flags_;
    font.FontName = info_ ? info_->FontName : std::string();
    // The font step logs the font it puts in place; a font it never installs
    // (the step skipped) must not be removed by the uninstaller.
    font.Log = false;
    font_ = &font;
    ForceFolders(ExcludeBackslash(database_.TempFontsPath));
    writeTarget_ = font.TmpFileName;
  } else if (assembly_) {
    writeTarget_ = destination_;
  } else {
    // The target was just looked for; asking the file system again costs a
    // directory search per file where names are matched without case.
    TInstallFile* action = targetExisted_
                               ? AddFile(ActionList(), destination_, flags_, true)
                               : AddAbsentFile(ActionList(), destination_, flags_);
    // The previous file could not be kept for a rollback: it stays as it is.
    if (!action) return Fail(FormatText(host_.EngineString(11), {destination_}));
    writeTarget_ = action->Pending ? action->TmpFileName : destination_;
  }
  // The content goes to a file of its own until it is complete, so that an
  // interrupted extraction leaves no truncated target behind.
  partial_ = partials_.Claim(ExtractFolder(writeTarget_));
  outputPath = partial_;
  return 1;
}

bool CopyStep::VersionRulesSkip(const SourceFile& file, const std::string& target) {
  if (ExistingFileIsNewer(file.Version, target, file.Date)) {
    if (flags_.Contains(TcvFlag::dont_ask)) return true;
    if (overwriteAnswer_ != 3 && overwriteAnswer_ != 4) {
      const std::int32_t answer = SendRunEvent(EV_FILEVERSIONCONFLICT, {target});
      if (answer >= 1 && answer <= 4) overwriteAnswer_ = answer;
    }
    return overwriteAnswer_ != 2 && overwriteAnswer_ != 4;
  }
  if (ExistingFileIsSame(file.Version, target, file.Date)) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    const bool sameSize = GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &data) &&
                          data.nFileSizeHigh == 0 && data.nFileSizeLow == file.Size;
    const bool repair = GetVarInt(&database_, "InstallMode", 0) == 2;
    return sameSize && !repair;
  }
  return false;
}

int CopyStep::Skip(const SourceFile& file) {
  if (item_) {
    const std::string target = destination_;
    if (flags_.Contains(TcvFlag::shared) && !target.empty() &&
        !CountSharedFile(ActionList(), target, targetExisted_)) {
      return Fail(FormatText(host_.EngineString(20), {target}));
    }
    if (flags_.Contains(TcvFlag::reg_server) && !target.empty()) {
      // Registered again by the server step, never taken away by a rollback.
      auto& server = AddAction<TInstallFile>(ActionList());
      server.FileName = target;
      server.Flags = flags_;
      server.Log = false;
      server.DontRollback = true;
    }
  }
  Progress().Position += file.Size;
  ShowStatus(host_.EngineString(23), destination_.empty() ? file.Name : destination_);
  if (item_) {
    SendRunEvent(EV_AFTERPROCESSITEM, ItemParams(destination_, file));
  }
  return 0;
}

int CopyStep::Fail(const std::string& text) {
  ShowError(text);
  AbortRun();
  return -1;
}

bool CopyStep::FinishWrite() {
  if (partial_.empty()) return true;
  const bool moved = MoveFileExA(partial_.c_str(), writeTarget_.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != FALSE;
  if (!moved) DeleteFileForced(partial_);
  partial_.clear();
  return moved;
}

void CopyStep::DiscardPartial() {
  if (!partial_.empty()) DeleteFileForced(partial_);
  partial_.clear();
}

int CopyStep::InstallAssembly() {
  const std::string opaque = host_.Resolve(" OPAQUE \"%AppID%\" \"%AppName%\"");
  const std::string tool =
      database_.Packages->Count() > 0 ? database_.Packages->Package(0)->TempPath + "gacutil.exe"
                                      : std::string("gacutil.exe");
  const std::int32_t code =
      RunAndWait(nullptr, tool, FormatText("/ir \"%s\"%s", {destination_, opaque}), SW_HIDE, "");
  if (code != 0) return Fail("Cannot register assembly " + ExtractFileName(destination_));
  if (!flags_.Contains(TcvFlag::dont_log)) {
    std::string value = ChangeExtension(ExtractFileName(destination_), "");
    if (info_ && !info_->AssemblyData.empty()) value += "," + info_->AssemblyData;
    LogSharedAssembly(value + opaque);
  }
  return 1;
}

int CopyStep::OnFileComplete(const SourceFile& file) {
  if (assembly_ && InstallAssembly() != 1) return -1;
  if (font_ && font_->FontName.empty()) font_->FontName = FontFullNameOfFile(font_->TmpFileName);
  // A font is counted by the font step, where it ends up: in the fonts
  // folder, or where a font of its name is already listed.
  if (flags_.Contains(TcvFlag::shared) && !font_ && !CountSharedFile(ActionList(), destination_, targetExisted_)) {
    return Fail(FormatText(host_.EngineString(20), {destination_}));
  }
  SendRunEvent(EV_AFTERPROCESSITEM, ItemParams(destination_, file));
  return 1;
}

void CopyStep::ExternalPass() {
  archive_ = false;
  for (int c = 0; c < database_.Components->Count() && !Cancelled(); ++c) {
    TcvComponent& component = *database_.Components->Component(c);
    for (int i = 0; i < component.Files->Count() && !Cancelled(); ++i) {
      TcvFile& item = *component.Files->ItemAs<TcvFile>(i);
      if (item.Action != TcvInstallAction::add || !item.Flags.Contains(TcvFlag::external) ||
          !IsEnabled(item)) {
        continue;
      }
      const std::string source = host_.Resolve(item.Src);
      if (IsFolderItem(item, source)) continue;
      CopyExternalPattern(component, item, source);
    }
  }
}

void CopyStep::CopyExternalPattern(TcvComponent& component, TcvFile& item,
                                   const std::string& source) {
  component_ = &component;
  item_ = &item;
  if (!HasWildcards(source)) {
    CopyExternalFile(source);
    return;
  }
  const std::string folder = ExtractFolder(source);
  const std::string pattern = ExtractFileName(source);
  bool any = false;
  ForEachEntry(source, [&](const FoundEntry& entry) {
    if (entry.IsFolder()) return true;
    any = true;
    item_ = &item;
    CopyExternalFile(folder + entry.Name);
    return !Cancelled();
  });
  if (!any && !Cancelled()) {
    // The folder alone: its counterpart is created empty.
    item_ = &item;
    SourceFile entryFolder{folder + ".", 0, 0, {}, {}};
    std::string ignored;
    OnFileToExtract(entryFolder, ignored);
  }
  if (Cancelled()) return;
  ForEachEntry(folder + "*", [&](const FoundEntry& entry) {
    if (entry.IsFolder()) CopyExternalPattern(component, item, FormatText("%s%s\\%s", {folder, entry.Name, pattern}));
    return !Cancelled();
  });
}

void CopyStep::CopyExternalFile(const std::string& source) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(source.c_str(), GetFileExInfoStandard, &data)) {
    currentFile_ = source;
    externalError_ = true;
    Cancelled() = true;
    return;
  }
  std::string root = source.substr(0, 3);
  const bool cdrom = GetDriveTypeA(root.c_str()) == DRIVE_CDROM;
  SourceFile file{source, data.nFileSizeLow,
                  data.dwFileAttributes & ~(cdrom ? FILE_ATTRIBUTE_READONLY : 0u),
                  data.ftLastWriteTime, {}};
  GetFileVersionText(source, file.Version);
  std::string ignored;
  if (OnFileToExtract(file, ignored) != 1) return;
  // An enciphered file is one stream under the key of the package password.
  GostCipher cipher;
  CopyTransformHook decipher;
  if (flags_.Contains(TcvFlag::encrypt)) {
    HavalDigest::Digest key = PasswordKey(database_.Password);
    cipher.Init(key.data(), 256);
    SecureZeroMemory(key.data(), key.size());
    decipher = [&cipher](char* buffer, std::size_t count) {
      cipher.DecryptCBC(buffer, buffer, count);
    };
  }
  const bool copied = BufferedCopyFile(
      source, partial_,
      [this](const std::string& from, const std::string&, std::int64_t chunk, std::int64_t,
             std::int64_t) {
        Progress().Position += chunk;
        ShowStatus(host_.EngineString(24), ExtractFileName(from));
        return !Cancelled();
      },
      false, decipher);
  cipher.Burn();
  if (copied && FinishWrite()) {
    if (cdrom) SetFileAttributesA(writeTarget_.c_str(), file.Attributes);
    OnFileComplete(file);
    return;
  }
  DiscardPartial();
  if (!Cancelled()) {
    currentFile_ = source;
    externalError_ = true;
    Cancelled() = true;
  }
}

}  // namespace

bool CopyProjectFiles(InstallRunHost& host) { return CopyStep(host).Run(); }

bool RemoveProjectFiles(InstallRunHost& host) {
  TcvMainDatabase& database = host.Database();
  for (int c = 0; c < database.Components->Count(); ++c) {
    const TcvComponent& component = *database.Components->Component(c);
    for (int i = 0; i < component.Files->Count(); ++i) {
      const TcvFile& item = *component.Files->ItemAs<TcvFile>(i);
      if (item.Action != TcvInstallAction::remove || !IsEnabled(item)) continue;
      const std::string pattern = host.Resolve(item.Dst);
      const std::string folder = ExtractFolder(pattern);
      ForEachEntry(pattern, [&](const FoundEntry& entry) {
        if (entry.Attributes & (FILE_ATTRIBUTE_DIRECTORY | 0x8)) return true;
        const std::string path = folder + entry.Name;
        if (IsProtectedFile(path)) return true;
        const FILETIME written{static_cast<DWORD>(entry.LastWriteTime),
                               static_cast<DWORD>(entry.LastWriteTime >> 32)};
        const std::vector<MessageParamValue> values = ItemParams(
            path, static_cast<std::uint32_t>(entry.Size), DosDateTime(written), entry.Attributes, true);
        if (SendRunEvent(EV_BEFOREPROCESSITEM, values) != 0) return true;
        AddRemovedFile(ActionList(), path, item.Flags);
        SendRunEvent(EV_AFTERPROCESSITEM, values);
        return true;
      });
    }
  }
  return true;
}

}  // namespace cv
