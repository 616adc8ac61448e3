// A setup file carrying the assembly tool (here a stand-in that records its
// command lines): a file bound for the global assembly cache is written to
// the run's assembly folder and handed to the tool with "/ir" and the
// product's opaque reference; a tool that fails stops the run, which rolls
// back.

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "child_process.h"
#include "dialog_watcher.h"
#include "setup_files.h"
#include "temp_folder.h"

namespace cv {
namespace {

std::string Project(const std::string& target) {
  return R"xml(<cv2project version="1.0">
<build languages="languages.xml" gacutil="gacutil.exe"/>
<variables>
	<var name="AppID" value="CorvaneAssemblyTest"/><var name="AppName" value="Assembly Test"/>
	<var name="InstallPath" value=")xml" +
         target + R"xml("/>
</variables>
<packages><package id="assembly-setup" main="1"/></packages>
<components>
	<component id="Core" name="Core"><files><file src="files\plain.txt" dst="plain.txt"/></files></component>
	<component id="Assemblies" name="Assemblies" dst="%GAC%"><files>
		<file src="files\Corvane.Sample.dll" dst="Corvane.Sample.dll"/>
	</files></component>
</components>
</cv2project>)xml";
}

class AssemblySetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryA((place_.Path() + "files").c_str(), nullptr));
    ASSERT_TRUE(test::WriteFileBytes(place_.Path() + "files\\plain.txt", "plain"));
    ASSERT_TRUE(test::WriteFileBytes(place_.Path() + "files\\Corvane.Sample.dll", "assembly"));
    const std::string bin = test::TestProgramFolder();
    ASSERT_TRUE(CopyFileA((bin + "standin\\gacutil.exe").c_str(), (place_.Path() + "gacutil.exe").c_str(),
                          FALSE));
    ASSERT_TRUE(CopyFileA(test::ExampleFile("hello\\languages.xml").c_str(),
                          (place_.Path() + "languages.xml").c_str(), FALSE));
    const std::string project = place_.Path() + "assembly.cv2project";
    ASSERT_TRUE(test::WriteFileBytes(project, Project(target_.Path() + "product")));
    ASSERT_EQ(test::BuildSetupFile(project, Setup()), 0u);
  }
  std::string Setup() const { return place_.Path() + "assembly-setup.exe"; }
  std::string ToolLog() const { return place_.Path() + "gacutil.log"; }

  // Runs the setup file silently with the tool answering `toolExit`;
  // answers the exit code and the boxes shown.
  DWORD RunSetup(const char* toolExit, std::string& boxes) {
    test::DialogWatcher watcher(0xFFFFFFFF);
    test::ChildProcess setup(test::Quoted(Setup()) + " /s",
                             {{"TMP", temp_.Path()},
                              {"TEMP", temp_.Path()},
                              {"CV_GACUTIL_LOG", ToolLog()},
                              {"CV_GACUTIL_EXIT", toolExit}});
    EXPECT_TRUE(setup.Started());
    watcher.SetProcess(setup.Id());
    EXPECT_TRUE(setup.Wait(120000));
    for (const auto& box : watcher.Seen()) boxes += box.Text + "\n";
    EXPECT_TRUE(test::FolderEntries(temp_.Path()).empty()) << "the work folder was left";
    return setup.ExitCode();
  }

  test::TempFolder place_, temp_, target_;
};

// '/ir "<work folder><assembly folder>\<unique>\Corvane.Sample.dll" OPAQUE
// "<AppID>" "<AppName>"', with the file in place while the tool runs.
void ExpectToolCommand(const std::string& log, const std::string& tempRoot) {
  const std::string prefix = "/ir \"" + tempRoot;
  const std::string suffix = "\\Corvane.Sample.dll\" OPAQUE \"CorvaneAssemblyTest\" \"Assembly Test\"|exists\r\n";
  ASSERT_GT(log.size(), prefix.size() + suffix.size()) << log;
  EXPECT_EQ(log.substr(0, prefix.size()), prefix) << log;
  EXPECT_EQ(log.substr(log.size() - suffix.size()), suffix) << log;
  // Work folder, assembly folder and a folder of the file's own: three
  // unique names of eight characters.
  EXPECT_EQ(log.size() - prefix.size() - suffix.size(), 3u * 9u - 1u) << log;
}

TEST_F(AssemblySetupTest, TheAssemblyGoesToTheToolFromTheRunsOwnFolder) {
  std::string boxes;
  EXPECT_EQ(RunSetup("0", boxes), 0u);
  EXPECT_EQ(boxes, "");
  ExpectToolCommand(test::ReadFileBytes(ToolLog()), temp_.Path());
  EXPECT_EQ(test::ReadFileBytes(target_.Path() + "product\\plain.txt"), "plain");
  EXPECT_FALSE(test::PathExists(target_.Path() + "product\\Corvane.Sample.dll"))
      << "an assembly lives in the cache, not in the product's folder";
}

TEST_F(AssemblySetupTest, AFailingToolStopsTheRunAndRollsItBack) {
  std::string boxes;
  EXPECT_EQ(RunSetup("1", boxes), 0xFFFFFFFFu);
  EXPECT_EQ(boxes, "Cannot register assembly Corvane.Sample.dll\n");
  ExpectToolCommand(test::ReadFileBytes(ToolLog()), temp_.Path());
  EXPECT_TRUE(test::FolderEntries(target_.Path()).empty()) << "nothing of the product is left";
}

}  // namespace
}  // namespace cv
