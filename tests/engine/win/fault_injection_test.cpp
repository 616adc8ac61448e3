// Rollback under injected faults: a product with an item of every kind (a
// program before and after, files, a COM server, registry values, an ini
// entry, a font, a shortcut, environment variables) is installed silently
// with one step made to fail; afterwards the machine (the registry and drive
// C: of the Wine prefix) is exactly as it was before, and the engine's own
// temporary files are gone. A setup killed in the middle of its copy step
// cannot roll back: run again, it installs, and its uninstaller leaves the
// machine as it was.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <sddl.h>
#include <shlobj.h>

#include "child_process.h"
#include "platform/win/file_system.h"
#include "platform/win/registry_path.h"
#include "dialog_watcher.h"
#include "machine_snapshot.h"
#include "setup_files.h"
#include "temp_folder.h"

namespace cv {
namespace {

// Each fault is an item whose condition holds only when /var:FailAt= names
// it; without a fault the product installs completely.
const char* const kProject = R"xml(<cv2project version="1.0">
<build languages="languages.xml"/>
<variables>
	<var name="AppID" value="CorvaneFaultTest"/><var name="AppName" value="Corvane Fault Test"/>
	<var name="InstallPath" value="%ProgramFiles%\Corvane Fault Test"/>
	<var name="FailAt" value=""/>
	<var name="Waiter" value=""/><var name="WaiterArgs" value=""/>
	<var name="TooLong" value="%LONG%"/><var name="Uninstall" value="0"/>
	<var name="PATH" type="envvar" value="%InstallPath%bin" flags="add_path"/>
	<var name="CORVANE_FAULT_HOME" type="envvar" value="%InstallPath%"/>
</variables>
<packages><package id="fault-setup" main="1"/></packages>
<components>
	<component id="Core" name="Core">
		<files>
			<file src="files\readme.txt" dst="readme.txt"/>
			<file src="files\pause.txt" dst="pause.txt" condition="%FailAt% = 'kill'"/>
			<file src="files\lib.dll" dst="bin\lib.dll" flags="shared"/>
			<file src="files\server.dll" dst="bin\server.dll" flags="reg_server"/>
			<file src="files\notaserver.dll" dst="bin\notaserver.dll" flags="reg_server" condition="%FailAt% = 'server'"/>
			<file src="files\inside.txt" dst="readme.txt\inside.txt" condition="%FailAt% = 'files'"/>
		</files>
		<registry>
			<reg key="HKCU\Software\Corvane Fault Test" param="Text" value="%InstallPath%"/>
			<reg key="HKCU\Software\Corvane Fault Test\Numbers" param="Count" value="42" paramtype="int"/>
			<reg key="HKCU\Software\Corvane Fault Test\Numbers" param="Bytes" value="00FF10" paramtype="bin"/>
			<reg key="HKCU\Software\Corvane Fault Test\%TooLong%" param="X" value="1" condition="%FailAt% = 'registry'"/>
			<reg key="HKCU\Software\Corvane Fault Read Only" param="X" value="1" condition="%FailAt% = 'rights'"/>
		</registry>
		<inifiles>
			<ini file="%InstallPath%fault.ini" section="Fault" param="Path" value="%InstallPath%"/>
			<ini file="%InstallPath%readme.txt\fault.ini" section="Fault" param="X" value="1" condition="%FailAt% = 'ini'"/>
			<ini file="%LOCKED%" section="Fault" param="X" value="1" condition="%FailAt% = 'locked'"/>
		</inifiles>
		<shortcuts>
			<shortcut name="%ProgramsMenu%\Corvane Fault Test\Readme" cmdline="%InstallPath%readme.txt"/>
		</shortcuts>
		<runapps>
			<runapp cmdline="%System%\cmd.exe" arg="/c exit 0" whenstart="before_install" showcmd="hide" flags="check_exitcode"/>
			<runapp cmdline="%System%\cmd.exe" arg="/c exit 1" whenstart="before_install" showcmd="hide" flags="check_exitcode" condition="%FailAt% = 'before'"/>
			<runapp cmdline="%System%\cmd.exe" arg="/c exit 1" whenstart="after_install" showcmd="hide" flags="check_exitcode" condition="%FailAt% = 'after'"/>
		</runapps>
	</component>
	<component id="Fonts" name="Fonts" dst="%Fonts%">
		<files><file src="files\CorvaneFaultMono.ttf" dst="CorvaneFaultMono.ttf" flags="reg_font"/></files>
	</component>
	<component id="Big" name="Big" dst="S:\Corvane Fault Test">
		<files><file src="files\big.bin" dst="big.bin" condition="%FailAt% = 'disk'"/></files>
	</component>
</components>
<events>
	<event name="Rollback" eventid="EV_ROLLBACK" whenhandle="before_plugins">
		<action expression="Execute(%Waiter%, %WaiterArgs%, '', 0, 1)"/>
	</event>
	<event name="Pause" eventid="EV_BEFOREPROCESSITEM" whenhandle="before_plugins">
		<if expression="%FailAt% = 'kill' and FileName(GetParam(%EventParams%, 1)) = 'pause.txt'"><then>
			<action expression="Execute(%Waiter%, %WaiterArgs%, '', 0, 1)"/>
		</then></if>
	</event>
	<event name="Cancel" eventid="EV_BEFOREPROCESSITEMS" whenhandle="before_plugins">
		<if expression="%FailAt% = 'cancel' and GetParam(%EventParams%, 0) = '3'"><then>
			<action expression="AbortInstall"/>
		</then></if>
	</event>
</events>
</cv2project>
)xml";

class FaultInjectionTest : public ::testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() {
    place_ = new test::TempFolder;
    const std::string files = place_->Path() + "files\\";
    ASSERT_TRUE(CreateDirectoryA(files.c_str(), nullptr));
    const std::string bin = test::TestProgramFolder();
    ASSERT_TRUE(test::WriteFileBytes(files + "readme.txt", "Read me.\r\n"));
    ASSERT_TRUE(test::WriteFileBytes(files + "pause.txt", "The killed setup stops before this file."));
    ASSERT_TRUE(test::WriteFileBytes(LockedIni(), "[Fault]\r\nX=0\r\n"));
    // More than the small drive holds, and nothing a cabinet can shrink.
    std::string big(3 << 20, '\0');
    std::uint32_t state = 2463534242u;
    for (char& c : big) {
      state ^= state << 13, state ^= state >> 17, state ^= state << 5;
      c = static_cast<char>(state);
    }
    ASSERT_TRUE(test::WriteFileBytes(files + "big.bin", big));
    MakeReadOnlyKey();
    // Sources of the faults: each item needs a member of its own.
    ASSERT_TRUE(test::WriteFileBytes(files + "notaserver.dll", "not a program"));
    ASSERT_TRUE(test::WriteFileBytes(files + "inside.txt", "a file below a file"));
    ASSERT_TRUE(CopyFileA((bin + "versioned\\versioned_2_0_0_0.dll").c_str(), (files + "lib.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((bin + "versioned\\versioned_com_2_0_0_0.dll").c_str(), (files + "server.dll").c_str(),
                          FALSE));
    // Wine lists the host's fonts under their own names, and a font of a
    // listed name replaces the listed file: the test's font has a name of
    // its own ("Corvan Sans Mono").
    std::string font = test::ReadFileBytes("Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSansMono.ttf");
    ASSERT_FALSE(font.empty());
    for (const std::string& from : {std::string("DejaVu"), std::string("\0D\0e\0j\0a\0V\0u", 12)}) {
      const std::string to = from.size() == 6 ? "Corvan" : std::string("\0C\0o\0r\0v\0a\0n", 12);
      for (std::size_t at = font.find(from); at != std::string::npos; at = font.find(from, at + 1)) {
        font.replace(at, from.size(), to);
      }
    }
    ASSERT_TRUE(test::WriteFileBytes(files + "CorvaneFaultMono.ttf", font));
    ASSERT_TRUE(CopyFileA(test::ExampleFile("hello\\languages.xml").c_str(),
                          (place_->Path() + "languages.xml").c_str(), FALSE));
    std::string project = kProject;
    project.replace(project.find("%LONG%"), 6, std::string(300, 'k'));
    project.replace(project.find("%LOCKED%"), 8, LockedIni());
    ASSERT_TRUE(test::WriteFileBytes(place_->Path() + "fault.cv2project", project));
    ASSERT_EQ(test::BuildSetupFile(place_->Path() + "fault.cv2project", place_->Path() + "fault-setup.exe"), 0u);

    // The same product with a plug-in that cancels once the installation is
    // done (at EV_AFTERINSTALL), in a folder of its own.
    const std::string withPlugin = place_->Path() + "plugin\\";
    ASSERT_TRUE(CreateDirectoryA(withPlugin.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((withPlugin + "files").c_str(), nullptr));
    for (const char* file : {"readme.txt", "pause.txt", "big.bin", "notaserver.dll", "inside.txt", "lib.dll", "server.dll",
                             "CorvaneFaultMono.ttf"}) {
      ASSERT_TRUE(CopyFileA((files + file).c_str(), (withPlugin + "files\\" + file).c_str(), FALSE)) << file;
    }
    ASSERT_TRUE(CopyFileA((place_->Path() + "languages.xml").c_str(), (withPlugin + "languages.xml").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((bin + "cvtestplugin_b.dll").c_str(), (withPlugin + "cvtestplugin_b.dll").c_str(), FALSE));
    project.replace(project.find("<package id=\"fault-setup\" main=\"1\"/>"), 36,
                    "<package id=\"fault-setup\" main=\"1\"><plugins><plugin id=\"TestHelper\" src=\"*.dll\"><config>"
                    "<paramgroup name=\"On EV_AFTERINSTALL\"><param name=\"1\" value=\"CM_ABORTINSTALL\"/></paramgroup>"
                    "</config></plugin></plugins></package>");
    ASSERT_TRUE(test::WriteFileBytes(withPlugin + "fault.cv2project", project));
    ASSERT_EQ(test::BuildSetupFile(withPlugin + "fault.cv2project", withPlugin + "fault-setup.exe"), 0u);
  }
  static void TearDownTestSuite() {
    RemoveReadOnlyKey();
    delete place_;
    place_ = nullptr;
  }

  // An ini file the test holds open without sharing while the setup writes to it.
  static std::string LockedIni() { return place_->Path() + "locked.ini"; }

  // A key the setup may read but not write to, as a policy key of another
  // account would be.
  static void MakeReadOnlyKey() {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kReadOnlyKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    SetEveryonesAccess(key, "D:P(A;;KR;;;WD)");
    RegCloseKey(key);
  }
  static void RemoveReadOnlyKey() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kReadOnlyKey, 0, WRITE_DAC, &key) != ERROR_SUCCESS) return;
    SetEveryonesAccess(key, "D:P(A;;KA;;;WD)");
    RegCloseKey(key);
    RegDeleteKeyPath(std::string("HKCU\\") + kReadOnlyKey, true);
  }
  static void SetEveryonesAccess(HKEY key, const char* descriptorText) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(descriptorText, SDDL_REVISION_1, &descriptor,
                                                                     nullptr));
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
    LocalFree(descriptor);
  }
  static constexpr char kReadOnlyKey[] = "Software\\Corvane Fault Read Only";

  // The small drive the test session maps, when it could make one.
  static bool SmallDriveReady() {
    ULARGE_INTEGER total{};
    return GetDiskFreeSpaceExA("S:\\", nullptr, &total, nullptr) && total.QuadPart < (2u << 20);
  }

  // Everything of the machine but the tests' own temporary folders and
  // registry sandboxes.
  static snapshot::MachineSnapshot Machine() {
    return snapshot::TakeMachineSnapshot({"DIR C:\\users\\root\\Temp\\", "FILE C:\\users\\root\\Temp\\",
                                          "REG HKCU\\Software\\CorvaneTest"});
  }

  // Runs the setup silently with a fault at `step`. When the rollback
  // begins (or the copy step reaches the pause for the fault "kill"), a
  // program the project starts waits while `whilePaused` looks at the
  // machine. Answers the exit code and the boxes shown.
  DWORD RunSetup(const std::string& step, const std::function<void(test::ChildProcess&)>& whilePaused,
                 std::string& boxes, const std::string& switches = "") {
    const std::string record = place_->Path() + "rollback.txt";
    DeleteFileA(record.c_str());
    DeleteFileA((record + ".go").c_str());
    test::DialogWatcher watcher(0xFFFFFFFF);
    const std::string setupFile = place_->Path() + (step == "plugin" ? "plugin\\" : "") + "fault-setup.exe";
    test::ChildProcess setup(test::Quoted(setupFile) + " /s /var:FailAt=" + step +
                                 " /var:Waiter=" + test::Quoted(test::TestProgramFolder() + "logon_program.exe") +
                                 " /var:WaiterArgs=" + test::Quoted(test::Quoted(record) + " rollback wait") +
                                 switches,
                             {{"TMP", temp_.Path()}, {"TEMP", temp_.Path()}});
    EXPECT_TRUE(setup.Started());
    watcher.SetProcess(setup.Id());
    for (int waited = 0; waited < 180000 && test::ReadFileBytes(record).empty(); waited += 50) {
      if (WaitForSingleObject(setup.Handle(), 50) == WAIT_OBJECT_0) break;
    }
    const bool paused = !test::ReadFileBytes(record).empty();
    if (paused) whilePaused(setup);
    test::WriteFileBytes(record + ".go", "");
    EXPECT_TRUE(setup.Wait(180000));
    DeleteFileA(record.c_str());
    DeleteFileA((record + ".go").c_str());
    for (const auto& box : watcher.Seen()) boxes += box.Text + "\n";
    EXPECT_TRUE(paused) << "no rollback began";
    return setup.ExitCode();
  }

  // A failed test may leave the product behind; the next one must not
  // start from it.
  void TearDown() override {
    if (!HasFailure()) return;
    DeleteTree("C:\\Program Files\\Corvane Fault Test", true);
    DeleteTree("S:\\Corvane Fault Test", true);
    char programs[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, programs, CSIDL_PROGRAMS, FALSE);
    DeleteTree(std::string(programs) + "\\Corvane Fault Test", true);
    RegDeleteKeyPath("HKCU\\Software\\Corvane Fault Test", true);
    RegDeleteKeyPath("HKCU\\Software\\CorvaneTest\\ComServer", true);
    RegDeleteKeyPath("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CorvaneFaultTest", true);
    RegDeleteValuePath("HKCU\\Environment", "CORVANE_FAULT_HOME");
    RegDeleteValuePath("HKCU\\Environment", "PATH");
    RegDeleteValuePath("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
                       "C:\\Program Files\\Corvane Fault Test\\bin\\lib.dll");
    DeleteFileA("C:\\windows\\Fonts\\CorvaneFaultMono.ttf");
    RegDeleteValuePath("HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "Corvan Sans Mono (TrueType)");
  }

  static test::TempFolder* place_;
  test::TempFolder temp_;
};

test::TempFolder* FaultInjectionTest::place_ = nullptr;

// What each fault finds installed when the rollback begins: everything of
// the steps before it.
const std::map<std::string, std::vector<std::string>> kInstalledBeforeTheFault = {
    {"before", {}},
    {"files", {"added FILE C:\\Program Files\\Corvane Fault Test\\readme.txt"}},
    {"server", {"added FILE C:\\Program Files\\Corvane Fault Test\\bin\\server.dll",
                "\\SharedDLLs\\\\C:\\Program Files\\Corvane Fault Test\\bin\\lib.dll"}},
    {"registry", {"added REG HKCU\\Software\\Corvane Fault Test\\Numbers\\\\Count: REG_DWORD 2A000000"}},
    {"rights", {"added REG HKCU\\Software\\Corvane Fault Test\\Numbers\\\\Count: REG_DWORD 2A000000"}},
    {"ini", {"added FILE C:\\Program Files\\Corvane Fault Test\\fault.ini"}},
    {"locked", {"added FILE C:\\Program Files\\Corvane Fault Test\\fault.ini"}},
    {"disk", {"added FILE C:\\Program Files\\Corvane Fault Test\\bin\\server.dll"}},
    {"cancel", {"added FILE C:\\windows\\Fonts\\CorvaneFaultMono.ttf", "\\Fonts\\\\Corvan Sans Mono (TrueType)"}},
    {"after", {"Corvane Fault Test\\Readme.lnk", "REG HKCU\\Environment\\\\CORVANE_FAULT_HOME",
               "added REG HKCU\\Environment\\\\PATH", "added FILE C:\\windows\\Fonts\\CorvaneFaultMono.ttf",
               "added REG HKCU\\Software\\Corvane Fault Test\\Numbers\\\\Bytes: REG_BINARY 00FF10"}},
    {"plugin", {"Corvane Fault Test\\Readme.lnk", "added REG HKCU\\Environment\\\\PATH",
                "added FILE C:\\Program Files\\Corvane Fault Test\\fault.ini"}},
};

// The test COM server registers itself under the tests' own key, which the
// snapshots leave out for the registry sandboxes of other tests.
bool ServerRegistered() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\CorvaneTest\\ComServer", 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

TEST_P(FaultInjectionTest, TheMachineIsAsBeforeAfterTheRollback) {
  const std::string step = GetParam();
  if (step == "disk" && !SmallDriveReady()) GTEST_SKIP() << "the test session has no small drive S:";
  ASSERT_FALSE(ServerRegistered());
  // Held open without sharing for the whole run: no backup can be taken.
  const HANDLE lock = step == "locked" ? CreateFileA(LockedIni().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                                     FILE_ATTRIBUTE_NORMAL, nullptr)
                                       : nullptr;
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const snapshot::MachineSnapshot before = Machine();
  std::string during, boxes;
  bool registeredDuring = false;
  EXPECT_EQ(RunSetup(step,
                     [&](test::ChildProcess&) {
                       during = snapshot::DescribeDifferences(before.DifferencesTo(Machine()));
                       registeredDuring = ServerRegistered();
                     },
                     boxes),
            0xFFFFFFFFu)
      << boxes;
  // The good server comes before the bad one.
  const bool serverStepDone = step != "before" && step != "files" && step != "disk";
  EXPECT_EQ(registeredDuring, serverStepDone);
  EXPECT_FALSE(ServerRegistered()) << "the server was not unregistered";
  for (const std::string& installed : kInstalledBeforeTheFault.at(step)) {
    EXPECT_NE(during.find(installed), std::string::npos) << installed << "\n" << during;
  }
  if (lock) CloseHandle(lock);
  EXPECT_EQ(snapshot::DescribeDifferences(before.DifferencesTo(Machine())), "") << boxes;
  EXPECT_TRUE(test::FolderEntries(temp_.Path()).empty()) << "the engine's temporary files were left";
  if (step == "disk") {
    EXPECT_FALSE(test::PathExists("S:\\Corvane Fault Test")) << "the full drive was not cleared";
  }
  EXPECT_EQ(test::ReadFileBytes(LockedIni()), "[Fault]\r\nX=0\r\n");
}

// From the first step of the run to its last: a program before the
// installation, the files, the COM servers, the registry, the ini files, a
// full disk, a script's cancel at the shortcuts (after the fonts), a program
// after it, a plug-in's cancel once everything is installed.
INSTANTIATE_TEST_SUITE_P(EachStep, FaultInjectionTest,
                         ::testing::Values("before", "files", "server", "registry", "rights", "ini", "locked", "disk",
                                           "cancel", "after", "plugin"));

TEST_F(FaultInjectionTest, ASetupKilledDuringItsCopyInstallsWhenRunAgainAndUninstallsToNothing) {
  const snapshot::MachineSnapshot before = Machine();
  std::string boxes, during;
  RunSetup("kill",
           [&](test::ChildProcess& setup) {
             during = snapshot::DescribeDifferences(before.DifferencesTo(Machine()));
             EXPECT_TRUE(TerminateProcess(setup.Handle(), 9));
           },
           boxes, " /var:Uninstall=1");
  EXPECT_NE(during.find("added FILE C:\\Program Files\\Corvane Fault Test\\readme.txt"), std::string::npos)
      << "the kill came before the copy began:\n" << during;
  EXPECT_NE(during.find("Interrupted Runs\\\\CorvaneFaultTest"), std::string::npos) << during;
  EXPECT_FALSE(test::FolderEntries(temp_.Path()).empty()) << "the killed run left no work folder";

  // The run again first undoes what the killed one did, work folder and all.
  test::TempFolder again;
  test::DialogWatcher watcher(0xFFFFFFFF);
  test::ChildProcess rerun(test::Quoted(place_->Path() + "fault-setup.exe") + " /s /var:Uninstall=1",
                           {{"TMP", again.Path()}, {"TEMP", again.Path()}});
  watcher.SetProcess(rerun.Id());
  ASSERT_TRUE(rerun.Wait(180000));
  ASSERT_EQ(rerun.ExitCode(), 0u) << boxes;
  EXPECT_TRUE(ServerRegistered());
  EXPECT_TRUE(test::FolderEntries(temp_.Path()).empty()) << "the killed run's work folder is still there";

  const std::string uninstall = test::UninstallCommand("CorvaneFaultTest");
  ASSERT_FALSE(uninstall.empty());
  test::ChildProcess removal(uninstall + " /s", {{"TMP", again.Path()}, {"TEMP", again.Path()}});
  watcher.SetProcess(removal.Id());
  ASSERT_TRUE(removal.Wait(180000));
  EXPECT_EQ(removal.ExitCode(), 0u);
  for (const auto& box : watcher.Seen()) ADD_FAILURE() << "box: " << box.Text;
  EXPECT_FALSE(ServerRegistered());
  EXPECT_EQ(snapshot::DescribeDifferences(before.DifferencesTo(Machine())), "");
}

}  // namespace
}  // namespace cv
