// A setup file started from a folder where DLLs named like the libraries the
// engine uses were planted, beside the setup file and in the current folder.
// Wine is told to prefer such native copies (WINEDLLOVERRIDES), so that it
// searches as Windows does; none of them may be loaded.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "dialog_watcher.h"
#include "setup_files.h"
#include "temp_folder.h"

namespace cv {
namespace {

constexpr DWORD kNoProcess = 0xFFFFFFFF;
constexpr const char* kPlanted[] = {"sfc.dll", "version.dll", "unpack.dll"};

using test::Quoted;

TEST(PlantedDlls, AreNeverLoadedFromTheSetupFolderOrTheCurrentFolder) {
  test::TempFolder place;
  test::TempFolder current;
  test::TempFolder temp;
  test::TempFolder target;
  test::HelloExampleTraces traces;
  const std::string bin = test::TestProgramFolder();
  const std::string setup = place.Path() + "hello-setup.exe";
  ASSERT_EQ(test::BuildSetupFile(test::ExampleFile("hello\\hello.cv2project"), setup), 0u);
  for (const char* name : kPlanted) {
    const std::string from = bin + "planted\\" + name;
    ASSERT_TRUE(CopyFileA(from.c_str(), (place.Path() + name).c_str(), FALSE)) << from;
    ASSERT_TRUE(CopyFileA(from.c_str(), (current.Path() + name).c_str(), FALSE)) << from;
  }

  char saved[MAX_PATH + 1] = {};
  ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(current.Path().c_str()));
  std::vector<test::SeenDialog> boxes;
  {
    test::DialogWatcher watcher(kNoProcess);
    test::ChildProcess run(Quoted(setup) + " /s /var:InstallPath=" + target.Path(),
                           {{"TMP", temp.Path()},
                                           {"TEMP", temp.Path()},
                                           {"WINEDLLOVERRIDES", "sfc,version=n,b"}});
    SetCurrentDirectoryA(saved);
    ASSERT_TRUE(run.Started());
    watcher.SetProcess(run.Id());
    EXPECT_TRUE(run.Wait(120000));
    boxes = watcher.Seen();
  }
  // The run went through the presetup and the copy step, which use the
  // unpack library and sfc.dll, to its end.
  for (const auto& box : boxes) ADD_FAILURE() << box.Text;
  EXPECT_TRUE(test::PathExists(target.Path() + "hello.txt"));
  for (const char* name : kPlanted) {
    EXPECT_FALSE(test::PathExists(place.Path() + name + ".loaded")) << "beside the setup: " << name;
    EXPECT_FALSE(test::PathExists(current.Path() + name + ".loaded")) << "current folder: " << name;
  }
}

}  // namespace
}  // namespace cv
