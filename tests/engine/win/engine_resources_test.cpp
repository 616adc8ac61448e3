// The resources the engine program carries, read back as Windows reads them.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "child_process.h"
#include "engine/resource_ids.h"
#include "engine/win/unpack_resource.h"
#include "temp_folder.h"
#include "unpack/unpack_api.h"

namespace cv {
namespace {

INT_PTR CALLBACK IgnoreDialogMessages(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(EngineResources, PresetupDialogHasItsIconProgressBarAndText) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  HWND dialog =
      CreateDialogA(GetModuleHandleA(nullptr), "DLG_PRESETUP", nullptr, IgnoreDialogMessages);
  ASSERT_NE(dialog, nullptr);

  RECT size{0, 0, 200, 70};
  MapDialogRect(dialog, &size);
  RECT client = {};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);
  EXPECT_TRUE(GetWindowLongA(dialog, GWL_STYLE) & WS_CAPTION);

  char className[64] = {};
  HWND icon = GetDlgItem(dialog, CV_IDC_PRESETUP_ICON);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(GetWindowLongA(icon, GWL_STYLE) & SS_TYPEMASK, SS_ICON);
  EXPECT_NE(SendMessageA(icon, STM_GETICON, 0, 0), 0);

  HWND progress = GetDlgItem(dialog, CV_IDC_PRESETUP_PROGRESS);
  ASSERT_NE(progress, nullptr);
  GetClassNameA(progress, className, sizeof className);
  EXPECT_EQ(lstrcmpiA(className, "msctls_progress32"), 0);
  // Position and size are converted from dialog units separately.
  RECT position{42, 52, 149, 10};
  MapDialogRect(dialog, &position);
  RECT placed = {};
  GetWindowRect(progress, &placed);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.left, position.left);
  EXPECT_EQ(placed.top, position.top);
  EXPECT_EQ(placed.right - placed.left, position.right);
  EXPECT_EQ(placed.bottom - placed.top, position.bottom);

  char text[512] = {};
  GetDlgItemTextA(dialog, CV_IDC_PRESETUP_TEXT, text, sizeof text);
  EXPECT_STREQ(text,
               "Setup is preparing the Corvane Wizard which will guide you through the program "
               "setup process. Please wait.");
  EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, CV_IDC_PRESETUP_TEXT), GWL_STYLE) & SS_NOPREFIX);
  DestroyWindow(dialog);
}

TEST(EngineResources, ProgramIconLoads) {
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
  ASSERT_NE(icon, nullptr);
  DestroyIcon(icon);
}

TEST(EngineResources, WrittenUnpackLibraryLoadsWithItsThreeEntryPoints) {
  test::TempFolder folder;
  const std::string path = folder.Path() + "unpack.dll";
  ASSERT_TRUE(WriteUnpackLibrary(GetModuleHandleA(nullptr), path));
  HMODULE library = LoadLibraryA(path.c_str());
  ASSERT_NE(library, nullptr);
  auto open =
      reinterpret_cast<unpack::OpenFn>(reinterpret_cast<void*>(GetProcAddress(library, "Open")));
  auto enumerate = reinterpret_cast<unpack::EnumerateFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "Enumerate")));
  auto close =
      reinterpret_cast<unpack::CloseFn>(reinterpret_cast<void*>(GetProcAddress(library, "Close")));
  ASSERT_NE(open, nullptr);
  ASSERT_NE(enumerate, nullptr);
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(open(path.c_str(), 0, 0), 1);
  // Extraction is not built yet: it reports failure rather than success.
  EXPECT_EQ(enumerate(nullptr, nullptr), 0);
  EXPECT_EQ(close(), 1);
  EXPECT_EQ(close(), 0);  // nothing left to close
  FreeLibrary(library);
}

}  // namespace
}  // namespace cv
