#include "platform/win/self_delete.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "child_process.h"
#include "platform/win/system_folders.h"
#include "temp_folder.h"

namespace cv {
namespace {

TEST(SelfDeleteScript, RetriesTheProgramThenRemovesTheFolderAndItself) {
  EXPECT_EQ(SelfDeleteScript("C:\\Temp\\AB12CD34\\Resume.exe", "C:\\Temp\\AB12CD34",
                             "C:\\Temp\\ABCDE123.bat", true),
            ":try\r\n"
            "del \"C:\\Temp\\AB12CD34\\Resume.exe\"\r\n"
            "if exist \"C:\\Temp\\AB12CD34\\Resume.exe\" goto try\r\n"
            "rd \"C:\\Temp\\AB12CD34\"\r\n"
            "del \"C:\\Temp\\ABCDE123.bat\"\r\n");
}

TEST(SelfDeleteScript, KeepsTheFolderWhenNotAsked) {
  EXPECT_EQ(SelfDeleteScript("C:\\Temp\\cv1a2b3c.exe", "C:\\Temp", "C:\\ABCDE123.bat", false),
            ":try\r\n"
            "del \"C:\\Temp\\cv1a2b3c.exe\"\r\n"
            "if exist \"C:\\Temp\\cv1a2b3c.exe\" goto try\r\n"
            "del \"C:\\ABCDE123.bat\"\r\n");
}

// Run only inside the copy that the test below starts: it removes its own
// program file and folder, as the engine does at the end of a resumed run.
TEST(SelfDeleteChild, DISABLED_RemovesItsOwnFileAndFolder) { SelfDelete(true); }

TEST(SelfDelete, RemovesTheProgramAndItsFolderAfterTheProgramEnds) {
  test::TempFolder temp;
  // The batch file goes to the folder above the program's folder.
  const std::string parent = temp.Path() + "parent\\";
  ASSERT_TRUE(CreateDirectoryA(parent.c_str(), nullptr));
  const std::string folder = parent + "engine";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string copy = folder + "\\selfdel.exe";
  ASSERT_TRUE(CopyFileA(ModuleFileName().c_str(), copy.c_str(), TRUE));

  test::ChildProcess child(
      "\"" + copy +
          "\" --gtest_brief=1 --gtest_also_run_disabled_tests"
          " --gtest_filter=SelfDeleteChild.DISABLED_RemovesItsOwnFileAndFolder",
      {});
  ASSERT_TRUE(child.Started());
  ASSERT_TRUE(child.Wait(60000));
  EXPECT_EQ(child.ExitCode(), 0u);

  // The batch file works at idle priority in the background; give it ample
  // time, this is not a measure of speed.
  for (int i = 0; i < 600 && !test::FolderEntries(parent).empty(); ++i) Sleep(100);
  EXPECT_FALSE(test::PathExists(copy));
  EXPECT_FALSE(test::PathExists(folder));
  EXPECT_TRUE(test::FolderEntries(parent).empty());

  // The command interpreter that ran the batch file works in `parent` until
  // it ends; the folder can be removed once it has.
  bool removed = false;
  for (int i = 0; i < 600 && !removed; ++i) {
    removed = RemoveDirectoryA(parent.c_str()) != 0;
    if (!removed) Sleep(100);
  }
  EXPECT_TRUE(removed);
}

}  // namespace
}  // namespace cv
