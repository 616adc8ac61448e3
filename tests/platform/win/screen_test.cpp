#include "platform/win/screen.h"

#include <gtest/gtest.h>

#include <string>

#include "test_window.h"

namespace cv {
namespace {

using test::TestWindow;
using test::WorkAreaOverride;

TEST(ScreenSize, IsThePrimaryScreenInPixels) {
  const SIZE size = ScreenSize();
  EXPECT_EQ(size.cx, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(size.cy, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_GT(size.cx, 0);
  EXPECT_GT(size.cy, 0);
}

TEST(ScreenColorBits, IsTheBitsPerPixelOfTheScreen) {
  HDC dc = GetDC(nullptr);
  ASSERT_TRUE(dc);
  const int expected = GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(ScreenColorBits(), expected);
  EXPECT_GE(ScreenColorBits(), 8);
}

TEST(WorkArea, IsTheDesktopWorkArea) {
  RECT expected = {};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &expected, 0));
  const RECT area = WorkArea();
  EXPECT_EQ(area.left, expected.left);
  EXPECT_EQ(area.top, expected.top);
  EXPECT_EQ(area.right, expected.right);
  EXPECT_EQ(area.bottom, expected.bottom);

  const WorkAreaOverride smaller(RECT{30, 40, 530, 440});
  ASSERT_TRUE(smaller.ok());
  const RECT changed = WorkArea();
  EXPECT_EQ(changed.left, 30);
  EXPECT_EQ(changed.top, 40);
  EXPECT_EQ(changed.right, 530);
  EXPECT_EQ(changed.bottom, 440);
}

TEST(CenteredPosition, CentresInTheWorkArea) {
  const POINT at = CenteredPosition(SIZE{300, 201}, RECT{0, 0, 1024, 738}, SIZE{1024, 768});
  EXPECT_EQ(at.x, 362);
  EXPECT_EQ(at.y, 268);  // 537 / 2 rounded down
}

TEST(CenteredPosition, CentresInAnOffsetWorkArea) {
  const POINT at = CenteredPosition(SIZE{100, 50}, RECT{200, 100, 600, 400}, SIZE{1024, 768});
  EXPECT_EQ(at.x, 350);
  EXPECT_EQ(at.y, 225);
}

TEST(CenteredPosition, HalvesAreRoundedTowardZero) {
  // A window wider than the work area: (100 - 151) / 2 is -25, not -26.
  const POINT at = CenteredPosition(SIZE{151, 101}, RECT{200, 300, 300, 350}, SIZE{1024, 768});
  EXPECT_EQ(at.x, 175);
  EXPECT_EQ(at.y, 275);
}

TEST(CenteredPosition, IsShiftedLeftAndUpOntoTheScreen) {
  // The work area reaches past the screen's right and bottom edges.
  const POINT at = CenteredPosition(SIZE{200, 100}, RECT{500, 600, 1000, 900}, SIZE{800, 700});
  EXPECT_EQ(at.x, 600);
  EXPECT_EQ(at.y, 600);
}

TEST(CenteredPosition, IsShiftedRightAndDownOntoTheScreen) {
  const POINT at = CenteredPosition(SIZE{200, 100}, RECT{-300, -200, -100, 0}, SIZE{800, 600});
  EXPECT_EQ(at.x, 0);
  EXPECT_EQ(at.y, 0);
}

TEST(CenteredPosition, KeepsALargerThanScreenRectangleAtTheOrigin) {
  // Shifted left so that its right edge is on the screen, which puts its left
  // edge below 0, which is then moved back to 0.
  const POINT at = CenteredPosition(SIZE{1500, 1000}, RECT{0, 0, 1024, 738}, SIZE{1024, 768});
  EXPECT_EQ(at.x, 0);
  EXPECT_EQ(at.y, 0);
}

TEST(CenterWindow, MovesTheWindowToTheCentreOfTheWorkArea) {
  const WorkAreaOverride area(RECT{100, 50, 700, 450});
  ASSERT_TRUE(area.ok());
  TestWindow window("CorvaneTest centre", RECT{5, 7, 305, 207});
  ASSERT_TRUE(window.get());
  CenterWindow(window.get());
  const RECT rect = window.Rect();
  EXPECT_EQ(rect.left, 250);
  EXPECT_EQ(rect.top, 150);
  EXPECT_EQ(rect.right - rect.left, 300);
  EXPECT_EQ(rect.bottom - rect.top, 200);
  const POINT expected = CenteredPosition(SIZE{300, 200}, WorkArea(), ScreenSize());
  EXPECT_EQ(rect.left, expected.x);
  EXPECT_EQ(rect.top, expected.y);
}

TEST(CenterWindow, UsesTheWholeWorkArea) {
  TestWindow window("CorvaneTest centre", RECT{0, 0, 301, 201});
  ASSERT_TRUE(window.get());
  CenterWindow(window.get());
  const RECT work = WorkArea();
  const RECT rect = window.Rect();
  EXPECT_EQ(rect.left, work.left + (work.right - work.left - 301) / 2);
  EXPECT_EQ(rect.top, work.top + (work.bottom - work.top - 201) / 2);
}

TEST(CenterWindow, KeepsAWindowLargerThanTheScreenAtTheOrigin) {
  const SIZE screen = ScreenSize();
  TestWindow window("CorvaneTest huge", RECT{40, 30, 40 + screen.cx + 300, 30 + screen.cy + 200});
  ASSERT_TRUE(window.get());
  const RECT before = window.Rect();
  ASSERT_GT(before.right - before.left, screen.cx);
  ASSERT_GT(before.bottom - before.top, screen.cy);
  CenterWindow(window.get());
  const RECT rect = window.Rect();
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right - rect.left, before.right - before.left);
  EXPECT_EQ(rect.bottom - rect.top, before.bottom - before.top);
}

TEST(CenterWindow, DoesNotActivateTheWindow) {
  TestWindow active("CorvaneTest active", RECT{0, 0, 100, 100}, WS_POPUP | WS_VISIBLE);
  ASSERT_TRUE(active.get());
  SetActiveWindow(active.get());
  ASSERT_EQ(GetActiveWindow(), active.get());
  TestWindow other("CorvaneTest inactive", RECT{10, 10, 210, 110}, WS_POPUP);
  ASSERT_TRUE(other.get());
  ShowWindow(other.get(), SW_SHOWNOACTIVATE);
  ASSERT_EQ(GetActiveWindow(), active.get());
  CenterWindow(other.get());
  EXPECT_EQ(GetActiveWindow(), active.get());
  EXPECT_NE(other.Rect().left, 10);
}

TEST(RedrawNow, PaintsAtOnce) {
  TestWindow window("CorvaneTest paint", RECT{0, 0, 200, 100}, WS_POPUP | WS_VISIBLE);
  ASSERT_TRUE(window.get());
  UpdateWindow(window.get());
  const int before = window.Count(WM_PAINT);
  RedrawNow(window.get());
  // No message loop ran in between: the paint happened inside RedrawNow.
  EXPECT_EQ(window.Count(WM_PAINT), before + 1);
  RECT update = {};
  EXPECT_FALSE(GetUpdateRect(window.get(), &update, FALSE));
}

// Removes what a test left in the thread's queue, so that tests do not see
// each other's messages.
void DrainQueue() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TEST(PumpMessages, DispatchesPostedMessages) {
  TestWindow window("CorvaneTest pump", RECT{0, 0, 100, 100});
  ASSERT_TRUE(window.get());
  DrainQueue();
  ASSERT_TRUE(PostMessageA(window.get(), WM_APP + 1, 0, 0));
  ASSERT_TRUE(PostMessageA(window.get(), WM_APP + 1, 0, 0));
  ASSERT_TRUE(PostMessageA(window.get(), WM_APP + 2, 0, 0));
  PumpMessages();
  EXPECT_EQ(window.Count(WM_APP + 1), 2);
  EXPECT_EQ(window.Count(WM_APP + 2), 1);
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
}

TEST(PumpMessages, StopsAtQuitAndRemovesIt) {
  TestWindow window("CorvaneTest pump", RECT{0, 0, 100, 100});
  ASSERT_TRUE(window.get());
  DrainQueue();
  ASSERT_TRUE(PostMessageA(window.get(), WM_APP + 1, 0, 0));
  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 3, 0));
  ASSERT_TRUE(PostMessageA(window.get(), WM_APP + 2, 0, 0));
  PumpMessages();
  EXPECT_EQ(window.Count(WM_APP + 1), 1);
  EXPECT_EQ(window.Count(WM_APP + 2), 0);
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  EXPECT_TRUE(PeekMessageA(&message, window.get(), WM_APP + 2, WM_APP + 2, PM_NOREMOVE));
  PumpMessages();
  EXPECT_EQ(window.Count(WM_APP + 2), 1);
}

TEST(PumpMessages, ReturnsOnAnEmptyQueue) {
  DrainQueue();
  PumpMessages();
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
}

class FindWindowByTitleTest : public ::testing::Test {
 protected:
  const std::string title_ = test::RunUniqueName("CorvaneTest Finder ") + " Window";
  TestWindow window_{title_, RECT{0, 0, 100, 100}, WS_POPUP | WS_VISIBLE};
};

TEST_F(FindWindowByTitleTest, FindsTheWindowByItsExactTitle) {
  ASSERT_TRUE(window_.get());
  EXPECT_EQ(FindWindowByTitle(title_), window_.get());
}

TEST_F(FindWindowByTitleTest, MatchesWildcardsWithoutRegardToCase) {
  ASSERT_TRUE(window_.get());
  const std::string id = std::to_string(GetCurrentProcessId());
  EXPECT_EQ(FindWindowByTitle("corvanetest finder " + id + " *"), window_.get());
  EXPECT_EQ(FindWindowByTitle("*FINDER " + id + " WINDOW"), window_.get());
  EXPECT_EQ(FindWindowByTitle("CorvaneTest Finder " + id + " Windo?"), window_.get());
  EXPECT_EQ(FindWindowByTitle("CorvaneTest Finder " + id + " Window?"), nullptr);
  EXPECT_EQ(FindWindowByTitle("CorvaneTest Finder " + id), nullptr);
}

TEST_F(FindWindowByTitleTest, FindsNothingOnceTheWindowIsGone) {
  ASSERT_TRUE(window_.get());
  window_.Destroy();
  EXPECT_EQ(FindWindowByTitle(title_), nullptr);
}

TEST_F(FindWindowByTitleTest, LooksOnlyAtTopLevelWindows) {
  ASSERT_TRUE(window_.get());
  const std::string childTitle = test::RunUniqueName("CorvaneTest Child ");
  TestWindow child(childTitle, RECT{0, 0, 50, 50}, WS_CHILD | WS_VISIBLE, window_.get());
  ASSERT_TRUE(child.get());
  EXPECT_EQ(FindWindowByTitle(childTitle), nullptr);
}

TEST(FindWindowByTitle, WindowsWithoutTitleNeverMatch) {
  TestWindow untitled("", RECT{0, 0, 100, 100}, WS_POPUP | WS_VISIBLE);
  ASSERT_TRUE(untitled.get());
  ASSERT_EQ(GetWindowTextLengthA(untitled.get()), 0);
  EXPECT_EQ(FindWindowByTitle(""), nullptr);
  HWND any = FindWindowByTitle("*");
  ASSERT_NE(any, nullptr);
  EXPECT_GT(GetWindowTextLengthA(any), 0);
}

}  // namespace
}  // namespace cv
