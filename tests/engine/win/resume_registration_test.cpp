// The resume registration in-process, in a registry sandbox: the value name
// free under both keys, the copy and the command, and a work folder without
// the engine's copy refused with nothing left behind.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "dialog_watcher.h"
#include "engine/win/resume_registration.h"
#include "platform/win/registry_path.h"
#include "platform/win/system_folders.h"
#include "registry_sandbox.h"
#include "temp_folder.h"

namespace cv {
namespace {

TEST(ResumeRegistration, TheValueNameIsFreeUnderRunOnceAndRun) {
  test::RegistrySandbox registry("ResumeNames");
  ASSERT_TRUE(RegWriteString(kUserRunOnceKey, "cv5", "taken"));
  ASSERT_TRUE(RegWriteString(kUserRunKey, "cv6", "taken"));
  std::uint32_t next = 5;
  EXPECT_EQ(FreeResumeValueName([&] { return next++; }), "cv7");
  // Numbers stay below 2147483647.
  EXPECT_EQ(FreeResumeValueName([] { return 2147483647u + 8u; }), "cv8");
}

TEST(ResumeRegistration, TheCopyAndTheCommandNameTheWorkFolderAndTheSetupFile) {
  test::RegistrySandbox registry("ResumeCommand");
  test::TempFolder work;
  ASSERT_TRUE(test::WriteFileBytes(work.Path() + "Resume.exe", "engine"));
  for (int run = 0; run < 2; ++run) {
    ASSERT_TRUE(RegisterResumeAtLogon(work.Path(), "D:\\setup files\\setup.exe"));
  }
  std::vector<std::string> commands;
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER,
                          (registry.Subkey() + "\\HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce").c_str(),
                          0, KEY_READ, &key),
            ERROR_SUCCESS);
  for (DWORD i = 0;; ++i) {
    char name[64], data[1024];
    DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type,
                      reinterpret_cast<BYTE*>(data), &dataSize) != ERROR_SUCCESS) {
      break;
    }
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    commands.emplace_back(data);
  }
  RegCloseKey(key);
  ASSERT_EQ(commands.size(), 2u) << "two registrations, two values";
  for (const std::string& command : commands) {
    // "<root>cvXXXXXX.exe" /resume:"<work>" /exename:"<setup>"
    const std::string copy = command.substr(1, command.find('"', 1) - 1);
    EXPECT_EQ(copy.rfind(TempRoot() + "cv", 0), 0u) << command;
    EXPECT_EQ(copy.size(), TempRoot().size() + 12) << command;
    EXPECT_EQ(test::ReadFileBytes(copy), "engine");
    EXPECT_EQ(command.substr(copy.size() + 2),
              " /resume:\"" + work.Path().substr(0, work.Path().size() - 1) +
                  "\" /exename:\"D:\\setup files\\setup.exe\"");
    DeleteFileA(copy.c_str());
  }
  EXPECT_NE(commands[0], commands[1]) << "each registration has its own copy";
}

TEST(ResumeRegistration, WithoutTheEnginesCopyNothingIsRegistered) {
  test::RegistrySandbox registry("ResumeNoCopy");
  test::TempFolder work;
  test::DialogWatcher watcher;
  const auto before = test::FolderEntries(TempRoot());
  EXPECT_FALSE(RegisterResumeAtLogon(work.Path(), "setup.exe"));
  ASSERT_TRUE(watcher.WaitForCount(1, 5000));
  EXPECT_EQ(watcher.Seen()[0].Caption, "Error");
  EXPECT_EQ(watcher.Seen()[0].Text, "Cannot prepare for resuming.");
  EXPECT_FALSE(RegKeyExists(kUserRunOnceKey));
  EXPECT_EQ(test::FolderEntries(TempRoot()), before);
}

}  // namespace
}  // namespace cv
