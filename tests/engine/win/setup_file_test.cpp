// A real setup file: the example project built by cvbuild.exe around the
// engine, started as a user would start it. It installs silently: files, a
// registry value, an ini entry and a shortcut; a failure on the way rolls
// all of it back; broken and protected packages stop before anything is
// installed.

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "child_process.h"
#include "dialog_watcher.h"
#include "machine_snapshot.h"
#include "platform/win/registry_path.h"
#include "same_bytes.h"
#include "setup_files.h"
#include "temp_folder.h"

namespace cv {
namespace {

constexpr DWORD kNoProcess = 0xFFFFFFFF;
constexpr DWORD kFailureExitCode = 0xFFFFFFFF;  // -1
// What the example's registry item writes.
constexpr char kExampleKey[] = "HKCU\\Software\\Corvane Example";

using test::Quoted;

class SetupFileTest : public ::testing::Test {
 protected:
  // Builds the example into the test's folder; answers cvbuild's exit code.
  DWORD Build(const std::string& options) {
    return test::BuildSetupFile(test::ExampleFile("hello\\hello.cv2project"), Setup(), options);
  }
  std::string Setup() const { return place_.Path() + "hello-setup.exe"; }

  // Runs the setup file and holds its first box; `whileShown` looks at the
  // work folder meanwhile. Answers the box.
  test::SeenDialog RunSetup(const std::function<void(const std::string& work)>& whileShown,
                            const std::string& options = "") {
    test::DialogWatcher watcher(kNoProcess);
    watcher.Hold(true);
    test::ChildProcess setup(Quoted(Setup()) + options, {{"TMP", temp_.Path()}, {"TEMP", temp_.Path()}});
    EXPECT_TRUE(setup.Started());
    watcher.SetProcess(setup.Id());
    EXPECT_TRUE(watcher.WaitForCount(1, 120000));
    const auto roots = test::FolderEntries(temp_.Path());
    EXPECT_EQ(roots.size(), 1u);
    if (roots.size() == 1) whileShown(temp_.Path() + roots[0] + "\\");
    watcher.Hold(false);
    EXPECT_TRUE(setup.Wait(60000));
    EXPECT_EQ(setup.ExitCode(), kFailureExitCode);
    EXPECT_TRUE(test::FolderEntries(temp_.Path()).empty()) << "the work folder was left";
    const auto seen = watcher.Seen();
    return seen.empty() ? test::SeenDialog{} : seen[0];
  }

  // What a prepared main package leaves in the work folder.
  static void ExpectPreparedPackage(const std::string& work) {
    const std::string package = work + "hello-setup\\";
    for (const char* name : {"maindb", "packagedb", "languages", "splash.bmp"}) {
      EXPECT_TRUE(test::PathExists(package + name)) << name;
    }
    EXPECT_TRUE(test::PathExists(package + "presetup")) << "made when the package database loaded";
    EXPECT_FALSE(test::PathExists(package + "data")) << "installation files wait for the install";
    EXPECT_TRUE(test::SameBytes(test::ReadFileBytes(work + "Resume.exe"),
                                test::ReadFileBytes(test::TestProgramFolder() + "CVEngine.exe")))
        << "the resume copy is the bare engine";
  }

  std::string InstallOption() const { return " /var:InstallPath=" + target_.Path() + "Hello"; }

  test::TempFolder place_;   // where the setup file lies
  test::TempFolder temp_;    // the engine's temporary root
  test::TempFolder target_;  // where the example is installed
  test::HelloExampleTraces traces_;
};

// The unpack library finds a setup file's first cabinet by its signature; a
// copy of it in the engine or in the library the engine carries would be
// found first.
TEST(EngineProgram, CarriesNoCabinetSignatureOfItsOwn) {
  const std::string signature("MSCF\0\0\0\0", 8);
  for (const char* name : {"CVEngine.exe", "unpack.dll"}) {
    const std::string bytes = test::ReadFileBytes(test::TestProgramFolder() + name);
    ASSERT_GT(bytes.size(), 10000u) << name;
    EXPECT_EQ(bytes.find(signature), std::string::npos) << name;
  }
}

// Everything of the machine but the tests' own temporary folders and
// registry sandboxes.
snapshot::MachineSnapshot Machine() {
  return snapshot::TakeMachineSnapshot(
      {"DIR C:\\users\\root\\Temp\\", "FILE C:\\users\\root\\Temp\\", "REG HKCU\\Software\\CorvaneTest"});
}

// Runs `command` (a setup file or an uninstaller) to its end, answering
// every box of it, or with `ofAnyProcess` of the programs it starts too;
// the boxes' texts.
std::string RunToTheEnd(const std::string& command, const std::map<std::string, std::string>& environment,
                        DWORD& exitCode, bool ofAnyProcess = false) {
  test::DialogWatcher watcher(kNoProcess);
  test::ChildProcess process(command, environment);
  EXPECT_TRUE(process.Started());
  watcher.SetProcess(ofAnyProcess ? 0 : process.Id());
  EXPECT_TRUE(process.Wait(120000));
  exitCode = process.ExitCode();
  std::string texts;
  for (const auto& box : watcher.Seen()) texts += box.Text + "\n";
  return texts;
}

// The example installed silently into its default folder, then removed by
// its registered uninstaller, once directly and once as Wine's "Add or
// remove programs" starts it: the machine is as it was before.
class InstalledExampleTest : public SetupFileTest, public ::testing::WithParamInterface<bool> {};

TEST_P(InstalledExampleTest, InstallsSilentlyAndItsUninstallerLeavesNothing) {
  ASSERT_EQ(Build("--timestamp 2024-01-01"), 0u);
  const snapshot::MachineSnapshot before = Machine();
  DWORD code = 1;
  EXPECT_EQ(RunToTheEnd(Quoted(Setup()) + " /s", {{"TMP", temp_.Path()}, {"TEMP", temp_.Path()}}, code), "");
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(test::FolderEntries(temp_.Path()).empty()) << "the work folder was left";

  const std::string installed = test::HelloExampleTraces::InstallFolder();
  EXPECT_EQ(test::ReadFileBytes(installed + "hello.txt"),
            test::ReadFileBytes(test::ExampleFile("hello\\files\\bin\\hello.txt")));
  EXPECT_FALSE(test::PathExists(installed + "docs")) << "the documentation is not in the typical install";
  EXPECT_EQ(RegReadString(std::string(kExampleKey) + "\\Hello", "InstallPath", ""), installed);
  char greeting[64] = {};
  GetPrivateProfileStringA("Hello", "Greeting", "", greeting, sizeof greeting, (installed + "hello.ini").c_str());
  EXPECT_STREQ(greeting, "Hello from the example");
  EXPECT_TRUE(test::PathExists(test::HelloExampleTraces::StartMenuFolder() + "Readme.lnk"));
  const std::string entry = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CorvaneHello";
  EXPECT_EQ(RegReadString(entry, "DisplayName", ""), "Corvane Hello");
  const std::string uninstall = RegReadString(entry, "UninstallString", "");
  EXPECT_EQ(uninstall, Quoted(installed + "Uninstall.exe") + " " + Quoted(installed + "install.log"));

  // Without a wizard, the uninstaller asks first and tells the end in boxes.
  const bool throughWine = GetParam();
  EXPECT_EQ(RunToTheEnd(throughWine ? std::string("uninstaller.exe --remove CorvaneHello") : uninstall,
                        {{"TMP", temp_.Path()}, {"TEMP", temp_.Path()}}, code, throughWine),
            "Do you want to remove Corvane Hello and all of its parts?\n"
            "Corvane Hello was removed from your computer.\n");
  EXPECT_EQ(code, 0u);
  // The uninstaller removes its own program once it has ended.
  for (int waited = 0; waited < 20000 && test::PathExists(installed); waited += 100) Sleep(100);
  EXPECT_EQ(snapshot::DescribeDifferences(before.DifferencesTo(Machine())), "");
}

INSTANTIATE_TEST_SUITE_P(DirectlyAndThroughWinesUninstaller, InstalledExampleTest, ::testing::Bool());

// The ini file is held open by another program when the ini step reaches
// it: the run shows the error and everything installed before goes away.
TEST_F(SetupFileTest, AFailingStepRollsBackWhatTheRunInstalled) {
  ASSERT_EQ(Build(""), 0u);
  const std::string installed = target_.Path() + "Hello\\";
  ASSERT_TRUE(CreateDirectoryA(installed.c_str(), nullptr));
  ASSERT_TRUE(test::WriteFileBytes(installed + "hello.ini", "[Other]\r\n"));
  HANDLE held = CreateFileA((installed + "hello.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const test::SeenDialog box = RunSetup(
      [&](const std::string& work) {
        ExpectPreparedPackage(work);
        EXPECT_TRUE(test::PathExists(installed + "hello.txt"));
        EXPECT_TRUE(RegValueExists(std::string(kExampleKey) + "\\Hello", "InstallPath"));
      },
      InstallOption());
  CloseHandle(held);
  EXPECT_EQ(box.Text, "Error changing ini-file \"" + installed + "hello.ini\".");
  EXPECT_FALSE(RegKeyExists(kExampleKey)) << "rolled back with the keys it made";
  EXPECT_EQ(test::FolderEntries(installed), std::vector<std::string>{"hello.ini"});
  EXPECT_EQ(test::ReadFileBytes(installed + "hello.ini"), "[Other]\r\n");
}

TEST_F(SetupFileTest, ScrambledAndPasswordProtectedPackagesPrepareTheSameWay) {
  ASSERT_EQ(Build("--scramble --password secret"), 0u);
  const test::SeenDialog box = RunSetup(ExpectPreparedPackage);
  // Nobody gave the password: the installation run refuses to start.
  EXPECT_EQ(box.Text, "Incorrect password has been specified!");
}

TEST_F(SetupFileTest, ASetupFileCutShortOrExtendedIsRefused) {
  ASSERT_EQ(Build(""), 0u);
  const std::string bytes = test::ReadFileBytes(Setup());
  // A byte lost or added in the cabinets, just before the header: the
  // engine program itself stays intact and runs.
  const std::size_t at = bytes.rfind("CVPEND") - 28 - 100;
  for (const std::string& changed : {bytes.substr(0, at) + bytes.substr(at + 1),
                                     bytes.substr(0, at) + "x" + bytes.substr(at)}) {
    ASSERT_TRUE(test::WriteFileBytes(Setup(), changed));
    const test::SeenDialog box = RunSetup([](const std::string&) {});
    EXPECT_EQ(box.Caption, "Invalid package");
    EXPECT_EQ(box.Text, "Invalid package size!\r\rPackage \"" + Setup() +
                            "\" has been corrupted, installation impossible.");
  }
}

}  // namespace
}  // namespace cv
