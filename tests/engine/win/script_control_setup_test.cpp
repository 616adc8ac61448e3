// Event scripts of a setup file controlling its installation while the copy
// step runs on its own thread: AbortInstall at one file rolls back every
// file already written; SuspendInstall and ResumeInstall act on the real
// installation thread, which goes on once every suspension is resumed; a
// script skips an item by answering EV_BEFOREPROCESSITEM.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "dialog_watcher.h"
#include "setup_files.h"
#include "temp_folder.h"

namespace cv {
namespace {

// Three files; the script looks at each one's EV_BEFOREPROCESSITEM (step 0,
// the destination) and acts as the variables given with /var: say.
std::string Project(const std::string& target) {
  return R"xml(<cv2project version="1.0"><build languages="languages.xml"/><variables>
	<var name="AppID" value="CorvaneScriptControlTest"/><var name="AppName" value="Script Control Test"/>
	<var name="InstallPath" value=")xml" +
         target + R"xml("/>
	<var name="AbortAt" value=""/><var name="PauseAt" value=""/><var name="SkipAt" value=""/>
	<var name="Paused" value=""/>
</variables>
<packages><package id="control-setup" main="1"/></packages>
<components><component id="Core" name="Core"><files>
	<file src="files\a.txt" dst="a.txt"/><file src="files\b.txt" dst="b.txt"/><file src="files\c.txt" dst="c.txt"/>
</files></component></components>
<events>
	<event name="Control" eventid="EV_BEFOREPROCESSITEM" whenhandle="before_plugins">
		<if expression="GetParam(%EventParams%, 0) = '0'"><then>
			<action expression="Name := FileName(GetParam(%EventParams%, 1))"/>
			<if expression="%Name% = %AbortAt%"><then><action expression="AbortInstall"/></then></if>
			<if expression="%Name% = %PauseAt%"><then>
				<action expression="SuspendInstall"/>
				<action expression="SuspendInstall"/>
				<action expression="ResumeInstall"/>
				<action expression="ResumeInstall"/>
				<action expression="Paused := %Paused% &#x26; %Name%"/>
			</then></if>
			<if expression="%Name% = %SkipAt%"><then><return expression="1"/></then></if>
		</then></if>
	</event>
	<event name="Report" eventid="EV_FINISH" whenhandle="after_plugins">
		<action expression="SaveFile(%InstallPath% &#x26; 'paused.txt', %Paused%)"/>
	</event>
</events>
</cv2project>)xml";
}

class ScriptControlSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryA((place_.Path() + "files").c_str(), nullptr));
    for (const char* name : {"a", "b", "c"}) {
      ASSERT_TRUE(test::WriteFileBytes(place_.Path() + "files\\" + name + ".txt", name));
    }
    ASSERT_TRUE(CopyFileA(test::ExampleFile("hello\\languages.xml").c_str(),
                          (place_.Path() + "languages.xml").c_str(), FALSE));
    const std::string project = place_.Path() + "control.cv2project";
    ASSERT_TRUE(test::WriteFileBytes(project, Project(target_.Path() + "product")));
    ASSERT_EQ(test::BuildSetupFile(project, place_.Path() + "control-setup.exe"), 0u);
  }

  // Runs the setup file silently with `variables`; answers its exit code
  // and the boxes it showed.
  DWORD RunSetup(const std::string& variables, std::string& boxes) {
    test::DialogWatcher watcher(0xFFFFFFFF);
    test::ChildProcess setup(test::Quoted(place_.Path() + "control-setup.exe") + " /s " + variables,
                             {{"TMP", temp_.Path()}, {"TEMP", temp_.Path()}});
    EXPECT_TRUE(setup.Started());
    watcher.SetProcess(setup.Id());
    EXPECT_TRUE(setup.Wait(120000)) << "the installation hangs";
    for (const auto& box : watcher.Seen()) boxes += box.Text + "\n";
    EXPECT_TRUE(test::FolderEntries(temp_.Path()).empty()) << "the work folder was left";
    return setup.ExitCode();
  }
  std::string Installed(const char* name) const {
    return test::ReadFileBytes(target_.Path() + "product\\" + name);
  }

  test::TempFolder place_, temp_, target_;
};

TEST_F(ScriptControlSetupTest, AbortInstallAtTheSecondFileRollsTheFirstOneBack) {
  std::string boxes;
  EXPECT_EQ(RunSetup("/var:AbortAt=b.txt", boxes), 0xFFFFFFFFu);
  EXPECT_EQ(boxes, "") << "an abort asked for by the project is no error";
  EXPECT_TRUE(test::FolderEntries(target_.Path()).empty()) << "nothing of the product is left";
}

TEST_F(ScriptControlSetupTest, SuspendedAndResumedInstallationGoesOnToTheEnd) {
  std::string boxes;
  EXPECT_EQ(RunSetup("/var:PauseAt=a.txt", boxes), 0u);
  EXPECT_EQ(boxes, "");
  for (const char* name : {"a", "b", "c"}) EXPECT_EQ(Installed((std::string(name) + ".txt").c_str()), name);
  EXPECT_EQ(Installed("paused.txt"), "a.txt") << "the script ran where it paused";
}

TEST_F(ScriptControlSetupTest, AScriptAnsweringTheItemSkipsIt) {
  std::string boxes;
  EXPECT_EQ(RunSetup("/var:SkipAt=b.txt", boxes), 0u);
  EXPECT_EQ(boxes, "");
  EXPECT_EQ(Installed("a.txt"), "a");
  EXPECT_FALSE(test::PathExists(target_.Path() + "product\\b.txt"));
  EXPECT_EQ(Installed("c.txt"), "c");
}

}  // namespace
}  // namespace cv
