// The presetup's windows on a real desktop: the splash (centred, shaped,
// translucent, kept for its display time) and both forms of the progress
// window.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "engine/win/main_window.h"
#include "engine/win/picture_window.h"
#include "engine/win/presetup_windows.h"
#include "platform/win/screen.h"
#include "recording_operations.h"
#include "temp_folder.h"
#include "test_pictures.h"

namespace cv {
namespace {

using test::BitmapFile;
using test::SplashTail;

// The region data Windows gives for an ellipse of that size.
std::string EllipseRegionFile(int width, int height) {
  HRGN region = CreateEllipticRgn(0, 0, width, height);
  const DWORD size = GetRegionData(region, 0, nullptr);
  std::string bytes(size, '\0');
  GetRegionData(region, size, reinterpret_cast<RGNDATA*>(bytes.data()));
  DeleteObject(region);
  return bytes;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TitleOf(HWND window) {
  char title[128] = {};
  GetWindowTextA(window, title, sizeof title);
  return title;
}

class PresetupWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(main_.Create(GetModuleHandleA(nullptr), nullptr, operations_));
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = folder_.Path() + name;
    EXPECT_TRUE(test::WriteFileBytes(path, bytes));
    return path;
  }

  test::RecordingOperations operations_;
  MainWindow main_;
  test::TempFolder folder_;
};

// The window's answer to WM_ERASEBKGND on a memory device context.
LRESULT ErasesItself(HWND window) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  const LRESULT answer = SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return answer;
}

TEST_F(PresetupWindowsTest, SplashIsCentredShapedTranslucentAndStaysItsTime) {
  const std::string path = Write("splash.bmp", BitmapFile(120, 80, RGB(200, 30, 30), SplashTail(1, 50)));
  Write("splash.rgn", EllipseRegionFile(120, 80));
  SplashWindow splash;
  splash.Show(path, main_.Handle());
  ASSERT_TRUE(splash.Visible());
  HWND window = splash.Handle();
  EXPECT_EQ(ClassOf(window), kMainWindowClass);
  EXPECT_EQ(TitleOf(window), "CVSplashWindow");
  EXPECT_EQ(GetWindow(window, GW_OWNER), main_.Handle());
  EXPECT_EQ(ErasesItself(window), 0) << "left to the default procedure (no class brush)";
  RECT frame;
  GetWindowRect(window, &frame);
  const RECT work = WorkArea();
  EXPECT_EQ(frame.right - frame.left, 120);
  EXPECT_EQ(frame.bottom - frame.top, 80);
  EXPECT_EQ(frame.left, work.left + (work.right - work.left - 120) / 2);
  EXPECT_EQ(frame.top, work.top + (work.bottom - work.top - 80) / 2);
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(window, shape), COMPLEXREGION);
  EXPECT_FALSE(PtInRegion(shape, 1, 1)) << "a corner lies outside the ellipse";
  EXPECT_TRUE(PtInRegion(shape, 60, 40));
  DeleteObject(shape);
  EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYERED);
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 128);
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));

  const DWORD start = GetTickCount();
  splash.End();
  EXPECT_GE(GetTickCount() - start, 900u) << "the splash stays at least its second";
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(splash.Handle(), nullptr);
}

TEST_F(PresetupWindowsTest, AnOpaqueSplashIsNoLayeredWindowAndABadFileShowsNothing) {
  const std::string path = Write("splash.bmp", BitmapFile(40, 30, RGB(0, 0, 255), SplashTail(0, 100)));
  SplashWindow splash;
  splash.Show(path, main_.Handle());
  ASSERT_TRUE(splash.Visible());
  EXPECT_FALSE(GetWindowLongPtrA(splash.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(splash.Handle(), shape), ERROR) << "no region file, no shape";
  DeleteObject(shape);
  splash.End();

  SplashWindow none;
  none.Show(folder_.Path() + "missing.bmp", main_.Handle());
  EXPECT_EQ(none.Handle(), nullptr);
  none.Show(Write("text.bmp", "not a bitmap at all"), main_.Handle());
  EXPECT_EQ(none.Handle(), nullptr);
}

// A package cannot hold the setup with its splash: the display time is
// capped, and a click or Esc ends the wait at once.
TEST_F(PresetupWindowsTest, AClickOrEscEndsALongSplash) {
  const std::string path = Write("splash.bmp", BitmapFile(40, 30, RGB(0, 90, 0), SplashTail(0xFFFFFFFF, 100)));
  for (const UINT message : {WM_LBUTTONDOWN, WM_KEYDOWN}) {
    SplashWindow splash;
    splash.Show(path, main_.Handle());
    ASSERT_TRUE(splash.Visible());
    HWND window = splash.Handle();
    PostMessageA(window, message, message == WM_KEYDOWN ? VK_ESCAPE : MK_LBUTTON, 0);
    const DWORD start = GetTickCount();
    splash.End();
    EXPECT_LT(GetTickCount() - start, 10'000u) << "the splash outlived the user's " << message;
    EXPECT_FALSE(IsWindow(window));
  }
}

// A picture whose headers claim more pixels than its file holds would make
// the system's loader read past the file: it is shown as none.
TEST_F(PresetupWindowsTest, PicturesWithLyingHeadersShowNothing) {
  for (const auto& [width, height] : {std::pair{30000, 30000}, std::pair{200, 200}}) {
    std::string bytes = BitmapFile(2, 2, RGB(1, 2, 3), SplashTail(1, 100));
    BITMAPINFOHEADER info;
    std::memcpy(&info, bytes.data() + sizeof(BITMAPFILEHEADER), sizeof info);
    info.biWidth = width;
    info.biHeight = height;
    std::memcpy(bytes.data() + sizeof(BITMAPFILEHEADER), &info, sizeof info);
    SplashWindow splash;
    splash.Show(Write("splash.bmp", bytes), main_.Handle());
    EXPECT_EQ(splash.Handle(), nullptr) << width;
    Picture picture;
    EXPECT_FALSE(picture.Load(folder_.Path() + "splash.bmp"));
  }
}

TEST_F(PresetupWindowsTest, WithoutAPictureTheProgressWindowIsTheBuiltInDialog) {
  ProgressWindow progress;
  progress.Show(folder_.Path(), "setup", main_.Handle(), false);
  ASSERT_TRUE(progress.Visible());
  EXPECT_EQ(ClassOf(progress.Handle()), "#32770");
  EXPECT_EQ(TitleOf(progress.Handle()), "Preparing \"setup\" package...");
  EXPECT_EQ(ClassOf(progress.Bar()), "msctls_progress32");
  EXPECT_EQ(GetDlgCtrlID(progress.Bar()), 101);
  PBRANGE range = {};
  SendMessageA(progress.Bar(), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 100);
  progress.SetPercent(37);
  EXPECT_EQ(SendMessageA(progress.Bar(), PBM_GETPOS, 0, 0), 37);
  progress.SetTitle("extra");
  EXPECT_EQ(TitleOf(progress.Handle()), "Preparing \"extra\" package...");
  // Shown again, the bar starts from nothing.
  progress.Show(folder_.Path(), "extra", main_.Handle(), false);
  EXPECT_EQ(SendMessageA(progress.Bar(), PBM_GETPOS, 0, 0), 0);
  HWND window = progress.Handle();
  progress.Close();
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(PresetupWindowsTest, APackagesPictureCarriesTheBarAndSitsBesideTheSplash) {
  Write("presetup.bmp", BitmapFile(300, 220, RGB(20, 120, 20)));
  Write("presetup.rgn", EllipseRegionFile(300, 220));
  ProgressWindow progress;
  progress.Show(folder_.Path(), "setup", main_.Handle(), true);
  ASSERT_TRUE(progress.Visible());
  EXPECT_EQ(TitleOf(progress.Handle()), "CVPresetupWindow");
  EXPECT_EQ(ClassOf(progress.Handle()), kMainWindowClass);
  EXPECT_EQ(ErasesItself(progress.Handle()), 1) << "answered without erasing";
  RECT bar;
  GetWindowRect(progress.Bar(), &bar);
  MapWindowPoints(nullptr, progress.Handle(), reinterpret_cast<POINT*>(&bar), 2);
  EXPECT_EQ(bar.left, 82);
  EXPECT_EQ(bar.top, 185);
  EXPECT_EQ(bar.right - bar.left, 173);
  EXPECT_EQ(bar.bottom - bar.top, 16);
  constexpr UINT kGetBarColour = WM_USER + 15;  // PBM_GETBARCOLOR, newer than our headers' target
  EXPECT_EQ(SendMessageA(progress.Bar(), kGetBarColour, 0, 0), 0xFFC876);
  RECT frame;
  GetWindowRect(progress.Handle(), &frame);
  const RECT work = WorkArea();
  EXPECT_EQ(frame.right, work.right - 20);
  EXPECT_EQ(frame.bottom, work.bottom - 20);
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(progress.Handle(), shape), COMPLEXREGION);
  DeleteObject(shape);
}

TEST_F(PresetupWindowsTest, RegionFilesThatAreNoRegionsGiveNone) {
  const std::string good = EllipseRegionFile(50, 50);
  HRGN region = LoadRegionFile(Write("good.rgn", good));
  ASSERT_NE(region, nullptr);
  DeleteObject(region);
  EXPECT_EQ(LoadRegionFile(Write("short.rgn", good.substr(0, 20))), nullptr);
  EXPECT_EQ(LoadRegionFile(Write("cut.rgn", good.substr(0, good.size() - 16))), nullptr);
  std::string wrongHeader = good;
  wrongHeader[0] = 40;
  EXPECT_EQ(LoadRegionFile(Write("header.rgn", wrongHeader)), nullptr);
  EXPECT_EQ(LoadRegionFile(folder_.Path() + "missing.rgn"), nullptr);
  // From an offset inside a larger file.
  const std::string path = Write("packed.bin", "12345678" + good + "tail");
  region = LoadRegion(path, 8, static_cast<std::uint32_t>(good.size()));
  EXPECT_NE(region, nullptr);
  if (region) DeleteObject(region);
}

}  // namespace
}  // namespace cv
