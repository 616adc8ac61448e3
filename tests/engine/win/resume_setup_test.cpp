// A setup file whose installation is interrupted by the end of the Windows
// session while one of its programs runs: the engine saves its state,
// registers itself under RunOnce, and the command Windows would run at the
// next logon finishes the installation with the same result as a run that
// was never interrupted, leaving neither its work folder nor its copy.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "dialog_watcher.h"
#include "platform/win/registry_path.h"
#include "setup_files.h"
#include "temp_folder.h"

namespace cv {
namespace {

constexpr char kRunOnce[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kAppId[] = "CorvaneResumeTest";
constexpr char kProductKey[] = "HKCU\\Software\\Corvane Resume Test";
// Every program of the project, in the order an uninterrupted run starts them.
constexpr char kAllPrograms[] = "D0\r\nD1\r\nB0\r\nB1\r\nA0\r\nA1\r\n";

// Two components, each with a file and a program for each moment: before
// the dialogs (D), before the installation (B) and after it (A). The
// program named by /var:Wait<label>=wait stays until the test lets it go.
std::string Project(const std::string& target, const std::string& record) {
  std::string components;
  for (const char* id : {"0", "1"}) {
    components += std::string("<component id=\"C") + id + "\" name=\"C" + id + "\"><files>" +
                  "<file src=\"files\\file" + id + ".txt\" dst=\"file" + id + ".txt\"/></files><runapps>";
    for (const auto& [moment, when] : {std::pair{"D", "before_dialogs"}, std::pair{"B", "before_install"},
                                       std::pair{"A", "after_install"}}) {
      const std::string label = moment + std::string(id);
      components += "<runapp cmdline=\"%Program%\" arg='\"%Record%\" " + label + " %Wait" + label +
                    "%' whenstart=\"" + when + "\" flags=\"check_exitcode\"/>";
    }
    components += std::string("</runapps><registry><reg key=\"HKCU\\Software\\Corvane Resume Test\" param=\"File") +
                  id + "\" value=\"%InstallPath%file" + id + ".txt\"/></registry></component>";
  }
  std::string waits;
  for (const char* label : {"D0", "D1", "B0", "B1", "A0", "A1"}) {
    waits += std::string("<var name=\"Wait") + label + "\" value=\"\"/>";
  }
  return "<cv2project version=\"1.0\"><build languages=\"languages.xml\"/><variables>"
         "<var name=\"AppID\" value=\"CorvaneResumeTest\"/><var name=\"AppName\" value=\"Resume Test\"/>"
         "<var name=\"InstallPath\" value=\"" + target + "\"/>"
         "<var name=\"Program\" value=\"" + test::TestProgramFolder() + "logon_program.exe\"/>"
         "<var name=\"Record\" value=\"" + record + "\"/><var name=\"Uninstall\" value=\"1\"/>" + waits +
         "</variables><packages><package id=\"resume-setup\" main=\"1\"/></packages><components>" +
         components + "</components></cv2project>";
}

// The engine's hidden main window: top-level, of the engine's class.
struct WindowSearch {
  DWORD process;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectEngineWindow(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (owner == search.process && std::string(name) == "CorvMainWindow") search.found.push_back(window);
  return TRUE;
}

std::vector<HWND> EngineWindows(DWORD process) {
  WindowSearch search{process, {}};
  EnumWindows(CollectEngineWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// RunOnce values whose command mentions `text`, name and data.
std::vector<std::pair<std::string, std::string>> RunOnceValuesWith(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> found;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunOnce, 0, KEY_READ, &key) != ERROR_SUCCESS) return found;
  for (DWORD i = 0;; ++i) {
    char name[256];
    BYTE data[2048];
    DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    data[dataSize] = 0;
    const std::string command(reinterpret_cast<char*>(data));
    if (type == REG_SZ && command.find(text) != std::string::npos) found.emplace_back(name, command);
  }
  RegCloseKey(key);
  return found;
}

void DeleteRunOnceValue(const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunOnce, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, name.c_str());
  RegCloseKey(key);
}

// The texts of the boxes a run showed, one per line.
std::string BoxTexts(const test::DialogWatcher& watcher) {
  std::string texts;
  for (const auto& box : watcher.Seen()) texts += box.Text + "\n";
  return texts;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    if (condition()) return true;
    Sleep(50);
  }
  return condition();
}

class ResumeSetupTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryA((place_.Path() + "files").c_str(), nullptr));
    for (const char* id : {"0", "1"}) {
      ASSERT_TRUE(test::WriteFileBytes(place_.Path() + "files\\file" + id + ".txt", std::string("file ") + id));
    }
    ASSERT_TRUE(CopyFileA(test::ExampleFile("hello\\languages.xml").c_str(),
                          (place_.Path() + "languages.xml").c_str(), FALSE));
  }
  void TearDown() override {
    test::WriteFileBytes(Record() + ".go", "");
    for (const auto& [name, command] : RunOnceValuesWith(temp_.Path())) DeleteRunOnceValue(name);
    RegDeleteKeyPath(kProductKey, true);
    for (const char* root : {"HKLM", "HKCU"}) {
      RegDeleteKeyPath(root + std::string("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + kAppId,
                       true);
    }
  }

  std::string InstallLog() const { return test::ReadFileBytes(target_.Path() + "install.log"); }

  // Removes the product through the uninstaller it registered; answers
  // whether it ran and left nothing in the product's folder and registry.
  bool UninstallsToNothing() {
    const std::string command = test::UninstallCommand(kAppId);
    if (command.empty()) return false;
    test::ChildProcess removal(command + " /s", Environment());
    if (!removal.Wait(120000) || removal.ExitCode() != 0) return false;
    // The uninstaller takes its own program, and then the emptied folder,
    // away once it has ended.
    return WaitUntil([&] { return !test::PathExists(target_.Path()); }, 20000) &&
           !RegKeyExists(kProductKey) && test::UninstallCommand(kAppId).empty();
  }

  // Builds the project for `target`; answers the setup file.
  std::string Build(const std::string& target) {
    const std::string project = place_.Path() + "resume.cv2project";
    const std::string setup = place_.Path() + "resume-setup.exe";
    EXPECT_TRUE(test::WriteFileBytes(project, Project(target, Record())));
    EXPECT_EQ(test::BuildSetupFile(project, setup), 0u);
    return setup;
  }
  std::string Record() const { return place_.Path() + "record.txt"; }
  std::map<std::string, std::string> Environment() const {
    return {{"TMP", temp_.Path()}, {"TEMP", temp_.Path()}};
  }

  test::TempFolder place_, temp_, target_;
};

TEST_P(ResumeSetupTest, AnInstallationInterruptedByLogoffFinishesAtTheNextLogon) {
  const std::string label = GetParam();
  const std::string setup = Build(target_.Path());

  test::DialogWatcher boxes(0xFFFFFFFF);
  test::ChildProcess first(test::Quoted(setup) + " /s /var:Wait" + label + "=wait", Environment());
  ASSERT_TRUE(first.Started());
  boxes.SetProcess(first.Id());
  ASSERT_TRUE(WaitUntil([&] { return test::ReadFileBytes(Record()).find(label) != std::string::npos; },
                        120000))
      << test::ReadFileBytes(Record());
  // Windows asks every top-level window before it ends the session.
  LRESULT agreed = 0;
  for (HWND window : EngineWindows(first.Id())) {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000,
                            &answer)) {
      agreed |= static_cast<LRESULT>(answer);
    }
  }
  EXPECT_EQ(agreed, 1) << "the engine agreed to the logoff";
  ASSERT_TRUE(first.Wait(60000));
  EXPECT_EQ(first.ExitCode(), 0u) << BoxTexts(boxes);

  const auto registered = RunOnceValuesWith(temp_.Path());
  ASSERT_EQ(registered.size(), 1u);
  const auto& [name, command] = registered[0];
  EXPECT_EQ(name.rfind("cv", 0), 0u) << name;
  // '"<copy>" /resume:"<work folder>" /exename:"<setup file>"'
  const auto roots = test::FolderEntries(temp_.Path());
  ASSERT_EQ(roots.size(), 2u) << "the work folder and the engine's copy";
  const std::string copy = roots[0].size() == 12 ? roots[0] : roots[1];
  const std::string work = roots[0].size() == 12 ? roots[1] : roots[0];
  EXPECT_EQ(command, test::Quoted(temp_.Path() + copy) + " /resume:" + test::Quoted(temp_.Path() + work) +
                         " /exename:" + test::Quoted(setup));
  for (const char* saved : {"MainDB", "InstallActions"}) {
    EXPECT_TRUE(test::PathExists(temp_.Path() + work + "\\" + saved)) << saved;
  }

  // The session ends with the program; Windows removes the value and runs
  // the command at the next logon.
  ASSERT_TRUE(test::WriteFileBytes(Record() + ".go", ""));
  DeleteRunOnceValue(name);
  test::ChildProcess resumed(command, Environment());
  ASSERT_TRUE(resumed.Started());
  boxes.SetProcess(resumed.Id());
  ASSERT_TRUE(resumed.Wait(120000)) << BoxTexts(boxes);
  EXPECT_EQ(resumed.ExitCode(), 0u);
  EXPECT_EQ(BoxTexts(boxes), "");

  EXPECT_EQ(test::ReadFileBytes(Record()), kAllPrograms) << "each program ran once, in order";
  for (const char* id : {"0", "1"}) {
    EXPECT_EQ(test::ReadFileBytes(target_.Path() + "file" + id + ".txt"), std::string("file ") + id);
  }
  EXPECT_TRUE(RunOnceValuesWith(temp_.Path()).empty());
  EXPECT_TRUE(WaitUntil([&] { return test::FolderEntries(temp_.Path()).empty(); }, 20000))
      << "the work folder and the copy are gone";

  // The install log is the one a run that was never interrupted writes, and
  // its uninstaller removes everything.
  const std::string resumedLog = InstallLog();
  ASSERT_FALSE(resumedLog.empty());
  ASSERT_TRUE(UninstallsToNothing());
  ASSERT_TRUE(DeleteFileA(Record().c_str()));
  // As for the first run, the product's folder is there before (the
  // uninstaller took it away with its own program).
  CreateDirectoryA(target_.Path().c_str(), nullptr);
  test::ChildProcess uninterrupted(test::Quoted(setup) + " /s", Environment());
  ASSERT_TRUE(uninterrupted.Wait(120000));
  ASSERT_EQ(uninterrupted.ExitCode(), 0u);
  EXPECT_EQ(resumedLog, InstallLog());
  EXPECT_TRUE(UninstallsToNothing());
}

// The second component's program before the dialogs, the first one's
// before the installation, the second one's after it.
INSTANTIATE_TEST_SUITE_P(EachProgramMoment, ResumeSetupTest, ::testing::Values("D1", "B0", "A1"));

TEST_F(ResumeSetupTest, AnUninterruptedRunStartsEveryProgramOnceAndLeavesNothingBehind) {
  const std::string setup = Build(target_.Path());
  test::ChildProcess run(test::Quoted(setup) + " /s", Environment());
  ASSERT_TRUE(run.Started());
  ASSERT_TRUE(run.Wait(120000));
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_EQ(test::ReadFileBytes(Record()), kAllPrograms);
  EXPECT_TRUE(RunOnceValuesWith(temp_.Path()).empty());
  EXPECT_TRUE(test::FolderEntries(temp_.Path()).empty());
}

}  // namespace
}  // namespace cv
