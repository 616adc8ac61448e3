// The built-in functions that look for windows and mutexes and ask the user,
// through the evaluator; and the registration of every platform function.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "dialog_watcher.h"
#include "script/function_args.h"
#include "script/ke_evaluator.h"
#include "platform/win/message_box.h"
#include "script_win_test.h"

namespace cv {
namespace {

using test::DialogIcon;
using test::DialogWatcher;
using test::Literal;
using test::SeenDialog;

class SystemFunctions : public test::ScriptWinTest {
 protected:
  void SetUp() override {
    ScriptWinTest::SetUp();
    // A thread that has not looked at its message queue for a while counts
    // as hung, and the watcher cannot read a hung thread's box.
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  }
};

// A top-level window of the test's own, destroyed when the test ends.
class OwnWindow {
 public:
  explicit OwnWindow(const std::string& title, DWORD style = WS_POPUP) {
    window_ = CreateWindowExA(0, "STATIC", title.c_str(), style, 10, 10, 200, 80, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  }
  OwnWindow(const OwnWindow&) = delete;
  OwnWindow& operator=(const OwnWindow&) = delete;
  ~OwnWindow() { Destroy(); }
  HWND get() const { return window_; }
  void Destroy() {
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
  }

 private:
  HWND window_ = nullptr;
};

struct PlatformFunctionName {
  const char* Name;
  std::int32_t ParamCount;
};

constexpr PlatformFunctionName kPlatformFunctions[] = {
    {"FileVersion", 1},  {"FileDate", 1},       {"FileExists", 1},    {"FolderExists", 1},
    {"CreateFolder", 1}, {"FileSize", 1},       {"ShortFileName", 1}, {"RenameFile", 2},
    {"DeleteFile", 1},   {"Execute", 5},        {"LoadFile", 1},      {"SaveFile", 2},
    {"RegKeyExists", 1}, {"RegParamExists", 2}, {"GetRegParam", 3},   {"SetRegParam", 4},
    {"WindowExists", 1}, {"MutexExists", 1},    {"MessageBox", 4},
};

TEST_F(SystemFunctions, EveryPlatformFunctionIsRegisteredWithItsCount) {
  for (const PlatformFunctionName& entry : kPlatformFunctions) {
    EXPECT_TRUE(PlatformFunction(entry.Name, entry.ParamCount)) << entry.Name;
    EXPECT_FALSE(PlatformFunction(entry.Name, entry.ParamCount + 1)) << entry.Name;
    const TkeFunction* function = TheEvaluator().FindFunction(entry.Name, entry.ParamCount);
    ASSERT_NE(function, nullptr) << entry.Name;
    EXPECT_TRUE(function->Handler) << entry.Name;
    EXPECT_EQ(function->Owner, nullptr) << entry.Name;
    EXPECT_EQ(TheEvaluator().FindFunction(entry.Name, entry.ParamCount + 1), nullptr) << entry.Name;
  }
  EXPECT_TRUE(PlatformFunction("NETFrameworkInstalled", 0));
  EXPECT_TRUE(PlatformFunction("NETFrameworkInstalled", 1));
  EXPECT_FALSE(PlatformFunction("NETFrameworkInstalled", 2));
  EXPECT_FALSE(PlatformFunction("SubStr", 3)) << "not the platform's";
  // A wrong number of arguments is a syntax error of the expression.
  EXPECT_THROW(Eval("FileExists('a', 'b')"), TkeEvaluatorError);
  EXPECT_THROW(Eval("Execute('a', '', '', 0)"), TkeEvaluatorError);
  EXPECT_THROW(Eval("NETFrameworkInstalled('1', '1')"), TkeEvaluatorError);
}

TEST_F(SystemFunctions, WindowExistsMatchesTitlesWithWildcards) {
  const std::string title = "Corvane script window " + std::to_string(GetCurrentProcessId());
  const std::string pid = std::to_string(GetCurrentProcessId());
  OwnWindow window(title);
  ASSERT_TRUE(window.get());
  EXPECT_EQ(Eval("WindowExists(" + Literal(title) + ")"), "1");
  EXPECT_EQ(Eval("WindowExists(" + Literal("CORVANE SCRIPT WINDOW " + pid) + ")"), "1")
      << "case is ignored";
  EXPECT_EQ(Eval("WindowExists(" + Literal("corvane script*" + pid) + ")"), "1");
  EXPECT_EQ(Eval("WindowExists(" + Literal("*script w?ndow " + pid) + ")"), "1");
  EXPECT_EQ(Eval("WindowExists(" + Literal("Corvane script window") + ")"), "0")
      << "the whole title must match";
  EXPECT_EQ(Eval("WindowExists(" + Literal("Corvane script window " + pid + "?") + ")"), "0");
  window.Destroy();
  EXPECT_EQ(Eval("WindowExists(" + Literal(title) + ")"), "0");
  EXPECT_EQ(Eval("WindowExists(" + Literal("*script w?ndow " + pid) + ")"), "0");
}

TEST_F(SystemFunctions, MutexExistsWhileAnyoneHoldsIt) {
  const std::string name = "CorvaneScriptTest" + std::to_string(GetCurrentProcessId());
  EXPECT_EQ(Eval("MutexExists(" + Literal(name) + ")"), "0");
  HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
  ASSERT_TRUE(mutex);
  EXPECT_EQ(Eval("MutexExists(" + Literal(name) + ")"), "1");
  // Asking does not take it: another thread can still own it afterwards.
  ReleaseMutex(mutex);
  bool taken = false;
  std::thread other([&] {
    HANDLE again = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    taken = again && WaitForSingleObject(again, 0) == WAIT_OBJECT_0;
    if (taken) ReleaseMutex(again);
    if (again) CloseHandle(again);
  });
  other.join();
  EXPECT_TRUE(taken);
  CloseHandle(mutex);
  EXPECT_EQ(Eval("MutexExists(" + Literal(name) + ")"), "0");
  EXPECT_EQ(Eval("MutexExists('')"), "0");
}

// The message box a MessageBox call shows, with the buttons it has, and the
// call's result when the watcher presses `button`.
struct ShownBox {
  SeenDialog Box;
  bool Ok = false, Cancel = false, Yes = false, No = false;
  std::string Result;
};

bool HasButton(HWND box, int id) {
  HWND button = GetDlgItem(box, id);
  return button && IsWindowVisible(button);
}

class MessageBoxFunction : public SystemFunctions {
 protected:
  // Evaluates `expression`, which shows one box: records its buttons while
  // it is open, then presses `button`.
  ShownBox Show(const std::string& expression, int button) {
    ShownBox shown;
    DialogWatcher watcher(GetCurrentProcessId(), button);
    watcher.Hold(true);
    std::thread observer([&] {
      if (watcher.WaitForCount(1, 30000)) {
        const std::string caption = watcher.Seen()[0].Caption;
        HWND box = FindWindowA("#32770", caption.c_str());
        shown.Ok = HasButton(box, IDOK);
        shown.Cancel = HasButton(box, IDCANCEL);
        shown.Yes = HasButton(box, IDYES);
        shown.No = HasButton(box, IDNO);
      }
      watcher.Hold(false);
    });
    shown.Result = Eval(expression);
    observer.join();
    const auto seen = watcher.Seen();
    EXPECT_EQ(seen.size(), 1u) << expression;
    if (!seen.empty()) shown.Box = seen[0];
    return shown;
  }
};

TEST_F(MessageBoxFunction, IconsByIndex) {
  struct Case {
    int Index;
    DialogIcon Icon;
  };
  for (const Case& c : {Case{0, DialogIcon::Information}, Case{1, DialogIcon::Question},
                        Case{2, DialogIcon::Warning}, Case{3, DialogIcon::Error},
                        Case{4, DialogIcon::None}, Case{-1, DialogIcon::None}}) {
    const std::string caption = "Icon " + std::to_string(c.Index);
    const ShownBox shown = Show("MessageBox(" + Literal(caption) + ", 'Text of the box', " +
                                    std::to_string(c.Index) + ", 0)",
                                IDOK);
    EXPECT_EQ(shown.Box.Caption, caption);
    EXPECT_EQ(shown.Box.Text, "Text of the box");
    EXPECT_EQ(shown.Box.Icon, c.Icon) << c.Index << ": " << DialogIconName(shown.Box.Icon);
    EXPECT_EQ(shown.Result, "1");
  }
}

TEST_F(MessageBoxFunction, IconNineButtonsNineIsAPlainOkBox) {
  const ShownBox shown = Show("MessageBox('Plain', 'Nothing else.', 9, 9)", IDOK);
  EXPECT_EQ(shown.Box.Caption, "Plain");
  EXPECT_EQ(shown.Box.Text, "Nothing else.");
  EXPECT_EQ(shown.Box.Icon, DialogIcon::None) << DialogIconName(shown.Box.Icon);
  EXPECT_TRUE(shown.Ok);
  EXPECT_FALSE(shown.Cancel);
  EXPECT_FALSE(shown.Yes);
  EXPECT_FALSE(shown.No);
  EXPECT_EQ(shown.Result, "1");
}

TEST_F(MessageBoxFunction, ButtonsAndTheAnswer) {
  ShownBox shown = Show("MessageBox('Question', 'Go on?', 1, 1)", IDYES);
  EXPECT_TRUE(shown.Yes);
  EXPECT_TRUE(shown.No);
  EXPECT_FALSE(shown.Ok);
  EXPECT_FALSE(shown.Cancel);
  EXPECT_EQ(shown.Result, "1");
  EXPECT_EQ(Show("MessageBox('Question', 'Go on?', 1, 1)", IDNO).Result, "0");

  shown = Show("MessageBox('Confirm', 'Install now?', 0, 2)", IDOK);
  EXPECT_TRUE(shown.Ok);
  EXPECT_TRUE(shown.Cancel);
  EXPECT_FALSE(shown.Yes);
  EXPECT_FALSE(shown.No);
  EXPECT_EQ(shown.Result, "1");
  EXPECT_EQ(Show("MessageBox('Confirm', 'Install now?', 0, 2)", IDCANCEL).Result, "0");

  // Buttons 0 and anything that is no number: OK alone.
  shown = Show("MessageBox('Note', 'Done.', 0, 'x')", IDOK);
  EXPECT_TRUE(shown.Ok);
  EXPECT_FALSE(shown.Cancel);
  EXPECT_FALSE(shown.Yes);
  EXPECT_EQ(shown.Result, "1");
}

TEST_F(MessageBoxFunction, ShownEvenWhereItsAnswerCannotMatter) {
  const ShownBox shown = Show("0 and MessageBox('Caption', 'Text', 0, 0)", IDOK);
  EXPECT_EQ(shown.Box.Caption, "Caption");
  EXPECT_EQ(shown.Result, "0");
}

// The wizard's window, as the plug-ins would report it.
HWND reportedWindow = nullptr;

TEST_F(MessageBoxFunction, OwnedByTheWindowThePluginsReport) {
  OwnWindow wizard("Corvane script wizard", WS_POPUP | WS_VISIBLE);
  ASSERT_TRUE(wizard.get());
  reportedWindow = wizard.get();
  SetActiveWindowQuery([] { return reportedWindow; });
  const ShownBox shown = Show("MessageBox('Owned', 'By the wizard.', 0, 0)", IDOK);
  SetActiveWindowQuery(nullptr);
  EXPECT_EQ(shown.Box.Owner, wizard.get());
}

}  // namespace
}  // namespace cv
