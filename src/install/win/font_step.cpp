#include "install/win/font_step.h"

#include <windows.h>

#include <cstdint>

#include "install/win/action_list.h"
#include "install/win/file_copy.h"
#include "install/win/install_run.h"
#include "install/win/installed_file_services.h"
#include "install/win/run_events.h"
#include "install/win/run_journal.h"
#include "install/win/shared_files.h"
#include "platform/case_map.h"
#include "platform/format_text.h"
#include "platform/paths.h"
#include "platform/unique_name.h"
#include "platform/win/file_system.h"
#include "platform/win/message_box.h"
#include "platform/win/registry_path.h"
#include "plugins/message_store.h"

namespace cv {

namespace {

struct FileStamp {
  FILETIME Written = {};
  std::uint64_t Size = 0;
};

bool ReadStamp(const std::string& path, FileStamp& stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  stamp.Written = data.ftLastWriteTime;
  stamp.Size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

std::string Extension(const std::string& fileName) {
  const std::size_t dot = fileName.find_last_of('.');
  return dot == std::string::npos ? std::string() : fileName.substr(dot);
}

// Where the font goes and under which name it is listed.
struct FontTarget {
  std::string Path;
  std::string Name;
  bool Registered = false;
};

FontTarget FindTarget(const TInstallFile& unpacked, const std::string& fontsFolder) {
  FontTarget target{unpacked.FileName, unpacked.FontName, false};
  const std::string key = FontsRegistryKey();
  const auto lookUp = [&] {
    if (!RegValueExists(key, target.Name)) return false;
    const std::string file = RegReadString(key, target.Name, "");
    // A bare file name lies in the fonts folder.
    target.Path = file.find('\\') == std::string::npos ? IncludeBackslash(fontsFolder) + file : file;
    return true;
  };
  target.Registered = lookUp();
  if (!target.Registered && SameTextNoCase(Extension(target.Path), ".ttf")) {
    target.Name += " (TrueType)";
    target.Registered = lookUp();
  }
  if (!target.Registered && FileExists(target.Path)) {
    // Another font has this file name: this one gets a name of its own.
    const std::string folder = ExtractFolder(target.Path);
    target.Path = IncludeBackslash(folder) + FreeFontFileName(folder, ExtractFileName(target.Path));
  }
  return target;
}

// The font already there stays when the item says so, or when it is newer,
// or when it looks like the same font (unless this is a repair).
bool KeepExisting(const TInstallFile& unpacked, const std::string& target, bool repairMode) {
  if (unpacked.Flags.Contains(TcvFlag::dont_overwrite)) return true;
  if (unpacked.Flags.Contains(TcvFlag::no_version)) return false;
  FileStamp existing;
  FileStamp incoming;
  if (!ReadStamp(target, existing) || !ReadStamp(unpacked.TmpFileName, incoming)) return false;
  const LONG order = CompareFileTime(&existing.Written, &incoming.Written);
  if (order > 0) return true;
  return order == 0 && existing.Size == incoming.Size && !repairMode;
}

bool InstallFont(TInstallActions& list, const TInstallFile& unpacked, const FontTarget& target,
                 const std::string& fontsFolder) {
  TcvFlags flags{TcvFlag::reg_font};
  if (unpacked.Flags.Contains(TcvFlag::dont_log)) flags.Include(TcvFlag::dont_log);
  TInstallFile* installed = AddFile(list, target.Path, flags, true);
  if (!installed) return false;
  installed->FontName = target.Name;
  // On record with its name, whose listing a recovery takes away.
  CurrentRunJournal().Amend(list);
  const std::string written = installed->Pending ? installed->TmpFileName : target.Path;
  if (!BufferedCopyFile(unpacked.TmpFileName, written) || !AddFontFile(written)) return false;
  const bool inFontsFolder = SameTextNoCase(ExcludeBackslash(ExtractFolder(target.Path)),
                                            ExcludeBackslash(fontsFolder));
  // A font that is loaded but not listed would be gone after the next start.
  const bool listed = RegWriteString(FontsRegistryKey(), target.Name,
                                     inFontsFolder ? ExtractFileName(target.Path) : target.Path);
  BroadcastFontChange();
  return listed;
}

}  // namespace

std::string FreeFontFileName(const std::string& folder, const std::string& fileName) {
  const std::string extension = Extension(fileName);
  const std::string base = fileName.substr(0, fileName.size() - extension.size());
  const std::string prefix = IncludeBackslash(folder);
  for (int counter = 0; counter <= 99999; ++counter) {
    const std::string digits = std::to_string(counter);
    const std::size_t kept = digits.size() < 8 ? 8 - digits.size() : 0;
    const std::string name = base.substr(0, kept) + digits + extension;
    if (!FileOrFolderExists(prefix + name)) return name;
  }
  return MakeUniqueName(folder, base, extension, false);
}

bool RegisterFonts(TInstallActions& list, const FontStepSettings& settings) {
  // The actions this step appends are fonts too: only those that were there
  // when it started are the copy step's.
  const int count = list.Count();
  for (int i = 0; i < count; ++i) {
    auto* unpacked = dynamic_cast<TInstallFile*>(list.Action(i));
    if (!unpacked || !unpacked->Flags.Contains(TcvFlag::reg_font) || unpacked->FontName.empty() ||
        unpacked->TmpFileName.empty() || unpacked->Existed) {
      continue;
    }
    const std::int32_t kind = static_cast<std::int32_t>(InstallStep::Fonts);
    // Only a font this step puts in place is logged, by the action that
    // records it: the uninstaller must not take away a file it never got.
    unpacked->Log = false;
    if (SendRunEvent(EV_BEFOREPROCESSITEM, {kind, unpacked->FileName, 0}) != 0) continue;
    const FontTarget target = FindTarget(*unpacked, settings.FontsFolder);
    const bool existed = FileExists(target.Path);
    const bool kept = existed && KeepExisting(*unpacked, target.Path, settings.RepairMode);
    if (!kept && !InstallFont(list, *unpacked, target, settings.FontsFolder)) {
      ShowErrorBox("Error", FormatText("Cannot register font \"%s\".", {target.Name}));
      return false;
    }
    // Counted where the font is, kept or new: a count on the path the copy
    // step unpacked it for would let the last uninstaller take away a font
    // listed elsewhere that it never counted.
    if (unpacked->Flags.Contains(TcvFlag::shared) && !CountSharedFile(list, target.Path, existed)) {
      ShowErrorBox("Error", FormatText(settings.SharedCountError, {target.Path}));
      return false;
    }
    if (kept && unpacked->Flags.Contains(TcvFlag::shared)) {
      // Logged as this product's too: should it be the font's last user,
      // its uninstaller takes the font's listing away with the file.
      auto& listed = AddAction<TInstallFile>(list);
      listed.FileName = target.Path;
      listed.FontName = target.Name;
      listed.Flags = TcvFlags{TcvFlag::reg_font, TcvFlag::shared};
      listed.DontRollback = true;
    }
    SendRunEvent(EV_AFTERPROCESSITEM, {kind, unpacked->FileName, 0});
  }
  return true;
}

}  // namespace cv
