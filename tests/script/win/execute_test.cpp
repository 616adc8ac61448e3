// Starting programs: the platform's RunAndWait, and the Execute function
// through the evaluator, with a helper program that reports how it was
// started.

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "dialog_watcher.h"
#include "platform/win/programs.h"
#include "platform/win/registry_path.h"
#include "platform/win/run_program.h"
#include "script_win_test.h"
#include "setup_files.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::DialogWatcher;
using test::HelperProgram;
using test::Literal;
using test::ReadFileBytes;
using test::ReportValue;
using test::TempFolder;
using test::WaitForFile;
using test::WriteFileBytes;

using test::Quoted;

// The folder as a program sees it as its current folder: no trailing
// backslash, upper case for comparing.
std::string FolderKey(std::string folder) {
  if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  CharUpperA(folder.data());
  return folder;
}

class RunAndWaitTest : public test::ScriptWinTest {
 protected:
  void SetUp() override {
    ScriptWinTest::SetUp();
    ASSERT_NE(GetFileAttributesA(HelperProgram().c_str()), INVALID_FILE_ATTRIBUTES)
        << HelperProgram();
  }
  void TearDown() override {
    StopWaitingForPrograms() = false;
    ScriptWinTest::TearDown();
  }
  std::string Path(const std::string& name) const { return temp_.Path() + name; }

  TempFolder temp_;
};

TEST_F(RunAndWaitTest, ExitCodeOfTheProgramComesBack) {
  EXPECT_EQ(RunAndWait(nullptr, HelperProgram(), "--exit 42", SW_HIDE, ""), 42);
  EXPECT_EQ(RunAndWait(nullptr, HelperProgram(), "--exit 0", SW_HIDE, ""), 0);
  EXPECT_EQ(RunAndWait(nullptr, HelperProgram(), "--exit -5", SW_HIDE, ""), -5);
  // The name may come in double quotes.
  EXPECT_EQ(RunAndWait(nullptr, Quoted(HelperProgram()), "--exit 7", SW_HIDE, ""), 7);
}

TEST_F(RunAndWaitTest, ParametersFolderAndWindowModeReachTheProgram) {
  const std::string report = Path("report.txt");
  EXPECT_EQ(RunAndWait(nullptr, HelperProgram(), "--report " + Quoted(report) + " --exit 3",
                       SW_SHOWMINNOACTIVE, "  " + Quoted(temp_.Path()) + " "),
            3);
  const std::string text = ReadFileBytes(report);
  EXPECT_EQ(ReportValue(text, "args"), "--report|" + report + "|--exit|3");
  EXPECT_EQ(FolderKey(ReportValue(text, "folder")), FolderKey(temp_.Path()));
  EXPECT_EQ(ReportValue(text, "show"), std::to_string(SW_SHOWMINNOACTIVE));
}

TEST_F(RunAndWaitTest, NothingStartedGivesMinusOne) {
  // A missing program goes to the shell, which cannot open it either.
  DialogWatcher watcher;  // answers any box the shell shows about it
  EXPECT_EQ(RunAndWait(nullptr, Path("missing.exe"), "", SW_HIDE, ""), -1);
  EXPECT_EQ(RunAndWait(nullptr, Path("missing.txt"), "", SW_HIDE, ""), -1);
  // A file named like a program that is none cannot be started.
  ASSERT_TRUE(WriteFileBytes(Path("broken.exe"), "not a program at all"));
  EXPECT_EQ(RunAndWait(nullptr, Path("broken.exe"), "", SW_HIDE, ""), -1);
}

// A document type of the test's own whose "open" command runs the helper.
class DocumentType {
 public:
  DocumentType(const std::string& extension, const std::string& command)
      : extension_("HKLM\\Software\\Classes\\" + extension),
        type_("HKLM\\Software\\Classes\\CorvaneScriptTestDocument") {
    ok_ = RegWriteString(extension_, "", "CorvaneScriptTestDocument") &&
          RegWriteString(type_ + "\\shell\\open\\command", "", command);
  }
  DocumentType(const DocumentType&) = delete;
  DocumentType& operator=(const DocumentType&) = delete;
  ~DocumentType() {
    RegDeleteKeyPath(extension_, true);
    RegDeleteKeyPath(type_, true);
  }
  bool ok() const { return ok_; }

 private:
  std::string extension_, type_;
  bool ok_ = false;
};

TEST_F(RunAndWaitTest, DocumentsOpenWithTheirProgramAndItsExitCodeComesBack) {
  DocumentType type(".cvscripttest", Quoted(HelperProgram()) + " --report \"%1.report\" --exit 5");
  ASSERT_TRUE(type.ok());
  const std::string document = Path("letter.cvscripttest");
  ASSERT_TRUE(WriteFileBytes(document, "a document"));
  EXPECT_EQ(RunAndWait(nullptr, document, "", SW_SHOWNORMAL, temp_.Path()), 5);
  EXPECT_TRUE(test::PathExists(document + ".report"));
}

bool CreateShortcut(const std::string& link, const std::string& target,
                    const std::string& arguments) {
  IShellLinkA* shellLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&shellLink)))) {
    return false;
  }
  bool saved = false;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shellLink->SetPath(target.c_str())) &&
      SUCCEEDED(shellLink->SetArguments(arguments.c_str())) &&
      SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t wide[MAX_PATH * 2];
    MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH * 2);
    saved = SUCCEEDED(file->Save(wide, TRUE));
    file->Release();
  }
  shellLink->Release();
  return saved;
}

TEST_F(RunAndWaitTest, AShortcutStartsItsTargetThroughTheShell) {
  // A shortcut is no program: the shell resolves it, and the target's
  // process is the one waited for.
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  const std::string link = Path("helper.lnk");
  const std::string report = Path("shortcut.report");
  const bool created =
      CreateShortcut(link, HelperProgram(), "--report " + Quoted(report) + " --exit 6");
  CoUninitialize();
  ASSERT_TRUE(created);
  EXPECT_EQ(RunAndWait(nullptr, link, "", SW_HIDE, ""), 6);
  EXPECT_TRUE(WaitForFile(report, 1000));
}

TEST_F(RunAndWaitTest, StopsWaitingWhenWindowsEnds) {
  const std::string eventName = "CorvaneScriptTestGo" + std::to_string(GetCurrentProcessId());
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
  ASSERT_TRUE(go);
  const std::string report = Path("started.txt");
  StopWaitingForPrograms() = true;
  const DWORD start = GetTickCount();
  const std::int32_t result = RunAndWait(
      nullptr, HelperProgram(),
      "--report " + Quoted(report) + " --wait-event " + eventName + " --exit 9", SW_HIDE, "");
  const DWORD took = GetTickCount() - start;
  StopWaitingForPrograms() = false;
  // The program was started all the same; let it end.
  EXPECT_TRUE(WaitForFile(report));
  SetEvent(go);
  CloseHandle(go);
  EXPECT_EQ(result, 0);
  EXPECT_LT(took, 10000u);
}

// Counts the messages that reach it.
int gPumped = 0;
LRESULT CALLBACK CountingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) ++gPumped;
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(RunAndWaitTest, WindowsOfTheWaitingThreadStayResponsive) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = CountingProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "CorvaneScriptCountingWindow";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
  ASSERT_TRUE(window);
  gPumped = 0;
  PostMessageA(window, WM_APP, 0, 0);
  EXPECT_EQ(RunAndWait(nullptr, HelperProgram(), "--sleep 500 --exit 1", SW_HIDE, ""), 1);
  EXPECT_EQ(gPumped, 1);
  DestroyWindow(window);
}

class ExecuteFunction : public RunAndWaitTest {
 protected:
  std::string Execute(const std::string& program, const std::string& parameters,
                      const std::string& folder, const std::string& mode, bool wait) {
    return Eval("Execute(" + Literal(program) + ", " + Literal(parameters) + ", " +
                Literal(folder) + ", " + mode + ", " + (wait ? "1" : "0") + ")");
  }
  // The window mode the helper was started with, for a show-mode index.
  std::string ShowModeOf(const std::string& mode, bool wait) {
    const std::string report = Path("mode" + std::to_string(++runs_) + ".txt");
    const std::string result =
        Execute(HelperProgram(), "--report " + Quoted(report), "", mode, wait);
    EXPECT_EQ(result, "0") << mode;
    if (!WaitForFile(report)) return "no report";
    return ReportValue(ReadFileBytes(report), "show");
  }

  int runs_ = 0;
};

TEST_F(ExecuteFunction, WaitingGivesTheExitCode) {
  EXPECT_EQ(Execute(HelperProgram(), "--exit 9", "", "0", true), "9");
  EXPECT_EQ(Execute(HelperProgram(), "--exit -2", "", "0", true), "-2");
  // A wait flag is any text beginning with "1".
  EXPECT_EQ(Eval("Execute(" + Literal(HelperProgram()) + ", '--exit 4', '', 3, '1yes')"), "4");
  DialogWatcher watcher;
  EXPECT_EQ(Execute(Path("missing.exe"), "", "", "0", true), "-1");
}

TEST_F(ExecuteFunction, ParametersAndFolderReachTheProgram) {
  const std::string report = Path("params.txt");
  EXPECT_EQ(
      Execute(HelperProgram(), "--report " + Quoted(report) + " --exit 0", temp_.Path(), "3", true),
      "0");
  const std::string text = ReadFileBytes(report);
  EXPECT_EQ(ReportValue(text, "args"), "--report|" + report + "|--exit|0");
  EXPECT_EQ(FolderKey(ReportValue(text, "folder")), FolderKey(temp_.Path()));

  const std::string later = Path("later.txt");
  EXPECT_EQ(Execute(HelperProgram(), "--report " + Quoted(later), temp_.Path(), "3", false), "0");
  ASSERT_TRUE(WaitForFile(later));
  const std::string laterText = ReadFileBytes(later);
  EXPECT_EQ(ReportValue(laterText, "args"), "--report|" + later);
  EXPECT_EQ(FolderKey(ReportValue(laterText, "folder")), FolderKey(temp_.Path()));
}

TEST_F(ExecuteFunction, ShowModesAreClampedToTheFourKnownOnes) {
  for (const bool wait : {true, false}) {
    EXPECT_EQ(ShowModeOf("0", wait), std::to_string(SW_SHOWNORMAL)) << wait;
    EXPECT_EQ(ShowModeOf("1", wait), std::to_string(SW_SHOWMINNOACTIVE)) << wait;
    EXPECT_EQ(ShowModeOf("2", wait), std::to_string(SW_SHOWMAXIMIZED)) << wait;
    EXPECT_EQ(ShowModeOf("3", wait), std::to_string(SW_HIDE)) << wait;
    EXPECT_EQ(ShowModeOf("7", wait), std::to_string(SW_HIDE)) << wait;
    EXPECT_EQ(ShowModeOf("-4", wait), std::to_string(SW_SHOWNORMAL)) << wait;
    EXPECT_EQ(ShowModeOf("'hidden'", wait), std::to_string(SW_SHOWNORMAL)) << wait;
  }
}

TEST_F(ExecuteFunction, WithoutWaitingTheShellsErrorCodeComesBack) {
  EXPECT_EQ(Execute(Path("missing.exe"), "", "", "3", false), "2") << "file not found";
  ASSERT_TRUE(WriteFileBytes(Path("unknown.cvnotype"), "no program opens this"));
  DialogWatcher watcher;  // answers any box the shell shows about it
  EXPECT_EQ(Execute(Path("unknown.cvnotype"), "", "", "3", false), std::to_string(SE_ERR_NOASSOC));
}

}  // namespace
}  // namespace cv
