// The presetup extraction of whole packages made by cvbuild.exe: what it
// extracts, which windows it shows for which package settings, and how it
// fails.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "database/main_database.h"
#include "database/packages.h"
#include "database/variable_access.h"
#include "dialog_watcher.h"
#include "engine/run_state.h"
#include "engine/win/main_window.h"
#include "engine/win/package_files.h"
#include "engine/win/presetup.h"
#include "recording_operations.h"
#include "setup_files.h"
#include "temp_folder.h"
#include "test_pictures.h"

namespace cv {
namespace {

using test::Quoted;

// Every window the test's thread creates, as "class|title".
std::vector<std::string>* gCreated = nullptr;

LRESULT CALLBACK RecordCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && gCreated) {
    char name[64] = {};
    GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
    const auto* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam)->lpcs;
    const bool hasTitle = create->lpszName && !IS_INTRESOURCE(create->lpszName);
    gCreated->push_back(std::string(name) + "|" + (hasTitle ? create->lpszName : ""));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

class PresetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cv::Run() = RunState{};
    cv::Run().WorkFolder = work_.Path();
    cv::Run().UnpackLibraryPath = test::TestProgramFolder() + "unpack.dll";
    database_ = TcvMainDatabase::New();
    SetMainDatabase(database_.get());
    ASSERT_TRUE(main_.Create(GetModuleHandleA(nullptr), nullptr, operations_));
    ASSERT_TRUE(test::WriteFileBytes(source_.Path() + "engine.bin", "a stand-in for the engine"));
    ASSERT_TRUE(test::WriteFileBytes(source_.Path() + "payload.txt", "installed later"));
    ASSERT_TRUE(test::WriteFileBytes(
        source_.Path() + "splash.bmp", test::BitmapFile(64, 48, RGB(10, 200, 10))));
    gCreated = &created_;
    hook_ = SetWindowsHookExA(WH_CBT, RecordCreation, nullptr, GetCurrentThreadId());
  }
  void TearDown() override {
    UnhookWindowsHookEx(hook_);
    gCreated = nullptr;
    main_.Destroy();
    SetMainDatabase(nullptr);
    cv::Run() = RunState{};
  }

  // Builds a setup file whose main package has `buildAttributes` on its
  // <build> element, and reads its header.
  TcvPackage& BuildPackage(const std::string& buildAttributes) {
    const std::string project = source_.Path() + "project.cv2project";
    EXPECT_TRUE(test::WriteFileBytes(
        project, "<cv2project><build splash='splash.bmp' " + buildAttributes +
                     "/><variables><var name='AppID' value='PresetupTest'/></variables>"
                     "<components><component id='Main'><files>"
                     "<file src='payload.txt' dst='payload.txt'/></files></component>"
                     "</components></cv2project>"));
    const std::string setup = source_.Path() + "setup.exe";
    EXPECT_EQ(test::BuildSetupFile(project, setup, "", source_.Path() + "engine.bin"), 0u);
    auto package = TcvPackage::New(database_->Packages.get());
    package->FullFileName = setup;
    TcvPackage& added = *package;
    database_->Packages->Add(std::move(package));
    EXPECT_TRUE(ReadPackageHeader(added, operations_));
    return added;
  }

  bool Created(const std::string& classAndTitle) const {
    for (const std::string& window : created_) {
      if (window == classAndTitle) return true;
    }
    return false;
  }
  bool CreatedDialog() const {
    for (const std::string& window : created_) {
      if (window.rfind("#32770|", 0) == 0) return true;
    }
    return false;
  }

  test::TempFolder source_;
  test::TempFolder work_;
  test::RecordingOperations operations_;
  std::unique_ptr<TcvMainDatabase> database_;
  MainWindow main_;
  HHOOK hook_ = nullptr;
  std::vector<std::string> created_;
};

TEST_F(PresetupTest, ExtractsUpToTheInstallationFilesWithSplashAndProgress) {
  TcvPackage& package = BuildPackage("splashtime='1'");
  const DWORD start = GetTickCount();
  ASSERT_TRUE(PreparePackages(*database_));
  EXPECT_GE(GetTickCount() - start, 900u) << "the splash stays its second";
  EXPECT_TRUE(package.Prepared);
  EXPECT_EQ(test::FolderEntries(package.TempPath),
            (std::vector<std::string>{"languages", "maindb", "packagedb", "splash.bmp"}));
  EXPECT_TRUE(Created("CorvMainWindow|CVSplashWindow"));
  EXPECT_TRUE(CreatedDialog());
  EXPECT_EQ(FindWindowA(nullptr, "CVSplashWindow"), nullptr) << "closed at the end";

  // Prepared packages are not extracted again.
  created_.clear();
  DeleteFileA((package.TempPath + "maindb").c_str());
  ASSERT_TRUE(PreparePackages(*database_));
  EXPECT_FALSE(test::PathExists(package.TempPath + "maindb"));
  EXPECT_TRUE(created_.empty());
}

TEST_F(PresetupTest, SilentRunsAndSilentPackagesShowNothing) {
  SetVar(database_.get(), "SilentMode", "1");
  TcvPackage& quiet = BuildPackage("");
  ASSERT_TRUE(PreparePackages(*database_));
  EXPECT_TRUE(test::PathExists(quiet.TempPath + "maindb"));
  EXPECT_TRUE(created_.empty());

  SetVar(database_.get(), "SilentMode", "0");
  quiet.Prepared = false;
  database_->Packages->Clear();
  TcvPackage& flagged = BuildPackage("silentpresetup='1'");
  ASSERT_TRUE(PreparePackages(*database_));
  EXPECT_TRUE(flagged.Prepared);
  EXPECT_TRUE(created_.empty());
}

TEST_F(PresetupTest, WithoutProgressOrWithoutASizeOnlyTheSplashShows) {
  BuildPackage("noprogress='1'");
  ASSERT_TRUE(PreparePackages(*database_));
  EXPECT_TRUE(Created("CorvMainWindow|CVSplashWindow"));
  EXPECT_FALSE(CreatedDialog());

  created_.clear();
  database_->Packages->Clear();
  TcvPackage& unsized = BuildPackage("");
  unsized.PresetupSize = 0;
  ASSERT_TRUE(PreparePackages(*database_));
  EXPECT_TRUE(Created("CorvMainWindow|CVSplashWindow"));
  EXPECT_FALSE(CreatedDialog()) << "no percentages without a total";
}

TEST_F(PresetupTest, TooLittleFreeSpaceExtractsNothing) {
  TcvPackage& package = BuildPackage("");
  package.PresetupSize = 1e18;
  test::DialogWatcher watcher;
  EXPECT_FALSE(PreparePackages(*database_));
  ASSERT_TRUE(watcher.WaitForCount(1, 10000));
  EXPECT_EQ(watcher.Seen()[0].Caption, "Error");
  EXPECT_EQ(watcher.Seen()[0].Text, "Insufficient free disk space.");
  EXPECT_FALSE(package.Prepared);
  EXPECT_FALSE(test::PathExists(package.TempPath));
}

TEST_F(PresetupTest, ADamagedCabinetFailsThePreparation) {
  TcvPackage& package = BuildPackage("");
  std::string bytes = test::ReadFileBytes(package.FullFileName);
  // The first cabinet starts right after the stand-in engine; its header's
  // file count (offset 28) becomes nonsense.
  const std::size_t cabinet = bytes.find("MSCF");
  ASSERT_NE(cabinet, std::string::npos);
  bytes[cabinet + 28] = '\xFF';
  bytes[cabinet + 29] = '\xFF';
  ASSERT_TRUE(test::WriteFileBytes(package.FullFileName, bytes));
  EXPECT_FALSE(PreparePackages(*database_));
  EXPECT_FALSE(package.Prepared);
}

}  // namespace
}  // namespace cv
