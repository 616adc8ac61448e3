#include "engine/win/package_files.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "database/xml_tag.h"
#include "engine/abort_run.h"
#include "engine/package_database.h"
#include "engine/package_header.h"
#include "engine/run_state.h"
#include "engine/win/engine.h"
#include "platform/file_io.h"
#include "platform/format_text.h"
#include "platform/paths.h"
#include "platform/win/file_system.h"
#include "platform/win/message_box.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"
#include "script/references.h"

namespace cv {
namespace {

constexpr char kInvalidPackageText[] =
    "Invalid package size!\r\rPackage \"%s\" has been corrupted, installation impossible.";

// Closes a file handle when it goes out of scope.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (Valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

FileHandle OpenForReading(const std::string& path) {
  return FileHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::optional<std::uint64_t> SizeOfFile(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<PackageTrailer> ReadTrailer(const std::string& path) {
  // The last kPackageTrailerReadSize bytes, or the whole of a shorter file.
  std::string end;
  std::uint64_t size = 0;
  if (!ReadFileRange(path, -static_cast<std::int64_t>(kPackageTrailerReadSize),
                     kPackageTrailerReadSize, end, &size)) {
    return std::nullopt;
  }
  return ParsePackageTrailer(end, size);
}

// The first `engineSize` bytes of the setup file, the engine without its
// package, for the program that resumes after a restart.
bool WriteResumeCopy(const std::string& setupFile, std::uint32_t engineSize,
                     const std::string& target) {
  FileHandle source = OpenForReading(setupFile);
  if (!source.Valid()) return false;
  FileHandle copy(CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!copy.Valid()) return false;
  std::vector<char> buffer(65536);
  std::uint32_t left = engineSize;
  while (left > 0) {
    const DWORD wanted = std::min<DWORD>(left, static_cast<DWORD>(buffer.size()));
    DWORD read = 0;
    if (!ReadFile(source.Get(), buffer.data(), wanted, &read, nullptr) || read != wanted)
      return false;
    DWORD written = 0;
    if (!WriteFile(copy.Get(), buffer.data(), read, &written, nullptr) || written != read)
      return false;
    left -= read;
  }
  return true;
}

}  // namespace

bool LocatePackageFile(const std::string& name, std::string& folder) {
  folder = IncludeBackslash(folder);
  const std::int32_t reply = CreateBlock();
  bool found = false;
  try {
    while (!(found = FileExists(folder + name))) {
      SetCount(reply, 0);
      const std::int32_t in = NewParamsBlock({name, folder});
      if (SendMessageById(0, EV_GETPACKAGE, in, true, false, reply) != 1) {
        AbortRun();
        break;
      }
      folder = IncludeBackslash(GetStr(reply, 0));
    }
  } catch (...) {
    DestroyBlock(reply);
    throw;
  }
  DestroyBlock(reply);
  return found;
}

bool ReadPackageHeader(TcvPackage& package, SetupOperations& operations) {
  RunState& run = Run();
  const std::string name = ExtractFileName(package.FullFileName);
  std::string folder = ExtractFolder(package.FullFileName);
  if (!LocatePackageFile(name, folder)) {
    const std::string text = FormatText(EngineString(operations, 22), {name});
    ShowErrorBox("File not found", operations.ExpandReferences(text));
    return false;
  }
  package.FullFileName = folder + name;
  package.FileName = ChangeExtension(name, "");

  const std::optional<PackageTrailer> trailer = ReadTrailer(package.FullFileName);
  if (trailer) {
    package.Flags = trailer->Header.Flags;
    package.PresetupSize = static_cast<double>(trailer->Header.PresetupSize);
    package.DataSize = static_cast<double>(trailer->Header.DataSize);
    LoadHeaderVariables(package.HeaderVariables(), trailer->Variables);
  }
  const std::optional<std::uint64_t> size = SizeOfFile(package.FullFileName);
  if (!trailer || !size || *size != trailer->ExpectedSize) {
    ShowErrorBox("Invalid package", FormatText(kInvalidPackageText, {package.FullFileName}));
    return false;
  }
  if (package.Main &&
      !WriteResumeCopy(run.SetupFileName, trailer->Header.EngineSize, run.WorkFolder + "Resume.exe")) {
    ShowErrorBox("Error", "Cannot prepare for resuming.");
    return false;
  }
  package.TempPath = run.WorkFolder + package.FileName + "\\";
  return true;
}

bool LoadPackageDatabase(TcvPackage& package) {
  {
    TXMLTag root;
    ParseDatabaseFile(package.TempPath + "packagedb", "package", root);
    package.Merge(root);
  }
  const std::string presetup = package.TempPath + "presetup";
  ForceFolders(presetup);
  if (!package.Variables) package.CreateLists();
  package.Variables->SetParam("Presetup", presetup);
  package.Variables->SetParam("PackageFileName", package.FullFileName);
  return true;
}

}  // namespace cv
