// Setup files with test plug-ins, built by cvbuild.exe and started as a user
// would start them. The plug-ins are DLLs built from the public plug-in
// header alone; their configuration in the project tells them what to answer
// and which requests to send, and each writes a log of what it received.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "dialog_watcher.h"
#include "setup_files.h"
#include "temp_folder.h"

namespace cv {
namespace {

constexpr DWORD kNoProcess = 0xFFFFFFFF;
constexpr DWORD kFailureExitCode = 0xFFFFFFFF;  // -1

using test::Quoted;

void Replace(std::string& text, const std::string& what, const std::string& with) {
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at)) {
    text.replace(at, what.size(), with);
    at += with.size();
  }
}

// The wizard (entry 0) registers a function and exercises the engine's
// commands; the helper (entry 1, a folder of four DLLs of which only one is a
// loadable plug-in of this package) reads variables, also from a thread.
const char* const kProject = R"(<cv2project version="1.0">
	<variables>
		<var name="AppID" value="CorvanePluginTest%RUN%"/>
		<var name="AppName" value="Plugin Test"/>
		<var name="Shared" value="main"/>
	</variables>
	<packages>
		<package id="plugtest" main="1">
			<variables><var name="Shared" value="package"/></variables>
			<plugins>
				<plugin id="TestWizard" src="plugins\wizard\*.dll">
					<config>
						<paramgroup name="Log"><param name="File" value="%LOG%wizard.log"/></paramgroup>
						<paramgroup name="Answers">
							<param name="EV_LOAD" value="%LOADANSWER%"/>
							<param name="EV_BEFOREPROCESSITEMS" value="1"/>
							<param name="EV_SHOWDIALOGS" value="1"/>
							<param name="EV_CALCFUNCTION" value="1"/>
						</paramgroup>
						<paramgroup name="Function"><param name="Result" value="echo:"/></paramgroup>
						<paramgroup name="On EV_LOAD">
							<param name="1" value="CM_REGISTERFUNCTION|PluginEcho|#-1"/>
							<param name="2" value="CM_REGISTERFUNCTION|pluginecho|#-1"/>
							<param name="3" value="CM_GETVARIABLE|Shared"/>
							<param name="4" value="CM_SETVARIABLE|FromWizard|set by wizard"/>
						</paramgroup>
						<paramgroup name="On EV_START">
							<param name="a" value="CM_GETFEATURE|''"/>
							<param name="b" value="CM_GETFEATURE|Sub"/>
							<param name="c" value="CM_GETFEATURE|Nope"/>
							<param name="d" value="CM_GETFEATURESTATE|Docs"/>
							<param name="e" value="CM_SETFEATURESTATE|Docs|#1"/>
							<param name="f" value="CM_GETFEATURESTATE|Docs"/>
							<param name="g" value="CM_SETFEATURESTATE|Nope|#1"/>
							<param name="h" value="CM_GETFEATURESIZE|Docs"/>
							<param name="i" value="CM_GETSETUPSIZE"/>
							<param name="j" value="CM_GETINSTALLTYPE|''"/>
							<param name="k" value="CM_SETINSTALLTYPE|Full"/>
							<param name="l" value="CM_SETINSTALLTYPE|Nope"/>
							<param name="m" value="CM_CALCEXPRESSION|1+2|#0"/>
							<param name="n" value="CM_CALCEXPRESSION|PluginEcho('x', %Shared%)|#7"/>
							<param name="o" value="CM_CALCBOOLEXPRESSION|'%Shared%'='package'|#0"/>
							<param name="p" value="CM_GETPCPARAM|Function|Result|none"/>
							<param name="q" value="CM_GETPCPARAM|Nope|Result|none"/>
							<param name="r" value="CM_GETPCPARAMNAMES|Answers"/>
							<param name="s" value="CM_GETPCCUSTOMCONFIG"/>
							<param name="t" value="CM_PARSETEXT|%AppName% in [Strings.1]"/>
							<param name="u" value="CM_GETLANGUAGE|''"/>
							<param name="v" value="CM_GETLANGUAGE|DEU"/>
							<param name="w" value="CM_GETLANGUAGE|XXX"/>
							<param name="x" value="CM_SETLANGUAGE|XXX"/>
							<param name="y" value="CM_SETPASSWORD|anything"/>
							<param name="z" value="CM_ISPASSWORDVALID"/>
							<param name="za" value="CM_ADDLOGRECORD|a|b"/>
							<param name="zb" value="CM_SETLANGUAGE|DEU"/>
							<param name="zc" value="CM_GETVARIABLE|LangID"/>
							<param name="zd" value="CM_PARSETEXT|[Strings.1]"/>
							<param name="ze" value="CM_CALCACTIONS|%CALCACTIONS%|#0"/>
						</paramgroup>
					</config>
					<customconfig><pages first="welcome"/></customconfig>
				</plugin>
				<plugin id="TestHelper" src="plugins\helper\*.dll">
					<config>
						<paramgroup name="Log"><param name="File" value="%LOG%helper.log"/></paramgroup>
						<paramgroup name="On EV_START">
							<param name="1" value="CM_GETVARIABLE|FromWizard"/>
							<param name="2" value="CM_GETPCGROUPNAMES"/>
						</paramgroup>
						<paramgroup name="Thread EV_START">
							<param name="1" value="CM_GETVARIABLE|AppName"/>
							<param name="2" value="CM_SETVARIABLE|FromThread|yes"/>
							<param name="3" value="CM_GETVARIABLE|FromThread"/>
						</paramgroup>
					</config>
				</plugin>
				%EXTRA%
			</plugins>
		</package>
	</packages>
	<components>
		<component id="Core" name="Core" size="100"/>
		<component id="Guide" name="Guide" size="50"/>
	</components>
	<features>
		<feature id="Main" name="Main for %AppName%" description="Everything" required="1">
			<components><component id="Core"/></components>
			<features><feature id="Sub" name="Sub"/></features>
		</feature>
		<feature id="Docs" name="Docs"><components><component id="Guide"/></components></feature>
	</features>
	<installtypes>
		<installtype id="Typical" name="Typical" default="1"><features><feature id="Main"/></features></installtype>
		<installtype id="Full" name="Full" custom="1"><features><feature id="Main"/><feature id="Docs"/></features></installtype>
	</installtypes>
	<launchconditions>
		<launchcondition condition="PluginEcho('ok')='echo:ok'" msg="The plug-in function failed."/>
		<launchcondition condition="'%Shared%'='main'" msg="The engine saw a package variable."/>
	</launchconditions>
	<languages>
		<language id="en" lngid="ENU" name="English" installname="English"><param name="Strings.1" value="One"/></language>
		<language id="de" lngid="DEU" name="German" installname="Deutsch"><param name="Strings.1" value="Eins"/></language>
	</languages>
	%EVENTS%
</cv2project>
)";

// Text for an attribute value in the project: the characters XML gives a
// meaning, written as the character references the reader decodes.
std::string AttributeText(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&#x26;"; break;
      case '<': out += "&#x3C;"; break;
      case '>': out += "&#x3E;"; break;
      case '"': out += "&#x22;"; break;
      default: out += c;
    }
  }
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The messages of a log, without their parameters ("MSG EV_LOAD 1 []" gives
// "EV_LOAD").
std::vector<std::string> Messages(const std::vector<std::string>& log) {
  std::vector<std::string> names;
  for (const std::string& line : log) {
    if (line.rfind("MSG ", 0) == 0) names.push_back(line.substr(4, line.find(' ', 4) - 4));
  }
  return names;
}

bool Has(const std::vector<std::string>& log, const std::string& line) {
  return std::find(log.begin(), log.end(), line) != log.end();
}

std::size_t Position(const std::vector<std::string>& names, const std::string& name) {
  return static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin());
}

class PluginSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string bin = test::TestProgramFolder();
    ASSERT_TRUE(CreateDirectoryA((place_.Path() + "plugins").c_str(), nullptr));
    for (const char* folder : {"wizard", "helper"}) {
      ASSERT_TRUE(CreateDirectoryA((place_.Path() + "plugins\\" + folder).c_str(), nullptr));
    }
    Copy(bin + "cvtestplugin_a.dll", "plugins\\wizard\\wizard.dll");
    // Not loadable as this package's helper: a newer interface, and no
    // SetStartupInfo. Only helper.dll fits.
    Copy(bin + "cvtestplugin_newer.dll", "plugins\\helper\\a_newer.dll");
    Copy(bin + "cvtestplugin_nostartup.dll", "plugins\\helper\\b_nostartup.dll");
    Copy(bin + "cvtestplugin_b.dll", "plugins\\helper\\helper.dll");
  }

  void Copy(const std::string& from, const std::string& to) {
    ASSERT_TRUE(CopyFileA(from.c_str(), (place_.Path() + to).c_str(), FALSE)) << from;
  }

  // Writes the project and builds the setup file; answers cvbuild's code.
  DWORD Build(const std::string& loadAnswer, const std::string& extraPlugins,
              const std::string& events = "", const std::string& calcActions = "") {
    std::string project = kProject;
    Replace(project, "%EVENTS%", events);
    Replace(project, "%CALCACTIONS%", AttributeText(calcActions));
    Replace(project, "%LOG%", logs_.Path());
    Replace(project, "%LOADANSWER%", loadAnswer);
    Replace(project, "%EXTRA%", extraPlugins);
    Replace(project, "%RUN%", std::to_string(GetCurrentProcessId()));
    const std::string file = place_.Path() + "plugtest.cv2project";
    EXPECT_TRUE(test::WriteFileBytes(file, project));
    return test::BuildSetupFile(file, Setup());
  }
  std::string Setup() const { return place_.Path() + "plugtest.exe"; }

  // Runs the setup file to its end, answering every box; answers the boxes.
  std::vector<test::SeenDialog> Run() {
    test::DialogWatcher watcher(kNoProcess);
    test::ChildProcess setup(Quoted(Setup()), {{"TMP", temp_.Path()}, {"TEMP", temp_.Path()}});
    EXPECT_TRUE(setup.Started());
    watcher.SetProcess(setup.Id());
    EXPECT_TRUE(setup.Wait(120000));
    EXPECT_EQ(setup.ExitCode(), kFailureExitCode);
    EXPECT_TRUE(test::FolderEntries(temp_.Path()).empty()) << "the work folder was left";
    return watcher.Seen();
  }

  // The logs, for the reader of a failure.
  void TearDown() override {
    if (!HasFailure()) return;
    for (const char* name : {"wizard.log", "helper.log"}) {
      std::cout << "--- " << name << "\n" << test::ReadFileBytes(logs_.Path() + name) << "\n";
    }
  }

  std::vector<std::string> Log(const char* name) {
    return Lines(test::ReadFileBytes(logs_.Path() + name));
  }

  test::TempFolder place_;  // the project and the setup file
  test::TempFolder temp_;   // the engine's temporary root
  test::TempFolder logs_;   // the plug-ins' logs
};

TEST_F(PluginSetupTest, TwoPluginsRunThroughTheWizardsStartAndAnswerEveryCommand) {
  ASSERT_EQ(Build("0", ""), 0u);
  const std::vector<test::SeenDialog> boxes = Run();
  for (const test::SeenDialog& box : boxes) ADD_FAILURE() << box.Caption << ": " << box.Text;

  const std::vector<std::string> wizard = Log("wizard.log");
  const std::vector<std::string> helper = Log("helper.log");
  ASSERT_FALSE(wizard.empty());
  ASSERT_FALSE(helper.empty());
  EXPECT_EQ(wizard.front(), "STARTUP id=1 engine=0x20000 max=0x40000");
  EXPECT_EQ(helper.front(), "STARTUP id=2 engine=0x20000 max=0x40000")
      << "the other DLLs of the helper's folder were not taken";
  EXPECT_EQ(std::count(helper.begin(), helper.end(), "STARTUP id=2 engine=0x20000 max=0x40000"), 1);

  // The order of the run: load, language, start, the wizard's pages; the
  // wizard's pages answered 1 end the run, which still finishes and unloads.
  for (const auto* log : {&wizard, &helper}) {
    const std::vector<std::string> names = Messages(*log);
    ASSERT_GE(names.size(), 6u);
    EXPECT_EQ(names[0], "EV_LOAD");
    EXPECT_EQ(names[1], "EV_LANGUAGECHANGED");
    const std::size_t start = Position(names, "EV_START");
    const std::size_t finish = Position(names, "EV_FINISH");
    EXPECT_LT(start, finish);
    EXPECT_LT(finish, names.size());
    EXPECT_EQ(names.back(), "EV_UNLOAD");
    EXPECT_EQ(log->back().rfind("DETACH ", 0), 0u);
  }
  EXPECT_EQ(wizard[1], "MSG EV_LOAD 1 []");
  const std::vector<std::string> wizardNames = Messages(wizard);
  EXPECT_LT(Position(wizardNames, "EV_START"), Position(wizardNames, "EV_SHOWDIALOGS"));
  EXPECT_LT(Position(wizardNames, "EV_SHOWDIALOGS"), Position(wizardNames, "EV_FINISH"));
  EXPECT_TRUE(Has(wizard, "MSG EV_LANGUAGECHANGED 6 [s:ENU]"));
  EXPECT_TRUE(Has(wizard, "MSG EV_SHOWDIALOGS 5 [b:0]"));
  EXPECT_TRUE(Has(wizard, "MSG EV_FINISH 4 [b:0]"));
  EXPECT_FALSE(Has(helper, "MSG EV_SHOWDIALOGS 5 [b:0]")) << "the wizard's answer ended the dispatch";
  // The helper unloads first.
  const std::string helperLog = test::ReadFileBytes(logs_.Path() + "helper.log");
  EXPECT_NE(helperLog.find("MSG EV_UNLOAD"), std::string::npos);

  // Requests at EV_LOAD: a function registered once, variables of the
  // plug-in's own package before the main database's.
  EXPECT_TRUE(Has(wizard, "REQ CM_REGISTERFUNCTION|pluginecho|#-1 = 0 []"));
  const auto registered = std::find_if(wizard.begin(), wizard.end(), [](const std::string& line) {
    return line.rfind("REQ CM_REGISTERFUNCTION|PluginEcho|#-1 = ", 0) == 0;
  });
  ASSERT_NE(registered, wizard.end());
  const std::string serial = registered->substr(registered->find("= ") + 2);
  EXPECT_NE(serial.substr(0, 2), "0 ") << "a serial number";
  EXPECT_TRUE(Has(wizard, "REQ CM_GETVARIABLE|Shared = 0 [s:package]"));

  // The launch condition called the plug-in function.
  EXPECT_TRUE(Has(wizard, "MSG EV_CALCFUNCTION 19 [i:" + serial.substr(0, serial.find(' ')) +
                              ",s:PluginEcho,i:1,i:0,s:ok]"));

  // Every command at EV_START, answered as the engine's table says.
  for (const char* line : {
           "REQ CM_GETFEATURE|'' = 0 [s:Main,s:Main for Plugin Test,s:Everything,b:1,s:,s:Sub]",
           "REQ CM_GETFEATURE|Sub = 0 [s:Sub,s:Sub,s:,b:0,s:Main,s:Docs]",
           "REQ CM_GETFEATURE|Nope = -1 []",
           "REQ CM_GETFEATURESTATE|Docs = 0 []",
           "REQ CM_SETFEATURESTATE|Docs|#1 = 0 []",
           "REQ CM_GETFEATURESTATE|Docs = 1 []",
           "REQ CM_SETFEATURESTATE|Nope|#1 = -1 []",
           "REQ CM_GETFEATURESIZE|Docs = 50 []",
           "REQ CM_GETSETUPSIZE = 150 []",
           "REQ CM_GETINSTALLTYPE|'' = 0 [s:Typical,s:Typical,s:,b:0,s:Full]",
           "REQ CM_SETINSTALLTYPE|Full = 0 []",
           "REQ CM_SETINSTALLTYPE|Nope = -1 []",
           "REQ CM_CALCEXPRESSION|1+2|#0 = 0 [s:3]",
           "REQ CM_CALCEXPRESSION|PluginEcho('x', %Shared%)|#7 = 0 [s:echo:x,package]",
           "REQ CM_CALCBOOLEXPRESSION|'%Shared%'='package'|#0 = 1 []",
           "REQ CM_GETPCPARAM|Function|Result|none = 0 [s:echo:]",
           "REQ CM_GETPCPARAM|Nope|Result|none = 0 [s:none]",
           "REQ CM_GETPCPARAMNAMES|Answers = 0 "
           "[s:EV_LOAD,s:EV_BEFOREPROCESSITEMS,s:EV_SHOWDIALOGS,s:EV_CALCFUNCTION]",
           "REQ CM_PARSETEXT|%AppName% in [Strings.1] = 0 [s:Plugin Test in One]",
           "REQ CM_GETLANGUAGE|XXX = -1 []",
           "REQ CM_SETLANGUAGE|XXX = 1 []",
           "REQ CM_SETPASSWORD|anything = 0 []",
           "REQ CM_ISPASSWORDVALID = 0 []",
           "REQ CM_ADDLOGRECORD|a|b = 0 []",
           "REQ CM_SETLANGUAGE|DEU = 0 []",
           "REQ CM_GETVARIABLE|LangID = 0 [s:DEU]",
           "REQ CM_PARSETEXT|[Strings.1] = 0 [s:Eins]",
       }) {
    EXPECT_TRUE(Has(wizard, line)) << line;
  }
  EXPECT_TRUE(Has(wizard, "MSG EV_CALCFUNCTION 19 [i:" + serial.substr(0, serial.find(' ')) +
                              ",s:PluginEcho,i:2,i:7,s:x,s:package]"))
      << "the call's Extra value travels with it";
  // Windows names the languages it knows.
  const auto first = std::find_if(wizard.begin(), wizard.end(), [](const std::string& line) {
    return line.rfind("REQ CM_GETLANGUAGE|'' = 0 [s:ENU,s:English", 0) == 0;
  });
  ASSERT_NE(first, wizard.end());
  EXPECT_EQ(first->substr(first->size() - 7), ",s:DEU]") << *first;
  const std::string text = test::ReadFileBytes(logs_.Path() + "wizard.log");
  EXPECT_NE(text.find("REQ CM_GETPCCUSTOMCONFIG = 0 [s:<customconfig>\r\n\t<pages first=\"welcome\"/>"
                      "\r\n</customconfig>\r\n]"),
            std::string::npos)
      << "the element as XML text";
  const auto german = std::find_if(wizard.begin(), wizard.end(), [](const std::string& line) {
    return line.rfind("REQ CM_GETLANGUAGE|DEU = 0 [s:DEU,s:", 0) == 0;
  });
  EXPECT_NE(german, wizard.end()) << "the last language has no next one";
  if (german != wizard.end()) {
    EXPECT_EQ(german->substr(german->size() - 4), ",s:]");
  }
  EXPECT_TRUE(Has(wizard, "MSG EV_FEATURESTATECHANGED 14 [s:Docs,i:1]"));

  // The helper: the wizard's variable in their shared package, its
  // configuration's groups, and requests from a thread of its own.
  EXPECT_TRUE(Has(helper, "REQ CM_GETVARIABLE|FromWizard = 0 [s:set by wizard]"));
  EXPECT_TRUE(Has(helper, "MSG EV_LANGUAGECHANGED 6 [s:DEU]")) << "the wizard's language choice";
  EXPECT_TRUE(Has(helper, "REQ CM_GETPCGROUPNAMES = 0 [s:Log,s:On EV_START,s:Thread EV_START]"));
  EXPECT_TRUE(Has(helper, "REQ(thread) CM_GETVARIABLE|AppName = 0 [s:Plugin Test]"));
  EXPECT_TRUE(Has(helper, "REQ(thread) CM_GETVARIABLE|FromThread = 0 [s:yes]"));
}

TEST_F(PluginSetupTest, APluginRefusingToLoadIsDroppedAndTheNextOneStillLoads) {
  ASSERT_EQ(Build("1", ""), 0u);
  const std::vector<test::SeenDialog> boxes = Run();
  // The refusing wizard had registered the launch condition's function: with
  // its plug-in gone the function gives "", and the condition fails.
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "The plug-in function failed.");
  const std::vector<std::string> wizard = Log("wizard.log");
  const std::vector<std::string> helper = Log("helper.log");
  EXPECT_EQ(Messages(wizard), std::vector<std::string>{"EV_LOAD"}) << "no EV_UNLOAD either";
  EXPECT_EQ(wizard.back(), "DETACH TestWizard");
  ASSERT_FALSE(helper.empty());
  EXPECT_EQ(helper.front(), "STARTUP id=1 engine=0x20000 max=0x40000")
      << "the next plug-in takes the place";
  const std::vector<std::string> names = Messages(helper);
  ASSERT_GE(names.size(), 3u);
  EXPECT_EQ(names[0], "EV_LOAD");
  EXPECT_EQ(names[1], "EV_LANGUAGECHANGED");
  EXPECT_EQ(names.back(), "EV_UNLOAD");
  EXPECT_EQ(Position(names, "EV_START"), names.size()) << "the launch check ended the run";
}

TEST_F(PluginSetupTest, AnEntryWithoutALoadableDllStopsTheRun) {
  // Its DLL is not where the entry says; the DLL in its folder is another
  // plug-in's.
  ASSERT_EQ(Build("0", R"(<plugin id="Missing" debugdll="nowhere\missing.dll" src="plugins\helper\helper.dll"/>)"),
            0u);
  const std::vector<test::SeenDialog> boxes = Run();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Caption, "Error");
  EXPECT_EQ(boxes[0].Text, "Cannot load \"Missing\" plug-in.");
  const std::vector<std::string> names = Messages(Log("wizard.log"));
  // The error box asked the wizard for its owner window.
  EXPECT_EQ(names, (std::vector<std::string>{"EV_LOAD", "EV_LANGUAGECHANGED", "CM_GETACTIVEWINDOW",
                                             "EV_UNLOAD"}))
      << "loaded plug-ins are unloaded on the way out; the wizard never started";
}

// The project's event scripts see the messages before and after the
// plug-ins: they read a message's parameters through %EventParams%, loop and
// branch, answer through %EventResult%, and an answer of 1 before the plug-ins
// keeps the message from them. A plug-in's action text runs in its package
// and gives back its return text.
TEST_F(PluginSetupTest, EventScriptsAnswerMessagesAndPluginsRunActionTexts) {
  const std::string events = R"xml(<events>
		<event name="Languages" eventid="ev_languagechanged" whenhandle="before_plugins">
			<action expression="Seen := 'lang'"/>
			<loop initexpression="i := 0" expression="3 &#x3E; %i%" loopexpression="i := %i% + 1">
				<if expression="%i% = 1"><then><continue/></then></if>
				<action expression="Seen := %Seen% &#x26; ',' &#x26; GetParam(%EventParams%, 0) &#x26; %i%"/>
			</loop>
			<return expression="0"/>
		</event>
		<event name="Dialogs" eventid="EV_SHOWDIALOGS" whenhandle="before_plugins">
			<action expression="AddParam(%EventResult%, 'scripted')"/>
			<switch expression="GetParam(%EventParams%, 0)">
				<case expression="'1'"><return expression="0"/></case>
				<case expression="'0'"><action expression="Dialogs := 'skipped'"/><return expression="1"/></case>
			</switch>
		</event>
		<event name="Finish" eventid="EV_FINISH" whenhandle="after_plugins">
			<if expression="%Dialogs% = 'skipped'"><then><action expression="Finished := 'yes'"/></then></if>
		</event>
	</events>)xml";
  const std::string actions =
      "<actions><if expression=\"%Shared% = 'package'\"><then><return expression=\"%Seen%\"/>"
      "</then></if><return expression=\"'not the package'\"/></actions>";
  ASSERT_EQ(Build("0", "", events, actions), 0u);
  const std::vector<test::SeenDialog> boxes = Run();
  for (const test::SeenDialog& box : boxes) ADD_FAILURE() << box.Caption << ": " << box.Text;

  const std::vector<std::string> wizard = Log("wizard.log");
  const std::vector<std::string> names = Messages(wizard);
  ASSERT_LT(Position(names, "EV_START"), names.size());
  EXPECT_EQ(Position(names, "EV_SHOWDIALOGS"), names.size())
      << "the script answered EV_SHOWDIALOGS before the plug-ins";
  EXPECT_LT(Position(names, "EV_FINISH"), names.size());
  const auto calc = std::find_if(wizard.begin(), wizard.end(), [](const std::string& line) {
    return line.rfind("REQ CM_CALCACTIONS|", 0) == 0;
  });
  ASSERT_NE(calc, wizard.end());
  // Both language changes ran the loop (pass 1 skipped by continue); the
  // second, to German, is the one the text shows.
  const std::string expected = " = 0 [s:lang,DEU0,DEU2]";
  ASSERT_GE(calc->size(), expected.size());
  EXPECT_EQ(calc->substr(calc->size() - expected.size()), expected) << *calc;
}

}  // namespace
}  // namespace cv
