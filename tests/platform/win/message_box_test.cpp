#include "platform/win/message_box.h"

#include <gtest/gtest.h>

#include <thread>

#include "dialog_watcher.h"
#include "platform/win/screen.h"
#include "test_window.h"

namespace cv {
namespace {

using test::DialogIcon;
using test::DialogWatcher;
using test::SeenDialog;
using test::TestWindow;

// The message-box settings are process-wide: every test starts from the
// settings the engine has before start-up and leaves them so.
class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    // Windows counts a thread that has not looked at its message queue for
    // five seconds as hung, and the watcher cannot read a hung thread's box
    // until its message loop runs. Under Wine, destroying the windows of the
    // tests before takes about that long, so the queue is looked at here.
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  }
  void TearDown() override { ResetSettings(); }

  static void ResetSettings() {
    SetApplicationName("");
    SetMessageBoxOwner(nullptr);
    SetActiveWindowQuery(nullptr);
    SetMessageBoxStyle(0);
  }

  // Centred in `area`, halves rounded down, and where CenteredPosition puts
  // it for the current work area.
  static void ExpectCentredIn(const SeenDialog& box, const RECT& area) {
    const LONG width = box.Rect.right - box.Rect.left;
    const LONG height = box.Rect.bottom - box.Rect.top;
    ASSERT_GT(width, 0);
    ASSERT_LT(width, area.right - area.left);
    EXPECT_EQ(box.Rect.left, area.left + (area.right - area.left - width) / 2) << box.Caption;
    EXPECT_EQ(box.Rect.top, area.top + (area.bottom - area.top - height) / 2) << box.Caption;
    const POINT expected = CenteredPosition(SIZE{width, height}, WorkArea(), ScreenSize());
    EXPECT_EQ(box.Rect.left, expected.x) << box.Caption;
    EXPECT_EQ(box.Rect.top, expected.y) << box.Caption;
  }
};

// The test display has no task bar, so its work area is the whole screen, and
// Windows itself places a box in the middle of the screen: these tests use a
// smaller, off-centre work area, where only the engine's centring puts a box
// in its middle.
//
// Wine activates a box without owner before the box has its final size and
// then centres it on the monitor itself, so there the engine's centring is not
// what the user sees; boxes in these tests have an owner, as the engine's
// boxes have once the hidden main window exists.
class CentringTest : public MessageBoxTest {
 protected:
  void SetUp() override {
    MessageBoxTest::SetUp();
    ASSERT_TRUE(workArea_.ok());
    ASSERT_TRUE(main_.get());
    SetMessageBoxOwner(main_.get());
  }
  static void ExpectCentred(const SeenDialog& box) { ExpectCentredIn(box, kArea); }

  static constexpr RECT kArea{100, 50, 700, 450};
  test::WorkAreaOverride workArea_{kArea};
  TestWindow main_{"CorvaneTest main", RECT{0, 0, 200, 100}};
};

HWND gReportedActiveWindow = nullptr;
HWND ReportActiveWindow() { return gReportedActiveWindow; }

TEST_F(MessageBoxTest, ShowErrorIsCaptionedErrorWithoutApplicationName) {
  DialogWatcher watcher;
  ShowError("The file data1.cvp is damaged.");
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Caption, "Error");
  EXPECT_EQ(seen[0].Text, "The file data1.cvp is damaged.");
  EXPECT_EQ(seen[0].Icon, DialogIcon::Error) << DialogIconName(seen[0].Icon);
  // Before the main window exists the box has no owner.
  EXPECT_EQ(seen[0].Owner, nullptr);
  ExpectCentredIn(seen[0], WorkArea());
}

TEST_F(MessageBoxTest, ShowErrorIsCaptionedWithTheApplicationName) {
  SetApplicationName("Brindle Notes 3 Setup");
  DialogWatcher watcher;
  ShowError("Not enough disk space.");
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Caption, "Brindle Notes 3 Setup");
  EXPECT_EQ(seen[0].Text, "Not enough disk space.");
  EXPECT_EQ(seen[0].Icon, DialogIcon::Error) << DialogIconName(seen[0].Icon);
}

TEST_F(MessageBoxTest, ShowWarningIsCaptionedWarningWithWarningIcon) {
  DialogWatcher watcher;
  ShowWarning("The folder already exists.");
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Caption, "Warning");
  EXPECT_EQ(seen[0].Text, "The folder already exists.");
  EXPECT_EQ(seen[0].Icon, DialogIcon::Warning) << DialogIconName(seen[0].Icon);
  ExpectCentredIn(seen[0], WorkArea());
}

TEST_F(MessageBoxTest, ShowWarningIsCaptionedWithTheApplicationName) {
  SetApplicationName("Brindle Notes 3 Setup");
  DialogWatcher watcher;
  ShowWarning("The folder already exists.");
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Caption, "Brindle Notes 3 Setup");
  EXPECT_EQ(seen[0].Icon, DialogIcon::Warning) << DialogIconName(seen[0].Icon);
}

TEST_F(MessageBoxTest, ShowMessageBoxAnswersThePressedButton) {
  {
    DialogWatcher watcher(GetCurrentProcessId(), IDNO);
    EXPECT_EQ(
        ShowMessageBox(nullptr, "Question", "Replace the newer file?", MB_YESNO | MB_ICONQUESTION),
        IDNO);
    const auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Caption, "Question");
    EXPECT_EQ(seen[0].Text, "Replace the newer file?");
    EXPECT_EQ(seen[0].Icon, DialogIcon::Question) << DialogIconName(seen[0].Icon);
  }
  {
    DialogWatcher watcher(GetCurrentProcessId(), IDYES);
    EXPECT_EQ(ShowMessageBox(nullptr, "Question", "Replace the newer file?", MB_YESNO), IDYES);
    const auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Icon, DialogIcon::None);
  }
  {
    DialogWatcher watcher(GetCurrentProcessId(), IDCANCEL);
    EXPECT_EQ(ShowMessageBox(nullptr, "Question", "Retry?", MB_RETRYCANCEL), IDCANCEL);
  }
}

TEST_F(MessageBoxTest, EveryBoxCarriesTheEngineStyle) {
  // Windows draws most style flags only on some systems; an icon flag shows
  // on every one that the style reaches the box.
  SetMessageBoxStyle(MB_ICONINFORMATION);
  DialogWatcher watcher;
  EXPECT_EQ(ShowMessageBox(nullptr, "Note", "Styled.", MB_OK), IDOK);
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Icon, DialogIcon::Information) << DialogIconName(seen[0].Icon);
}

TEST_F(MessageBoxTest, BoxIsTaskModal) {
  // While the box is open (the watcher holds it) a helper thread looks at the
  // thread's other window: a task-modal box without owner disables it.
  TestWindow other("CorvaneTest other window", RECT{0, 0, 200, 100}, WS_POPUP | WS_VISIBLE);
  ASSERT_TRUE(other.get());
  DialogWatcher watcher;
  watcher.Hold(true);
  bool seen = false;
  bool otherEnabled = true;
  std::thread observer([&] {
    seen = watcher.WaitForCount(1, 30000);
    if (seen) otherEnabled = IsWindowEnabled(other.get()) != 0;
    watcher.Hold(false);
  });
  const int answer = ShowMessageBox(nullptr, "Modal", "Hold on.", MB_OK);
  observer.join();
  EXPECT_EQ(answer, IDOK);
  ASSERT_TRUE(seen);
  EXPECT_FALSE(otherEnabled);
  EXPECT_TRUE(IsWindowEnabled(other.get()));
}

TEST_F(CentringTest, ShowErrorIsOwnedByTheMainWindowAndCentred) {
  DialogWatcher watcher;
  ShowError("Cannot create the work folder.");
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Caption, "Error");
  EXPECT_EQ(seen[0].Owner, main_.get());
  ExpectCentred(seen[0]);
}

TEST_F(CentringTest, ShowWarningIsOwnedByTheMainWindowAndCentred) {
  DialogWatcher watcher;
  ShowWarning("The folder already exists.");
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Caption, "Warning");
  EXPECT_EQ(seen[0].Owner, main_.get());
  ExpectCentred(seen[0]);
}

TEST_F(CentringTest, ShowErrorIsOwnedByTheLastActivePopupOfTheMainWindow) {
  // The hidden main window owns the presetup window while it shows: the box
  // belongs to that window, so it stays in front of it.
  TestWindow popup("CorvaneTest presetup", RECT{20, 20, 220, 120}, WS_POPUP | WS_VISIBLE,
                   main_.get());
  ASSERT_TRUE(popup.get());
  SetActiveWindow(popup.get());
  ASSERT_EQ(GetLastActivePopup(main_.get()), popup.get());
  DialogWatcher watcher;
  ShowError("Please close the other setup first.");
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Owner, popup.get());
  ExpectCentred(seen[0]);
}

TEST_F(CentringTest, ShowErrorBoxHasItsCaptionAndTheReportedActiveWindowAsOwner) {
  TestWindow wizard("CorvaneTest wizard", RECT{600, 400, 1000, 700}, WS_POPUP | WS_VISIBLE);
  ASSERT_TRUE(wizard.get());
  gReportedActiveWindow = wizard.get();
  SetActiveWindowQuery(ReportActiveWindow);
  DialogWatcher watcher;
  ShowErrorBox("Setup", "Error creating shortcut \"C:\\Menu\\Reader.lnk\".");
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Caption, "Setup");
  EXPECT_EQ(seen[0].Text, "Error creating shortcut \"C:\\Menu\\Reader.lnk\".");
  EXPECT_EQ(seen[0].Icon, DialogIcon::Error) << DialogIconName(seen[0].Icon);
  EXPECT_EQ(seen[0].Owner, wizard.get());
  // Centred in the work area, not over the wizard window.
  ExpectCentred(seen[0]);
}

TEST_F(CentringTest, ShowErrorBoxWithoutQueryIsOwnedByTheMainWindow) {
  DialogWatcher watcher;
  ShowErrorBox("Error", "Error setting environment variable \"PATH\".");
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Caption, "Error");
  EXPECT_EQ(seen[0].Icon, DialogIcon::Error) << DialogIconName(seen[0].Icon);
  EXPECT_EQ(seen[0].Owner, main_.get());
  ExpectCentred(seen[0]);
}

TEST_F(CentringTest, BoxOwnedByAHiddenWizardIsStillCentred) {
  TestWindow wizard("CorvaneTest wizard", RECT{0, 0, 300, 200});
  ASSERT_TRUE(wizard.get());
  ASSERT_FALSE(IsWindowVisible(wizard.get()));
  gReportedActiveWindow = wizard.get();
  SetActiveWindowQuery(ReportActiveWindow);
  DialogWatcher watcher;
  ShowErrorBox("Error", "Cannot register the font.");
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Owner, wizard.get());
  ExpectCentred(seen[0]);
}

TEST_F(CentringTest, ShowMessageBoxCentresABoxOfTheGivenOwner) {
  DialogWatcher watcher(GetCurrentProcessId(), IDYES);
  EXPECT_EQ(ShowMessageBox(main_.get(), "Question", "Restart now?", MB_YESNO), IDYES);
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Owner, main_.get());
  ExpectCentred(seen[0]);
}

TEST_F(CentringTest, BoxesInARowAreAllCentredAndTheHookIsGoneAfterwards) {
  DialogWatcher watcher;
  ShowError("First.");
  ShowWarning("Second, a longer text so that this box has another width than the first.");
  ShowMessageBox(main_.get(), "Third", "Third.", MB_OKCANCEL);
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 3u);
  for (const SeenDialog& box : seen) ExpectCentred(box);
  EXPECT_NE(seen[0].Rect.right - seen[0].Rect.left, seen[1].Rect.right - seen[1].Rect.left);

  // A window activated after the boxes stays where it was put: no centring
  // hook is left on the thread.
  TestWindow later("CorvaneTest later", RECT{10, 20, 210, 120}, WS_POPUP);
  ASSERT_TRUE(later.get());
  ShowWindow(later.get(), SW_SHOW);
  SetActiveWindow(later.get());
  EXPECT_EQ(GetActiveWindow(), later.get());
  EXPECT_EQ(later.Rect().left, 10);
  EXPECT_EQ(later.Rect().top, 20);
}

TEST_F(CentringTest, BoxOfAnotherThreadIsCentredByThatThreadsOwnHook) {
  DialogWatcher watcher;
  int answer = 0;
  std::thread other([&] {
    TestWindow owner("CorvaneTest worker window", RECT{0, 0, 100, 100});
    answer = ShowMessageBox(owner.get(), "Other", "From a worker.", MB_OK);
  });
  other.join();
  EXPECT_EQ(answer, IDOK);
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  ExpectCentred(seen[0]);
}

}  // namespace
}  // namespace cv
