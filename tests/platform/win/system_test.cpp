// The running system as the engine sees it: version record, folders, the
// program file and quiet library loading. The test session's Wine reports
// Windows 7 (6.1 on the NT platform) unless its prefix says otherwise.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "dialog_watcher.h"
#include "platform/case_map.h"
#include "platform/system_info.h"
#include "platform/win/library.h"
#include "platform/win/system_folders.h"
#include "temp_folder.h"
#include "test_window.h"

namespace cv {
namespace {

OSVERSIONINFOA VersionFromWindows() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  EXPECT_TRUE(GetVersionExA(&version));
#pragma GCC diagnostic pop
  return version;
}

TEST(SystemInfo, AgreesWithWhatWindowsReports) {
  const OSVERSIONINFOA version = VersionFromWindows();
  const SystemInfoRecord& info = SystemInfo();
  EXPECT_EQ(info.Major, static_cast<std::int32_t>(version.dwMajorVersion));
  EXPECT_EQ(info.Minor, static_cast<std::int32_t>(version.dwMinorVersion));
  EXPECT_EQ(info.Build, static_cast<std::int32_t>(version.dwBuildNumber));
  EXPECT_EQ(info.ServicePack, version.szCSDVersion);
  ASSERT_EQ(version.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  EXPECT_TRUE(info.IsNT());
  EXPECT_FALSE(info.Is9x());
  // NT 4 and older are "NT"; after that minor 0 is 2000, 1 is XP, more is 2003.
  WindowsKind expected = WindowsKind::WinNT;
  if (version.dwMajorVersion > 4) {
    expected = version.dwMinorVersion == 0   ? WindowsKind::Win2000
               : version.dwMinorVersion == 1 ? WindowsKind::WinXP
                                             : WindowsKind::Win2003;
  }
  EXPECT_EQ(static_cast<int>(info.Kind), static_cast<int>(expected));
}

TEST(SystemInfo, DescribesTheWineDefaultSystem) {
  const OSVERSIONINFOA version = VersionFromWindows();
  if (version.dwMajorVersion != 6 || version.dwMinorVersion != 1) {
    GTEST_SKIP() << "the Wine prefix reports " << version.dwMajorVersion << "."
                 << version.dwMinorVersion;
  }
  const SystemInfoRecord& info = SystemInfo();
  // 6.1 counts as XP: major above 4, minor 1.
  EXPECT_EQ(info.Kind, WindowsKind::WinXP);
  EXPECT_EQ(info.VersionText, "6.01");
  char build[16];
  std::snprintf(build, sizeof build, "%04lu", version.dwBuildNumber);
  const std::string servicePack = version.szCSDVersion;
  EXPECT_EQ(info.FullName, servicePack.empty()
                               ? "Windows XP 6.01." + std::string(build)
                               : "Windows XP 6.01." + std::string(build) + " " + servicePack);
}

TEST(SystemInfo, IsReadOnce) { EXPECT_EQ(&SystemInfo(), &SystemInfo()); }

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

TEST(WindowsFolder, IsTheWindowsDirectoryWithoutTrailingBackslash) {
  char expected[MAX_PATH + 1] = {};
  ASSERT_GT(GetWindowsDirectoryA(expected, MAX_PATH), 0u);
  const std::string folder = WindowsFolder();
  EXPECT_EQ(folder, expected);
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  EXPECT_TRUE(IsFolder(folder));
}

TEST(SystemFolder, IsTheSystemDirectoryWithoutTrailingBackslash) {
  char expected[MAX_PATH + 1] = {};
  ASSERT_GT(GetSystemDirectoryA(expected, MAX_PATH), 0u);
  const std::string folder = SystemFolder();
  EXPECT_EQ(folder, expected);
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  EXPECT_TRUE(IsFolder(folder));
}

// Changes process environment variables and the current directory for one
// test and puts them back afterwards.
class ProcessStateGuard {
 public:
  ProcessStateGuard() {
    for (const char* name : {"TMP", "TEMP", "USERPROFILE"}) saved_.push_back({name, Get(name)});
    char current[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    currentDirectory_ = current;
  }
  ProcessStateGuard(const ProcessStateGuard&) = delete;
  ProcessStateGuard& operator=(const ProcessStateGuard&) = delete;
  ~ProcessStateGuard() {
    for (const auto& [name, value] : saved_) {
      SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
    }
    SetCurrentDirectoryA(currentDirectory_.c_str());
  }

 private:
  static std::optional<std::string> Get(const char* name) {
    char value[32768];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::string(value, length);
  }

  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
  std::string currentDirectory_;
};

std::string WindowsTempPath() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(MAX_PATH, path);
  return std::string(path, length);
}

TEST(TempRoot, IsTheTemporaryFolderWithTrailingBackslash) {
  const std::string root = TempRoot();
  EXPECT_EQ(root, WindowsTempPath());
  ASSERT_FALSE(root.empty());
  EXPECT_EQ(root.back(), '\\');
}

// The folders are made before the guard, so that the guard has put the old
// current directory back when they are removed: Windows does not remove a
// folder that is a process's current directory.
TEST(TempRoot, FollowsTheTmpVariable) {
  test::TempFolder folder;
  const ProcessStateGuard guard;
  const std::string withoutBackslash = folder.Path().substr(0, folder.Path().size() - 1);
  ASSERT_TRUE(SetEnvironmentVariableA("TMP", withoutBackslash.c_str()));
  EXPECT_EQ(TempRoot(), folder.Path());
}

TEST(TempRoot, FallsBackToCTempWhenWindowsAnswersTheCurrentDirectory) {
  // Without TMP and TEMP, Windows 2000 answers the current directory; Wine
  // answers the profile folder instead, so the current directory is made that
  // answer to show the engine the same situation.
  const ProcessStateGuard guard;
  ASSERT_TRUE(SetEnvironmentVariableA("TMP", nullptr));
  ASSERT_TRUE(SetEnvironmentVariableA("TEMP", nullptr));
  const std::string answer = WindowsTempPath();
  ASSERT_FALSE(answer.empty());
  ASSERT_TRUE(SetCurrentDirectoryA(answer.c_str()));
  EXPECT_EQ(TempRoot(), "C:\\Temp\\");
}

TEST(TempRoot, ComparesWithTheCurrentDirectoryWithoutRegardToCase) {
  test::TempFolder folder;
  const ProcessStateGuard guard;
  ASSERT_TRUE(SetEnvironmentVariableA("TMP", CaseMapUpper(folder.Path()).c_str()));
  ASSERT_TRUE(SetEnvironmentVariableA("TEMP", nullptr));
  std::string lower = folder.Path();
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  ASSERT_NE(lower, CaseMapUpper(folder.Path()));
  ASSERT_TRUE(SetCurrentDirectoryA(lower.c_str()));
  EXPECT_EQ(TempRoot(), "C:\\Temp\\");
}

TEST(TempRoot, KeepsTheTemporaryFolderWhenItIsNotTheCurrentDirectory) {
  test::TempFolder temp;
  test::TempFolder current;
  const ProcessStateGuard guard;
  ASSERT_TRUE(SetEnvironmentVariableA("TMP", temp.Path().c_str()));
  ASSERT_TRUE(SetCurrentDirectoryA(current.Path().c_str()));
  EXPECT_EQ(TempRoot(), temp.Path());
}

TEST(ModuleFileName, IsTheFullPathOfTheRunningProgram) {
  char expected[MAX_PATH + 1] = {};
  ASSERT_GT(GetModuleFileNameA(nullptr, expected, MAX_PATH), 0u);
  const std::string path = ModuleFileName();
  EXPECT_EQ(path, expected);
  const std::string name = "\\platform_win_tests.exe";
  ASSERT_GT(path.size(), name.size());
  EXPECT_EQ(CaseMapUpper(path.substr(path.size() - name.size())), CaseMapUpper(name));
  EXPECT_EQ(path[1], ':');
}

TEST(LoadLibraryQuiet, LoadsAnExistingLibrary) {
  HMODULE byName = LoadLibraryQuiet("version.dll", LoadMode::Plain);
  ASSERT_NE(byName, nullptr);
  EXPECT_NE(GetProcAddress(byName, "GetFileVersionInfoSizeA"), nullptr);
  FreeLibrary(byName);

  HMODULE byPath = LoadLibraryQuiet(SystemFolder() + "\\version.dll", LoadMode::AlteredSearchPath);
  ASSERT_NE(byPath, nullptr);
  FreeLibrary(byPath);
}

TEST(LoadLibraryQuiet, MissingLibraryGivesNullWithoutAnyBox) {
  test::TempFolder folder;
  test::DialogWatcher watcher;
  const std::string missing = folder.Path() + "CorvaneTestMissing.dll";
  EXPECT_EQ(LoadLibraryQuiet(missing, LoadMode::AlteredSearchPath), nullptr);
  EXPECT_EQ(LoadLibraryQuiet(test::RunUniqueName("CorvaneTestMissing") + ".dll", LoadMode::Plain),
            nullptr);
  // A box would have kept the call from returning until the watcher pressed it.
  EXPECT_TRUE(watcher.Seen().empty());
}

TEST(LoadLibraryQuiet, RestoresTheErrorMode) {
  const UINT original = SetErrorMode(SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryQuiet("version.dll", LoadMode::Plain);
  const UINT after = SetErrorMode(original);
  if (module) FreeLibrary(module);
  EXPECT_EQ(after, static_cast<UINT>(SEM_NOOPENFILEERRORBOX));
}

}  // namespace
}  // namespace cv
