// Shortcut items on real link files, read back through the shell's own link
// object as any other program would read them.

#include "install/win/shortcut_step.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "database/main_database.h"
#include "dialog_watcher.h"
#include "install/win/action_list.h"
#include "platform/case_map.h"
#include "platform/win/com_objects.h"
#include "same_bytes.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::PathExists;
using test::ReadFileBytes;
using test::SameBytes;
using test::TempFolder;
using test::WriteFileBytes;

struct ReadLink {
  bool Loaded = false;
  std::string Target;
  std::string Arguments;
  std::string WorkingFolder;
  std::string Description;
  std::string IconFile;
  int IconIndex = -1;
  WORD Hotkey = 0;
  int ShowCommand = -1;
};

ReadLink Read(const std::string& linkFile) {
  ReadLink result;
  const ComScope com;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link)))) {
    return result;
  }
  IPersistFile* file = nullptr;
  std::wstring wide(linkFile.begin(), linkFile.end());
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
    char text[MAX_PATH * 2] = {};
    result.Loaded = true;
    link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
    result.Target = text;
    link->GetArguments(text, sizeof text);
    result.Arguments = text;
    link->GetWorkingDirectory(text, sizeof text);
    result.WorkingFolder = text;
    link->GetDescription(text, sizeof text);
    result.Description = text;
    link->GetIconLocation(text, sizeof text, &result.IconIndex);
    result.IconFile = text;
    link->GetHotkey(&result.Hotkey);
    // The link object of this Wine build answers SW_SHOWNORMAL for every
    // loaded link, so the show command is read where Windows reads it: the
    // file header's ShowCommand field (offset 0x3C, little-endian).
    const std::string bytes = ReadFileBytes(linkFile);
    if (bytes.size() >= 0x40) {
      result.ShowCommand = static_cast<unsigned char>(bytes[0x3C]) |
                           static_cast<unsigned char>(bytes[0x3D]) << 8;
    }
  }
  if (file) file->Release();
  link->Release();
  return result;
}

class ShortcutStepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    database_ = TcvMainDatabase::New();
    database_->TempBackupPath = backups_.Path();
    SetMainDatabase(database_.get());
    program_ = folder_.Path() + "App Folder\\app.exe";
    CreateDirectoryA((folder_.Path() + "App Folder").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(program_, "MZ"));
  }
  void TearDown() override {
    RollbackAll(list_);
    SetMainDatabase(nullptr);
  }

  ShortcutValues Shortcut(const std::string& name) {
    ShortcutValues values;
    values.Name = folder_.Path() + name;
    values.CmdLine = "\"" + program_ + "\"";
    values.Arg = "\"-x\"";
    values.WorkDir = "\"" + folder_.Path() + "App Folder\"";
    values.IconFile = program_;
    values.Icon = 2;
    values.Hotkey = 0x7FFF0641;  // Ctrl+Shift+A, with bits beyond the low 16
    values.Description = "The \"test\" program";
    values.ShowCmd = TcvShowCmd::scMax;
    return values;
  }

  TempFolder folder_;
  TempFolder backups_;
  std::unique_ptr<TcvMainDatabase> database_;
  TInstallActions list_;
  std::string program_;
};

TEST_F(ShortcutStepTest, LinkCarriesEveryFieldAndItsFoldersAreRecorded) {
  const ShortcutValues shortcut = Shortcut("Menu\\Sub\\App");
  ASSERT_TRUE(InstallShortcut(list_, shortcut));
  const std::string linkFile = folder_.Path() + "Menu\\Sub\\App.lnk";

  const ReadLink link = Read(linkFile);
  ASSERT_TRUE(link.Loaded);
  EXPECT_TRUE(SameTextNoCase(link.Target, program_)) << link.Target;
  EXPECT_EQ(link.Arguments, "-x");
  EXPECT_EQ(link.WorkingFolder, folder_.Path() + "App Folder");
  EXPECT_EQ(link.Description, "The \"test\" program");  // only enclosing quotes go
  EXPECT_EQ(link.IconFile, program_);
  EXPECT_EQ(link.IconIndex, 2);
  EXPECT_EQ(link.Hotkey, 0x0641);
  EXPECT_EQ(link.ShowCommand, SW_SHOWMAXIMIZED);

  // Folders parents first, the link file kept out of the log, the shortcut
  // logged.
  ASSERT_EQ(list_.Count(), 4);
  EXPECT_EQ(dynamic_cast<TInstallFolder*>(list_.Action(0))->Folder, folder_.Path() + "Menu");
  EXPECT_EQ(dynamic_cast<TInstallFolder*>(list_.Action(1))->Folder, folder_.Path() + "Menu\\Sub");
  const auto* file = dynamic_cast<TInstallFile*>(list_.Action(2));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->FileName, linkFile);
  EXPECT_FALSE(file->Log);
  const auto* recorded = dynamic_cast<TInstallShortcut*>(list_.Action(3));
  ASSERT_NE(recorded, nullptr);
  EXPECT_EQ(recorded->LinkFile, linkFile);
  EXPECT_TRUE(recorded->Log);

  RollbackAll(list_);
  EXPECT_FALSE(PathExists(linkFile));
  EXPECT_FALSE(PathExists(folder_.Path() + "Menu"));
}

TEST_F(ShortcutStepTest, ShowCommandsMapToWhatTheLinkStartsWith) {
  const struct {
    TcvShowCmd ShowCmd;
    int Expected;
  } cases[] = {{TcvShowCmd::scNormal, SW_SHOWNORMAL},
               {TcvShowCmd::scMin, SW_SHOWMINNOACTIVE},
               {TcvShowCmd::scMax, SW_SHOWMAXIMIZED},
               {TcvShowCmd::scHide, SW_SHOWNORMAL}};
  int n = 0;
  for (const auto& c : cases) {
    ShortcutValues shortcut = Shortcut("Show" + std::to_string(n++));
    shortcut.ShowCmd = c.ShowCmd;
    ASSERT_TRUE(InstallShortcut(list_, shortcut));
    EXPECT_EQ(Read(shortcut.Name + ".lnk").ShowCommand, c.Expected) << n;
  }
}

TEST_F(ShortcutStepTest, ExistingLinkIsReplacedAndRestoredByRollback) {
  const std::string linkFile = folder_.Path() + "App.lnk";
  ASSERT_TRUE(WriteFileBytes(linkFile, "the user's own link"));
  ASSERT_TRUE(InstallShortcut(list_, Shortcut("App")));
  EXPECT_TRUE(Read(linkFile).Loaded);
  const auto* file = dynamic_cast<TInstallFile*>(list_.Action(0));
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->Existed);

  RollbackAll(list_);
  EXPECT_TRUE(SameBytes(ReadFileBytes(linkFile), "the user's own link"));
}

TEST_F(ShortcutStepTest, DontOverwriteLeavesAnExistingLinkAlone) {
  const std::string linkFile = folder_.Path() + "App.lnk";
  ASSERT_TRUE(WriteFileBytes(linkFile, "the user's own link"));
  ShortcutValues shortcut = Shortcut("App");
  shortcut.Flags.Include(TcvFlag::dont_overwrite);
  ASSERT_TRUE(InstallShortcut(list_, shortcut));
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_TRUE(SameBytes(ReadFileBytes(linkFile), "the user's own link"));
}

TEST_F(ShortcutStepTest, RemoveDeletesTheLinkAndRollbackBringsItBack) {
  const std::string linkFile = folder_.Path() + "App.lnk";
  ASSERT_TRUE(WriteFileBytes(linkFile, "the user's own link"));
  ShortcutValues shortcut = Shortcut("App");
  shortcut.Action = TcvInstallAction::remove;
  ASSERT_TRUE(InstallShortcut(list_, shortcut));
  EXPECT_FALSE(PathExists(linkFile));
  ASSERT_EQ(list_.Count(), 1);  // no shortcut entry for the log

  RollbackAll(list_);
  EXPECT_TRUE(SameBytes(ReadFileBytes(linkFile), "the user's own link"));
}

TEST_F(ShortcutStepTest, LinkThatCannotBeWrittenIsReportedAndNotRecorded) {
  // A file stands where the link's folder would be.
  ASSERT_TRUE(WriteFileBytes(folder_.Path() + "Blocked", "a file"));
  test::DialogWatcher watcher;
  EXPECT_FALSE(InstallShortcut(list_, Shortcut("Blocked\\App")));
  ASSERT_EQ(watcher.Seen().size(), 1u);
  EXPECT_EQ(watcher.Seen()[0].Caption, "Error");
  EXPECT_EQ(watcher.Seen()[0].Text,
            "Error creating shortcut \"" + folder_.Path() + "Blocked\\App.lnk\".");
  for (int i = 0; i < list_.Count(); ++i) {
    EXPECT_EQ(dynamic_cast<TInstallShortcut*>(list_.Action(i)), nullptr);
  }
}

}  // namespace
}  // namespace cv
