// The standard wizard in a setup file built from the example project, driven
// through its real controls as a user would: keys to the focused control,
// typed text, mnemonics. A test plug-in beside it logs what the engine holds
// when the installation starts.

#include "wizard_setup_fixture.h"

namespace cv::wizard_test {
namespace {

TEST_F(WizardSetupTest, AUserWalksThroughEveryPageWithTheKeyboard) {
  Build();
  test::ChildProcess setup(Quoted(Setup()), {{"TMP", temp_.Path()}, {"TEMP", temp_.Path()}});
  ASSERT_TRUE(setup.Started());
  test::WizardDriver wizard(setup.Id());
  ASSERT_TRUE(wizard.WaitForWindow(kWait));

  // Welcome: the project's own subtitle from the plug-in's configuration.
  ASSERT_TRUE(wizard.WaitForTitle("Welcome to the Corvane Hello Setup", kWait)) << wizard.Title();
  EXPECT_EQ(wizard.Text(kSubtitle), "Version 1.0.0 by Corvane Example Company");
  EXPECT_NE(wizard.Text(kText).find("This will install Corvane Hello"), std::string::npos);
  EXPECT_FALSE(wizard.Enabled(kBack));
  char caption[256] = {};
  GetWindowTextA(wizard.Window(), caption, sizeof caption);
  EXPECT_STREQ(caption, "Corvane Hello Setup");
  wizard.Shoot("wizard-welcome");

  // Escape asks before cancelling; "No" stays on the page.
  wizard.Key(VK_ESCAPE);
  HWND box = wizard.WaitForBox(kWait);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(test::WizardDriver::BoxText(box), "Do you really want to cancel the installation?");
  EXPECT_EQ(GetWindow(box, GW_OWNER), wizard.Window());
  PostMessageA(box, WM_COMMAND, IDNO, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  EXPECT_EQ(wizard.Title(), "Welcome to the Corvane Hello Setup");

  // Enter presses Next.
  wizard.Key(VK_RETURN);
  ASSERT_TRUE(wizard.WaitForTitle("License Agreement", kWait)) << wizard.Title();
  EXPECT_NE(wizard.Text(kLicense).find("Corvane Hello licence agreement"), std::string::npos);
  EXPECT_EQ(wizard.Text(kAccept), "I &accept the agreement");
  EXPECT_NE(wizard.Control(kDecline), nullptr);
  EXPECT_FALSE(wizard.Enabled(IDOK)) << "Next waits for the acceptance";
  wizard.AltKey('a');
  ASSERT_TRUE(WaitUntil([&] { return wizard.Enabled(IDOK); }));
  wizard.Shoot("wizard-license");
  wizard.Key(VK_RETURN);

  // Features: the default type, the required feature checked; Documentation
  // checked with the keyboard.
  ASSERT_TRUE(wizard.WaitForTitle("Select Features", kWait)) << wizard.Title();
  EXPECT_EQ(wizard.Text(kType), "Typical");
  HWND list = wizard.Control(kFeatures);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_NE(wizard.Text(kSpace).find("Disk space needed:"), std::string::npos);
  const std::string spaceBefore = wizard.Text(kSpace);
  SetForegroundWindow(wizard.Window());
  wizard.Key(VK_TAB);  // from the type to the list
  wizard.Key(VK_DOWN);
  wizard.Key(VK_SPACE);
  EXPECT_TRUE(WaitUntil([&] { return wizard.Text(kSpace) != spaceBefore; }))
      << "the documentation adds to the space needed";
  // Typical has no documentation: the selection is the custom type's now.
  EXPECT_TRUE(WaitUntil([&] { return wizard.Text(kType) == "Custom"; })) << wizard.Text(kType);
  wizard.Shoot("wizard-features");
  wizard.Key(VK_RETURN);

  // Folder: typed over the default.
  ASSERT_TRUE(wizard.WaitForTitle("Destination Folder", kWait)) << wizard.Title();
  EXPECT_NE(wizard.Text(kFolder).find("Corvane Hello"), std::string::npos) << wizard.Text(kFolder);
  EXPECT_NE(wizard.Control(kBrowse), nullptr);
  // An existing folder: the engine measures the free space of the folder
  // itself.
  const std::string folder = target_.Path().substr(0, target_.Path().size() - 1);
  SendMessageA(wizard.Control(kFolder), EM_SETSEL, 0, -1);
  wizard.Type(folder);
  EXPECT_TRUE(WaitUntil([&] { return wizard.Text(kFolder) == folder; })) << wizard.Text(kFolder);
  wizard.Shoot("wizard-folder");
  wizard.Key(VK_RETURN);

  // Ready: a summary of the choices, then Install.
  ASSERT_TRUE(wizard.WaitForTitle("Ready to Install", kWait)) << wizard.Title();
  const std::string summary = wizard.Text(kText);
  EXPECT_NE(summary.find(folder), std::string::npos) << summary;
  EXPECT_NE(summary.find("Documentation"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Custom"), std::string::npos) << summary;
  EXPECT_EQ(wizard.Text(IDOK), "&Install");
  wizard.Shoot("wizard-ready");
  // Back and forth keeps what was entered.
  PostMessageA(wizard.Control(kBack), BM_CLICK, 0, 0);
  ASSERT_TRUE(wizard.WaitForTitle("Destination Folder", kWait));
  EXPECT_EQ(wizard.Text(kFolder), folder);
  wizard.Key(VK_RETURN);
  ASSERT_TRUE(wizard.WaitForTitle("Ready to Install", kWait));
  wizard.Key(VK_RETURN);

  // The progress page, or already the closing page of a quick installation.
  const DWORD clicked = GetTickCount();
  while (wizard.Title() != "Installing" && wizard.Title().find("Completing") != 0 &&
         GetTickCount() - clicked < kWait) {
    Sleep(20);
  }
  if (wizard.Title() == "Installing") {
    EXPECT_NE(wizard.Control(kProgress), nullptr);
  }

  // What follows the pages: answer the engine's boxes, finish the wizard.
  std::vector<std::string> boxes;
  bool sawFinish = false;
  const DWORD started = GetTickCount();
  while (!setup.Wait(100) && GetTickCount() - started < 120000) {
    if (HWND shown = wizard.WaitForBox(50)) {
      boxes.push_back(test::WizardDriver::BoxText(shown));
      PostMessageA(shown, WM_COMMAND, IDOK, 0);
      Sleep(300);
    }
    if (!sawFinish && IsWindow(wizard.Window()) && wizard.Title().find("Completing") == 0) {
      sawFinish = true;
      EXPECT_EQ(wizard.Text(kText),
                "Setup has finished installing Corvane Hello on your computer.");
      wizard.Shoot("wizard-finish");
      PostMessageA(wizard.Control(IDOK), BM_CLICK, 0, 0);
      Sleep(300);
    }
  }
  EXPECT_TRUE(sawFinish);
  for (const std::string& text : boxes) ADD_FAILURE() << "box: " << text;
  EXPECT_EQ(setup.ExitCode(), 0u);
  // What the user chose is what was installed: the program and the
  // documentation ticked on the way, in the folder typed.
  for (const char* file : {"hello.txt", "readme.txt", "docs\\guide.txt"}) {
    EXPECT_TRUE(test::PathExists(target_.Path() + file)) << file;
  }
  // The engine starts the installation with the user's choices.
  const std::string log = HelperLog();
  EXPECT_TRUE(Has(log, "MSG EV_SHOWDIALOGS 5 [b:1]")) << "the closing pages came";
  EXPECT_TRUE(Has(log, "REQ CM_GETVARIABLE|InstallPath = 0 [s:" + folder + "]")) << log;
  EXPECT_TRUE(Has(log, "REQ CM_GETFEATURESTATE|Main = 1 []")) << log;
  EXPECT_TRUE(Has(log, "REQ CM_GETFEATURESTATE|Documentation = 1 []")) << log;
  EXPECT_TRUE(Has(log, "REQ CM_CALCEXPRESSION|ActiveInstallType|#0 = 0 [s:Custom]")) << log;
}

TEST_F(WizardSetupTest, SilentModeShowsNoPageAndDoesNotWait) {
  // An existing folder, since the engine measures the folder's free space.
  const std::string folder = target_.Path().substr(0, target_.Path().size() - 1);
  Build([&](std::string& project) { Replace(project, R"(%ProgramFiles%\Corvane Hello)", folder); });
  test::ChildProcess setup(Quoted(Setup()) + " /s",
                           {{"TMP", temp_.Path()}, {"TEMP", temp_.Path()}});
  ASSERT_TRUE(setup.Started());
  test::WizardDriver wizard(setup.Id());
  // The run goes to its end on its own; no wizard window on the way.
  bool sawWindow = false;
  std::vector<std::string> boxes;
  const DWORD started = GetTickCount();
  while (!setup.Wait(50) && GetTickCount() - started < 120000) {
    sawWindow = sawWindow || wizard.WaitForWindow(1);
    if (HWND shown = wizard.WaitForBox(1)) {
      boxes.push_back(test::WizardDriver::BoxText(shown));
      PostMessageA(shown, WM_COMMAND, IDOK, 0);
      Sleep(300);
    }
  }
  EXPECT_FALSE(sawWindow);
  for (const std::string& text : boxes) ADD_FAILURE() << text;
  EXPECT_EQ(setup.ExitCode(), 0u) << "installed";
  const std::string log = HelperLog();
  EXPECT_TRUE(Has(log, "MSG EV_SHOWDIALOGS 5 [b:0]")) << log;
  EXPECT_TRUE(Has(log, "MSG EV_SHOWDIALOGS 5 [b:1]")) << "the wizard let the run go on";
  EXPECT_TRUE(Has(log, "REQ CM_GETFEATURESTATE|Documentation = 0 []")) << "the defaults stand";
  EXPECT_TRUE(Has(log, "REQ CM_CALCEXPRESSION|ActiveInstallType|#0 = 0 [s:Typical]")) << log;
}

// Pages switched off in the configuration are left out, texts come from the
// configuration before the language tables, and a missing licence file is
// said so.
TEST_F(WizardSetupTest, TheConfigurationChoosesThePagesAndTheirTexts) {
  Build([](std::string& project) {
    Replace(project, R"(<param name="Welcome" value="1"/>)",
            R"(<param name="Welcome" value="0"/>)");
    Replace(project, R"(<param name="Ready" value="1"/>)", R"(<param name="Ready" value="0"/>
							<param name="Features" value="0"/>)");
    Replace(project, R"(value="license.txt")", R"(value="nowhere.txt")");
    Replace(project, R"(<param name="WelcomeSubtitle")",
            R"(<param name="FolderTitle" value="Where to, %AppName%?"/>
							<param name="WelcomeSubtitle")");
  });
  test::ChildProcess setup(Quoted(Setup()), {{"TMP", temp_.Path()}, {"TEMP", temp_.Path()}});
  ASSERT_TRUE(setup.Started());
  test::WizardDriver wizard(setup.Id());
  ASSERT_TRUE(wizard.WaitForWindow(kWait));
  HWND box = wizard.WaitForBox(kWait);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(test::WizardDriver::BoxText(box).find("nowhere.txt cannot be read."), std::string::npos)
      << test::WizardDriver::BoxText(box);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(wizard.WaitForTitle("License Agreement", kWait)) << wizard.Title();
  EXPECT_FALSE(wizard.Enabled(kBack)) << "the licence is the first page";
  for (int wait = 0; wait < 100 && !wizard.Control(kAccept); ++wait) Sleep(50);
  PostMessageA(wizard.Control(kAccept), BM_CLICK, 0, 0);
  for (int wait = 0; wait < 100 && !wizard.Enabled(IDOK); ++wait) Sleep(50);
  PostMessageA(wizard.Control(IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(wizard.WaitForTitle("Where to, Corvane Hello?", kWait)) << wizard.Title();
  EXPECT_EQ(wizard.Text(IDOK), "&Install") << "the last page before the installation";
  // An empty folder is refused with a message.
  SetWindowTextA(wizard.Control(kFolder), "");
  PostMessageA(wizard.Control(IDOK), BM_CLICK, 0, 0);
  box = wizard.WaitForBox(kWait);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(test::WizardDriver::BoxText(box), "Please enter a folder.");
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  Sleep(300);
  EXPECT_EQ(wizard.Title(), "Where to, Corvane Hello?");
  // Cancelling for real ends the run before the installation.
  PostMessageA(wizard.Control(IDCANCEL), BM_CLICK, 0, 0);
  box = wizard.WaitForBox(kWait);
  ASSERT_NE(box, nullptr);
  PostMessageA(box, WM_COMMAND, IDYES, 0);
  ASSERT_TRUE(setup.Wait(kWait));
  const std::string log = HelperLog();
  EXPECT_TRUE(Has(log, "MSG EV_FINISH 4 [b:0]")) << log;
  EXPECT_EQ(log.find("MSG EV_BEFOREINSTALL"), std::string::npos) << log;
}

// With several languages the first page chooses one; the pages then speak it,
// from the wizard's own tables.
TEST_F(WizardSetupTest, TheLanguagePageSwitchesEveryText) {
  const std::string languages = test::ReadFileBytes(place_.Path() + "languages.xml");
  std::string changed = languages;
  Replace(changed, "<languages>", R"(<languages>
	<language id="German" lngid="DEU" name="Deutsch" installname="Deutsch"/>)");
  ASSERT_TRUE(test::WriteFileBytes(place_.Path() + "languages.xml", changed));
  Build([](std::string& project) {
    // A fixed choice, whatever the display's locale.
    Replace(project, R"(<var name="AppVersion")", R"(<var name="AutoSelectLanguage" value="0"/>
		<var name="AppVersion")");
  });
  test::ChildProcess setup(Quoted(Setup()), {{"TMP", temp_.Path()}, {"TEMP", temp_.Path()}});
  ASSERT_TRUE(setup.Started());
  test::WizardDriver wizard(setup.Id());
  ASSERT_TRUE(wizard.WaitForWindow(kWait));
  // The engine chose the first language, German, and the page speaks it.
  ASSERT_TRUE(wizard.WaitForTitle("Sprache", kWait)) << wizard.Title();
  HWND choice = wizard.Control(kLanguage);
  ASSERT_NE(choice, nullptr);
  ASSERT_EQ(SendMessageA(choice, CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(choice, CB_GETCURSEL, 0, 0), 0);
  // The user picks English with the keyboard, then goes back and takes German.
  wizard.Key(VK_DOWN);
  wizard.Key(VK_RETURN);
  ASSERT_TRUE(wizard.WaitForTitle("Welcome to the Corvane Hello Setup", kWait)) << wizard.Title();
  EXPECT_EQ(wizard.Text(IDOK), "&Next >");
  PostMessageA(wizard.Control(kBack), BM_CLICK, 0, 0);
  ASSERT_TRUE(wizard.WaitForTitle("Language", kWait)) << wizard.Title();
  wizard.Key(VK_UP);
  wizard.Key(VK_RETURN);
  ASSERT_TRUE(wizard.WaitForTitle("Willkommen zur Installation von Corvane Hello", kWait))
      << wizard.Title();
  EXPECT_EQ(wizard.Text(IDOK), "&Weiter >");
  EXPECT_EQ(wizard.Text(kBack),
            "< &Zur\xfc"
            "ck");
  PostMessageA(wizard.Control(IDCANCEL), BM_CLICK, 0, 0);
  HWND box = wizard.WaitForBox(kWait);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(test::WizardDriver::BoxText(box), "Wollen Sie die Installation wirklich abbrechen?");
  PostMessageA(box, WM_COMMAND, IDYES, 0);
  ASSERT_TRUE(setup.Wait(kWait));
  EXPECT_TRUE(Has(HelperLog(), "MSG EV_LANGUAGECHANGED 6 [s:DEU]"));
}

// A package with a password: a wrong one keeps the page with a message, the
// right one goes on, and the engine installs from the enciphered package.
TEST_F(WizardSetupTest, ThePasswordPageLetsOnlyTheRightPasswordOn) {
  Build([&](std::string& project) { FewPages(project); }, "--password Sesame42");
  test::ChildProcess setup(Quoted(Setup()), Environment());
  ASSERT_TRUE(setup.Started());
  test::WizardDriver wizard(setup.Id());
  ASSERT_TRUE(wizard.WaitForWindow(kWait));
  ASSERT_TRUE(wizard.WaitForTitle("Password", kWait)) << wizard.Title();
  EXPECT_EQ(wizard.Text(IDOK), "&Install");
  wizard.Shoot("wizard-password");
  wizard.Type("sesame42");  // the case counts
  wizard.Key(VK_RETURN);
  HWND box = wizard.WaitForBox(kWait);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(test::WizardDriver::BoxText(box), "The password is not correct. Please try again.");
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  EXPECT_EQ(wizard.Title(), "Password");
  SendMessageA(wizard.Control(kPassword), EM_SETSEL, 0, -1);
  wizard.Type("Sesame42");
  wizard.Key(VK_RETURN);
  const RunEnd end = FinishRun(setup, wizard);
  EXPECT_TRUE(end.SawFinish);
  EXPECT_EQ(end.FinishText, "Setup has finished installing Corvane Hello on your computer.");
  for (const std::string& text : end.Boxes) ADD_FAILURE() << "box: " << text;
  EXPECT_EQ(setup.ExitCode(), 0u);
  EXPECT_TRUE(test::PathExists(target_.Path() + "hello.txt"));
}

// The installation holds after its first file (the helper suspends the copy
// thread until the run is aborted). Cancel asks: "No" lets it be, "Yes"
// aborts and the run rolls back what it had written.
TEST_F(WizardSetupTest, CancellingTheInstallationAsksThenRollsBack) {
  Build([&](std::string& project) {
    FewPages(project);
    HelperRequests(project, "EV_AFTERPROCESSITEM", {"CM_SUSPENDINSTALL"});
    HelperRequests(project, "EV_ABORTINSTALL", {"CM_RESUMEINSTALL"});
  });
  test::ChildProcess setup(Quoted(Setup()), Environment());
  ASSERT_TRUE(setup.Started());
  test::WizardDriver wizard(setup.Id());
  ASSERT_TRUE(wizard.WaitForWindow(kWait));
  ASSERT_TRUE(wizard.WaitForTitle("Installing", kWait)) << wizard.Title();
  ASSERT_TRUE(WaitUntil([&] { return !TargetEntries().empty(); })) << "a first file is there";
  EXPECT_NE(wizard.Control(kProgress), nullptr);
  EXPECT_TRUE(wizard.Enabled(IDCANCEL));
  // The status names the file the detail line shows.
  ASSERT_TRUE(WaitUntil([&] { return !wizard.Text(kStatus).empty(); }));
  const std::string detail = wizard.Text(kDetail);
  EXPECT_EQ(wizard.Text(kStatus), "Copying " + detail.substr(detail.rfind('\\') + 1)) << detail;
  wizard.Shoot("wizard-progress");

  PostMessageA(wizard.Control(IDCANCEL), BM_CLICK, 0, 0);
  HWND box = wizard.WaitForBox(kWait);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(test::WizardDriver::BoxText(box), "Do you really want to cancel the installation?");
  PostMessageA(box, WM_COMMAND, IDNO, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  EXPECT_EQ(wizard.Title(), "Installing");
  EXPECT_TRUE(wizard.Enabled(IDCANCEL));
  EXPECT_EQ(HelperLog().find("MSG EV_ABORTINSTALL"), std::string::npos) << "not aborted";
  EXPECT_FALSE(TargetEntries().empty());

  PostMessageA(wizard.Control(IDCANCEL), BM_CLICK, 0, 0);
  box = wizard.WaitForBox(kWait);
  ASSERT_NE(box, nullptr);
  PostMessageA(box, WM_COMMAND, IDYES, 0);
  const RunEnd end = FinishRun(setup, wizard);
  EXPECT_TRUE(end.SawFinish);
  EXPECT_EQ(end.FinishText, "Setup did not finish. Corvane Hello was not installed.");
  for (const std::string& text : end.Boxes) ADD_FAILURE() << "box: " << text;
  EXPECT_EQ(setup.ExitCode(), 0xFFFFFFFFu);
  EXPECT_NE(HelperLog().find("MSG EV_ABORTINSTALL"), std::string::npos) << HelperLog();
  for (const std::string& left : TargetEntries()) ADD_FAILURE() << "left behind: " << left;
  EXPECT_FALSE(UninstallEntryExists());
}

// A restart due after the installation is asked on the wizard's window; the
// answer decides the variable Reboot. The helper logs what the wizard left
// and then clears Reboot, so that the test's run never restarts Windows.
TEST_F(WizardSetupTest, TheRestartQuestionDecidesWhetherWindowsRestarts) {
  const struct {
    int Button;
    const char* Reboot;
  } cases[] = {{IDNO, "0"}, {IDYES, "1"}};
  for (const auto& answer : cases) {
    SCOPED_TRACE(answer.Reboot);
    ForgetInstallation();
    Build([&](std::string& project) {
      FewPages(project);
      HelperRequests(project, "EV_AFTERINSTALL", {"CM_SETVARIABLE|Reboot|1"});
      HelperRequests(project, "EV_FINISH", {"CM_GETVARIABLE|Reboot", "CM_SETVARIABLE|Reboot|0"});
    });
    test::ChildProcess setup(Quoted(Setup()), Environment());
    ASSERT_TRUE(setup.Started());
    test::WizardDriver wizard(setup.Id());
    ASSERT_TRUE(wizard.WaitForWindow(kWait));
    const RunEnd end = FinishRun(setup, wizard, answer.Button);
    EXPECT_TRUE(end.SawFinish);
    ASSERT_EQ(end.Boxes.size(), 1u);
    EXPECT_NE(end.Boxes[0].find("your computer must be restarted"), std::string::npos)
        << end.Boxes[0];
    EXPECT_EQ(setup.ExitCode(), 0u);
    EXPECT_TRUE(Has(HelperLog(), std::string("REQ CM_GETVARIABLE|Reboot = 0 [s:") +
                                     answer.Reboot + "]"))
        << HelperLog();
  }
}

// The setup file started again with "/u" removes the installed product:
// confirmation, progress, finish, and nothing of the product is left.
TEST_F(WizardSetupTest, TheUninstallFlowRemovesTheProduct) {
  Build([&](std::string& project) { FewPages(project); });
  {
    test::ChildProcess install(Quoted(Setup()) + " /s", Environment());
    ASSERT_TRUE(install.Started());
    ASSERT_TRUE(install.Wait(120000));
    ASSERT_EQ(install.ExitCode(), 0u);
  }
  ASSERT_TRUE(test::PathExists(target_.Path() + "hello.txt"));
  ASSERT_TRUE(UninstallEntryExists());

  test::ChildProcess setup(Quoted(Setup()) + " /u", Environment());
  ASSERT_TRUE(setup.Started());
  test::WizardDriver wizard(setup.Id());
  ASSERT_TRUE(wizard.WaitForWindow(kWait));
  ASSERT_TRUE(wizard.WaitForTitle("Remove Corvane Hello", kWait)) << wizard.Title();
  EXPECT_NE(wizard.Text(kText).find("will be removed from your computer"), std::string::npos);
  EXPECT_EQ(wizard.Text(IDOK), "&Remove");
  EXPECT_FALSE(wizard.Enabled(kBack));
  wizard.Shoot("wizard-uninstall");
  wizard.Key(VK_RETURN);
  const RunEnd end = FinishRun(setup, wizard);
  EXPECT_TRUE(end.SawFinish);
  EXPECT_EQ(end.FinishText, "Corvane Hello was removed from your computer.");
  for (const std::string& text : end.Boxes) ADD_FAILURE() << "box: " << text;
  EXPECT_EQ(setup.ExitCode(), 0u);
  for (const char* file : {"hello.txt", "readme.txt"}) {
    EXPECT_FALSE(test::PathExists(target_.Path() + file)) << file;
  }
  EXPECT_FALSE(UninstallEntryExists());
}

}  // namespace
}  // namespace cv::wizard_test
