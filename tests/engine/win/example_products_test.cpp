// The example products as a user gets them: the full example (every kind of
// item, scrambled and password-protected, with two further packages) and
// the second product that shares its library and font, built by cvbuild.exe
// from their staged folders and installed silently. Every item kind is read
// back through the Windows API, and the prefix is compared with a snapshot
// taken before: the test leaves nothing behind.

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "dialog_watcher.h"
#include "machine_snapshot.h"
#include "platform/win/file_system.h"
#include "platform/win/registry_path.h"
#include "setup_files.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::Quoted;

constexpr DWORD kNoProcess = 0xFFFFFFFF;
constexpr char kPassword[] = "Sesame42";
constexpr char kCompanyKey[] = "HKCU\\Software\\Corvane Example";
constexpr char kProductKey[] = "HKCU\\Software\\Corvane Example\\Full";
constexpr char kMachineKey[] = "HKLM\\Software\\Corvane Example";
constexpr char kServerParent[] = "HKCU\\Software\\CorvaneTest";
constexpr char kServerKey[] = "HKCU\\Software\\CorvaneTest\\ComServer";
constexpr char kEnvironmentKey[] = "HKCU\\Environment";
constexpr char kFontsKey[] = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
constexpr char kFontValue[] = "Corvan Sans Mono (TrueType)";
constexpr char kSharedDlls[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr char kUninstallKey[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string StagedExample(const std::string& relative) {
  return test::WinePathOfHost(CV_STAGED_EXAMPLES_DIR "/") + relative;
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
  return std::string(path) + "\\";
}

std::string StartMenuFolder() { return ShellFolder(CSIDL_PROGRAMS) + "Corvane Full\\"; }
std::string SharedFolder() {
  return RegReadString("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir",
                       "C:\\Program Files\\Common Files") +
         "\\Corvane Example\\";
}
std::string SharedLibrary() { return SharedFolder() + "CorvaneShared.dll"; }
std::string FontTarget() { return ShellFolder(CSIDL_FONTS) + "CorvanSansMono.ttf"; }

// The command that removes a product, from the machine's or the user's
// uninstall key; empty when the product is not registered.
std::optional<std::string> ReadOptional(const std::string& key, const std::string& name) {
  if (!RegValueExists(key, name)) return std::nullopt;
  return RegReadString(key, name, "");
}

void Restore(const std::string& key, const std::string& name, const std::optional<std::string>& value) {
  if (value) {
    RegWriteString(key, name, *value);
  } else {
    RegDeleteValuePath(key, name);
  }
}

// A value's type and bytes as the registry holds them.
struct RawValue {
  DWORD type = REG_NONE;
  std::string bytes;
};

RawValue ReadRaw(HKEY root, const char* subkey, const char* name) {
  RawValue value;
  char data[256] = {};
  DWORD size = sizeof data;
  if (RegGetValueA(root, subkey, name, RRF_RT_ANY | RRF_NOEXPAND, &value.type, data, &size) ==
      ERROR_SUCCESS) {
    value.bytes.assign(data, size);
  }
  return value;
}

// Everything the products change outside their install folders, as it was
// before the test: given back when the object goes, so that the prefix is
// left as the test found it even when a check fails half-way.
class ProductTraces {
 public:
  ProductTraces()
      : path_(ReadOptional(kEnvironmentKey, "PATH")),
        home_(ReadOptional(kEnvironmentKey, "CORVANE_FULL_HOME")),
        font_(ReadOptional(kFontsKey, kFontValue)),
        fontFileExisted_(test::PathExists(FontTarget())),
        serverParentExisted_(RegKeyExists(kServerParent)),
        companyKeyExisted_(RegKeyExists(kCompanyKey)),
        machineKeyExisted_(RegKeyExists(kMachineKey)) {}
  ProductTraces(const ProductTraces&) = delete;
  ProductTraces& operator=(const ProductTraces&) = delete;
  ~ProductTraces() { Remove(); }

  void Remove() const {
    // The company's key is shared with the other examples: it goes only
    // when the test made it and nothing else is below it.
    RegDeleteKeyPath(kProductKey, true);
    if (!companyKeyExisted_) RegDeleteKeyPath(kCompanyKey, false);
    RegDeleteKeyPath(std::string(kMachineKey) + "\\Full", true);
    if (!machineKeyExisted_) RegDeleteKeyPath(kMachineKey, false);
    RegDeleteKeyPath(kServerKey, true);
    // The server's registration makes its parent key; another test's keys
    // below it keep it.
    if (!serverParentExisted_) RegDeleteKeyPath(kServerParent, false);
    for (const char* root : {"HKLM", "HKCU"}) {
      for (const char* product : {"CorvaneFull", "CorvaneShared"}) {
        RegDeleteKeyPath(root + std::string(kUninstallKey) + product, true);
      }
    }
    Restore(kEnvironmentKey, "PATH", path_);
    Restore(kEnvironmentKey, "CORVANE_FULL_HOME", home_);
    RegDeleteValuePath(kSharedDlls, SharedLibrary());
    RegDeleteValuePath(kSharedDlls, FontTarget());
    DeleteTree(SharedFolder(), true);
    DeleteTree(StartMenuFolder(), true);
    if (!fontFileExisted_ && test::PathExists(FontTarget())) {
      RemoveFontResourceA(FontTarget().c_str());
      DeleteFileForced(FontTarget());
    }
    Restore(kFontsKey, kFontValue, font_);
  }

 private:
  std::optional<std::string> path_, home_, font_;
  bool fontFileExisted_;
  bool serverParentExisted_;
  bool companyKeyExisted_;
  bool machineKeyExisted_;
};

class ExampleProductsTest : public ::testing::Test {
 protected:
  // Runs `commandLine` with the switch for a silent run; answers its exit
  // code (0xFFFFFFFF when it did not start or end in time). Any box it
  // shows fails the test.
  DWORD RunSilently(const std::string& commandLine) {
    test::DialogWatcher watcher(kNoProcess);
    test::ChildProcess run(commandLine + " /s", {{"TMP", temp_.Path()}, {"TEMP", temp_.Path()}});
    if (!run.Started()) return 0xFFFFFFFF;
    watcher.SetProcess(run.Id());
    if (!run.Wait(240000)) return 0xFFFFFFFF;
    for (const test::SeenDialog& box : watcher.Seen()) ADD_FAILURE() << "box: " << box.Text;
    EXPECT_TRUE(test::FolderEntries(temp_.Path()).empty()) << "the work folder was left";
    return run.ExitCode();
  }

  DWORD InstallSilently(const std::string& setup, const std::string& switches) {
    return RunSilently(Quoted(setup) + switches);
  }

  // Through the uninstaller a product registered.
  DWORD UninstallSilently(const std::string& appId) {
    const std::string command = test::UninstallCommand(appId);
    return command.empty() ? 0xFFFFFFFF : RunSilently(command);
  }

  std::string FullSetup() const { return place_.Path() + "full-setup.exe"; }
  std::string SharedSetup() const { return place_.Path() + "shared-setup.exe"; }
  std::string FullFolder() const { return target_.Path() + "Full\\"; }
  std::string SharedProductFolder() const { return target_.Path() + "Shared\\"; }

  // The folders of the test itself and what the test's own runs of Wine
  // programs leave in the temporary root.
  static std::vector<std::string> OwnEntries() {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string root = std::string(temp) + "CorvaneTest";
    // The tests' registry sandboxes live there too, and the test COM server
    // registers below it, leaving the parent key behind when it goes.
    return {"DIR " + root, "FILE " + root, "REG HKCU\\Software\\CorvaneTest\\"};
  }

  snapshot::MachineSnapshot before_ = snapshot::TakeMachineSnapshot(OwnEntries());
  ProductTraces traces_;
  test::TempFolder place_;   // where the setup files lie
  test::TempFolder temp_;    // the engine's temporary root
  test::TempFolder target_;  // where the products are installed
};

TEST_F(ExampleProductsTest, TheFullProductInstallsEveryKindOfItemAndSharesWithTheSecond) {
  ASSERT_EQ(test::BuildSetupFile(StagedExample("full\\full.cv2project"), FullSetup(),
                                 std::string("--scramble --password ") + kPassword),
            0u);
  ASSERT_EQ(test::BuildSetupFile(StagedExample("shared\\shared.cv2project"), SharedSetup()), 0u);
  for (const char* package : {"fulldocs.cvp", "fullsamples.cvp"}) {
    ASSERT_TRUE(test::PathExists(place_.Path() + package)) << package;
  }

  const std::string helperLog = place_.Path() + "helper.log";
  ASSERT_EQ(InstallSilently(FullSetup(), " /var:InstallPath=" + target_.Path() + "Full" +
                                             " /var:SetupPassword=" + kPassword +
                                             " /var:SetupType=Full /var:HelperLog=" + helperLog),
            0u);

  // Files of all three packages, the run-app's file, the versioned COM server.
  const std::string full = FullFolder();
  EXPECT_EQ(test::ReadFileBytes(full + "readme.txt"),
            test::ReadFileBytes(StagedExample("full\\files\\readme.txt")));
  for (const char* file : {"bin\\full.txt", "docs\\guide.txt", "docs\\faq.txt", "samples\\first.txt",
                           "samples\\second.txt"}) {
    EXPECT_TRUE(test::PathExists(full + file)) << file;
  }
  EXPECT_FALSE(test::PathExists(full + "quickref.txt")) << "the quick reference excludes the documentation";
  EXPECT_EQ(test::ReadFileBytes(full + "runlog.txt"), "installed\r\n") << "the program after the installation";
  EXPECT_EQ(test::ReadFileBytes(full + "bin\\CorvaneCom.dll"),
            test::ReadFileBytes(StagedExample("full\\files\\bin\\CorvaneCom.dll")));
  EXPECT_EQ(RegReadDword(kServerKey, "Registered", 0), 1u) << "the COM server registered itself";

  // Registry values of every type, in the user's and the machine's hive.
  const char* const key = "Software\\Corvane Example\\Full";
  const struct {
    const char* name;
    DWORD type;
    std::string bytes;
  } values[] = {{"InstallPath", REG_SZ, full + std::string(1, '\0')},
                {"Runs", REG_DWORD, std::string("\x2a\0\0\0", 4)},
                {"Signature", REG_BINARY, "\xC0\xFF\xEE\x01"},
                {"Languages", REG_MULTI_SZ, std::string("ENU\0DEU\0\0", 9)}};
  for (const auto& expected : values) {
    const RawValue value = ReadRaw(HKEY_CURRENT_USER, key, expected.name);
    EXPECT_EQ(value.type, expected.type) << expected.name;
    EXPECT_EQ(value.bytes, expected.bytes) << expected.name;
  }
  EXPECT_EQ(RegReadString(std::string(kMachineKey) + "\\Full", "Version", ""), "2.0.0");

  // Ini entries, one of them calculated when the project was loaded.
  char text[MAX_PATH] = {};
  GetPrivateProfileStringA("Full", "Greeting", "", text, sizeof text, (full + "full.ini").c_str());
  EXPECT_STREQ(text, "Installed on 2 drives");
  GetPrivateProfileStringA("Full", "Language", "", text, sizeof text, (full + "full.ini").c_str());
  EXPECT_STREQ(text, "ENU");

  // The shortcut with arguments, working folder, icon, hotkey and description.
  EXPECT_TRUE(test::PathExists(StartMenuFolder() + "Readme.lnk"));
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                         reinterpret_cast<void**>(&link))));
  ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
  const std::string linkFile = StartMenuFolder() + "Corvane Full.lnk";
  std::wstring wideLink(linkFile.begin(), linkFile.end());
  EXPECT_TRUE(SUCCEEDED(file->Load(wideLink.c_str(), STGM_READ)));
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  link->GetPath(text, sizeof text, nullptr, 0);
  EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text, -1,
                           (std::string(system) + "\\cmd.exe").c_str(), -1),
            CSTR_EQUAL)
      << text;
  link->GetArguments(text, sizeof text);
  EXPECT_EQ(std::string(text), "/k type \"" + full + "readme.txt\"");
  link->GetWorkingDirectory(text, sizeof text);
  EXPECT_EQ(std::string(text), full);
  WORD hotkey = 0;
  link->GetHotkey(&hotkey);
  EXPECT_EQ(hotkey, 1606);
  link->GetDescription(text, sizeof text);
  EXPECT_STREQ(text, "Shows the Corvane Full readme");
  int icon = -1;
  link->GetIconLocation(text, sizeof text, &icon);
  EXPECT_EQ(icon, 3);
  EXPECT_NE(std::string(text).find("shell32.dll"), std::string::npos) << text;
  file->Release();
  link->Release();
  CoUninitialize();

  // The user's PATH with the program folder and a plain variable.
  EXPECT_NE(RegReadString(kEnvironmentKey, "PATH", "").find(full + "bin"), std::string::npos);
  EXPECT_EQ(RegReadString(kEnvironmentKey, "CORVANE_FULL_HOME", ""), full);

  // The shared library and the font, each counted once; the font in the
  // fonts folder, registered by its file name.
  EXPECT_EQ(test::ReadFileBytes(SharedLibrary()),
            test::ReadFileBytes(StagedExample("full\\files\\shared\\CorvaneShared.dll")));
  EXPECT_EQ(RegReadDword(kSharedDlls, SharedLibrary(), 0), 1u);
  EXPECT_EQ(test::ReadFileBytes(FontTarget()),
            test::ReadFileBytes(StagedExample("full\\files\\fonts\\CorvanSansMono.ttf")));
  EXPECT_EQ(RegReadString(kFontsKey, kFontValue, ""), "CorvanSansMono.ttf");
  EXPECT_EQ(RegReadDword(kSharedDlls, FontTarget(), 0), 1u);

  // The helper plug-in ran through the installation; the wizard kept quiet.
  const std::string log = test::ReadFileBytes(helperLog);
  EXPECT_NE(log.find("STARTUP"), std::string::npos);
  EXPECT_NE(log.find("MSG EV_AFTERINSTALL"), std::string::npos);

  EXPECT_FALSE(test::UninstallCommand("CorvaneFull").empty()) << "the product is registered for removal";

  // The second product counts the library and the font a second time.
  ASSERT_EQ(InstallSilently(SharedSetup(), " /var:InstallPath=" + target_.Path() + "Shared"), 0u);
  EXPECT_TRUE(test::PathExists(SharedProductFolder() + "shared.txt"));
  EXPECT_EQ(RegReadDword(kSharedDlls, SharedLibrary(), 0), 2u);
  EXPECT_EQ(RegReadDword(kSharedDlls, FontTarget(), 0), 2u);

  // Everything outside the test's own folders goes back as it was, removed
  // by the products' uninstallers, the last one taking the shared files.
  EXPECT_EQ(UninstallSilently("CorvaneShared"), 0u);
  EXPECT_TRUE(test::PathExists(SharedLibrary())) << "the full product still counts it";
  EXPECT_EQ(RegReadDword(kSharedDlls, SharedLibrary(), 0), 1u);
  EXPECT_EQ(UninstallSilently("CorvaneFull"), 0u);
  const auto differences = before_.DifferencesTo(snapshot::TakeMachineSnapshot(OwnEntries()));
  EXPECT_TRUE(differences.empty()) << snapshot::DescribeDifferences(differences);
}

}  // namespace
}  // namespace cv
