// The data cabinet of a setup file built by cvbuild.exe, extracted by the
// copy step in-process: members reach their destinations (wildcard items
// below the destination folder), an installed newer library stays, an older
// one is replaced, a shared one is counted, and no partial file is left.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "engine/run_state.h"
#include "engine/win/file_copy_step.h"
#include "install/install_log.h"
#include "install/win/action_list.h"
#include "platform/ini_cache.h"
#include "platform/win/registry_path.h"
#include "registry_sandbox.h"
#include "script/references.h"
#include "copy_step_host.h"
#include "setup_files.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::Quoted;


const char* const kProject = R"(<cv2project version="1.0">
	<build languages="languages.xml"/>
	<variables>
		<var name="AppID" value="CorvaneFileInstallTest"/>
		<var name="AppName" value="File Install Test"/>
	</variables>
	<packages>
		<package id="files-setup" main="1"/>
	</packages>
	<components>
		<component id="Core" name="Core">
			<files>
				<file src="files\older.dll" dst="older.dll"/>
				<file src="files\newer.dll" dst="newer.dll"/>
				<file src="files\shared.dll" dst="common\shared.dll"/>
				<file src="files\docs\*.txt" dst="docs\*.txt"/>
			</files>
		</component>
	</components>
</cv2project>
)";

class FileInstallSetupTest : public ::testing::Test {
 protected:
  std::string Versioned(const std::string& version) {
    return test::TestProgramFolder() + "versioned\\versioned_" + version + ".dll";
  }
  static bool Same(const std::string& a, const std::string& b) {
    return test::ReadFileBytes(a) == test::ReadFileBytes(b);
  }
  bool Copy(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
  }

  test::TempFolder place_, target_, backups_, logs_;
};

TEST_F(FileInstallSetupTest, ArchiveMembersReachTheirDestinations) {
  const std::string files = place_.Path() + "files\\";
  ASSERT_TRUE(CreateDirectoryA(files.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((files + "docs").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((files + "docs\\more").c_str(), nullptr));
  ASSERT_TRUE(Copy(Versioned("2_0_0_0"), files + "older.dll"));
  ASSERT_TRUE(Copy(Versioned("1_0_0_0"), files + "newer.dll"));
  ASSERT_TRUE(Copy(Versioned("2_0_0_1"), files + "shared.dll"));
  ASSERT_TRUE(test::WriteFileBytes(files + "docs\\guide.txt", "guide"));
  ASSERT_TRUE(test::WriteFileBytes(files + "docs\\more\\faq.txt", "faq"));
  ASSERT_TRUE(Copy(test::ExampleFile("hello\\languages.xml"), place_.Path() + "languages.xml"));
  // What the machine holds already.
  ASSERT_TRUE(Copy(Versioned("1_0_0_0"), target_.Path() + "older.dll"));
  ASSERT_TRUE(Copy(Versioned("3_5_0_0"), target_.Path() + "newer.dll"));

  ASSERT_TRUE(test::WriteFileBytes(place_.Path() + "files.cv2project", kProject));
  const std::string bin = test::TestProgramFolder();
  const std::string setup = place_.Path() + "files-setup.exe";
  ASSERT_EQ(test::BuildSetupFile(place_.Path() + "files.cv2project", setup), 0u);

  // The project as the engine holds it once the destinations are set.
  test::RegistrySandbox registry("FileInstallSetup");
  ResetInstallLog();
  SetLogFileName(logs_.Path() + "install.log");
  SetLoggingEnabled(true);
  cv::Run().UnpackLibraryPath = bin + "unpack.dll";
  test::CopyStepHost host;
  TcvMainDatabase& database = *host.database;
  database.TempBackupPath = backups_.Path();
  SetMainDatabase(&database);
  auto package = TcvPackage::New();
  package->FullFileName = setup;
  const std::pair<const char*, const char*> versions[] = {
      {"Core\\files\\older.dll", "2.0.0.0"},
      {"Core\\files\\newer.dll", "1.0.0.0"},
      {"Core\\files\\shared.dll", "2.0.0.1"}};
  for (const auto& [name, version] : versions) {
    auto info = TcvFileInfo::New();
    info->Name = name;
    info->Version = version;
    package->FileInfos->Add(std::move(info));
  }
  database.Packages->Add(std::move(package));
  auto component = TcvComponent::New();
  component->SetID("Core");
  const struct {
    const char* src;
    const char* dst;
    TcvFlags flags;
  } items[] = {{"files\\older.dll", "older.dll", {}},
               {"files\\newer.dll", "newer.dll", {TcvFlag::dont_ask}},
               {"files\\shared.dll", "common\\shared.dll", {TcvFlag::shared}},
               {"files\\docs\\*.txt", "docs\\*.txt", {}}};
  for (const auto& entry : items) {
    auto item = TcvFile::New();
    item->Src = entry.src;
    item->Dst = target_.Path() + entry.dst;
    item->Flags = entry.flags;
    component->Files->Add(std::move(item));
  }
  database.Components->Add(std::move(component));
  const bool copied = CopyProjectFiles(host);
  const std::string shared = target_.Path() + "common\\shared.dll";
  const DWORD count =
      RegReadDword("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", shared, 0);
  EXPECT_TRUE(copied);
  ActionList().ClearItems();
  FlushIniCache();
  ResetInstallLog();
  SetMainDatabase(nullptr);

  const std::string installed = target_.Path();
  EXPECT_TRUE(Same(installed + "older.dll", Versioned("2_0_0_0")));
  EXPECT_TRUE(Same(installed + "newer.dll", Versioned("3_5_0_0")));
  EXPECT_TRUE(Same(installed + "common\\shared.dll", Versioned("2_0_0_1")));
  EXPECT_EQ(test::ReadFileBytes(installed + "docs\\guide.txt"), "guide");
  EXPECT_EQ(test::ReadFileBytes(installed + "docs\\more\\faq.txt"), "faq");
  // Nothing but the installed files: no partial file was left.
  EXPECT_EQ(test::FolderEntries(installed),
            (std::vector<std::string>{"common", "docs", "newer.dll", "older.dll"}));
  EXPECT_EQ(count, 1u);
}

}  // namespace
}  // namespace cv
