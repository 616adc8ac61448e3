// The variables the engine provides and the ones handed in from outside, in
// a real (sandboxed) registry and environment.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "database/main_database.h"
#include "database/model_hooks.h"
#include "database/packages.h"
#include "database/variable_access.h"
#include "engine/run_state.h"
#include "engine/win/predefined_variables.h"
#include "platform/win/registry_path.h"
#include "registry_sandbox.h"
#include "script/evaluate_expression.h"

namespace cv {
namespace {

constexpr char kUninstall[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class PredefinedVariablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cv::Run() = RunState{};
    cv::Run().SetupFileName = "C:\\Setup Files\\setup.exe";
    database_ = TcvMainDatabase::New();
    silent_ = TcvSilentSettings::New();
    SetMainDatabase(database_.get());
    InstallEvaluatorHooks();
    SetConditionEvaluation(true);
  }
  void TearDown() override {
    SetConditionEvaluation(false);
    SetMainDatabase(nullptr);
    cv::Run() = RunState{};
  }
  std::string Var(const std::string& name) { return GetVar(database_.get(), name, "<none>"); }
  void Install(const std::string& root, const std::string& version, const std::string& location) {
    const std::string key = root + kUninstall + "Demo";
    ASSERT_TRUE(RegWriteString(key, "DisplayVersion", version));
    ASSERT_TRUE(RegWriteString(key, "InstallLocation", location));
  }

  test::RegistrySandbox registry_{"Predefined"};
  std::unique_ptr<TcvMainDatabase> database_;
  std::unique_ptr<TcvSilentSettings> silent_;
};

TEST_F(PredefinedVariablesTest, NothingInstalledMeansInstallWhateverTheSwitches) {
  SetVar(database_.get(), "AppID", "Demo");
  SetPredefinedVariables(*database_, {"setup.exe", "/u", "/r"});
  EXPECT_EQ(Var("AppInstalled"), "0");
  EXPECT_EQ(Var("InstalledAppVersion"), "");
  EXPECT_EQ(Var("InstallMode"), "0");
  EXPECT_EQ(Var("SilentMode"), "0");
  EXPECT_EQ(Var("ParamStr"), "/u /r");
  EXPECT_EQ(Var("SourcePath"), "C:\\Setup Files");
}

TEST_F(PredefinedVariablesTest, TheSameVersionRepairsAndTheInstalledFolderUninstalls) {
  SetVar(database_.get(), "AppID", "Demo");
  SetVar(database_.get(), "AppVersion", "1.5");
  Install("HKCU", "1.5", "D:\\Apps\\Demo");
  SetPredefinedVariables(*database_, {"setup.exe"});
  EXPECT_EQ(Var("AppInstalled"), "1");
  EXPECT_EQ(Var("InstalledAppVersion"), "1.5");
  EXPECT_EQ(Var("InstalledAppPath"), "D:\\Apps\\Demo");
  EXPECT_EQ(Var("InstallMode"), "2");

  SetPredefinedVariables(*database_, {"setup.exe", "/r", "-u"});
  EXPECT_EQ(Var("InstallMode"), "1");

  // HKLM wins over HKCU, and the setup started from the installed folder.
  Install("HKLM", "1.0", "C:\\Setup Files");
  EXPECT_EQ(UninstallKeyPath("Demo"), std::string("HKLM") + kUninstall + "Demo");
  SetPredefinedVariables(*database_, {"setup.exe"});
  EXPECT_EQ(Var("InstalledAppVersion"), "1.0");
  EXPECT_EQ(Var("InstallMode"), "1");
}

TEST_F(PredefinedVariablesTest, SystemFactsAreThoseOfThisMachine) {
  SetPredefinedVariables(*database_, {"setup.exe", "/s", "two words"});
  EXPECT_EQ(Var("OSPlatform"), "NT");
  EXPECT_EQ(Var("ScreenWidth"), std::to_string(GetSystemMetrics(SM_CXSCREEN)));
  EXPECT_EQ(Var("ScreenHeight"), std::to_string(GetSystemMetrics(SM_CYSCREEN)));
  EXPECT_NE(Var("ScreenColorBits"), "0");
  const std::string language = Var("SystemLangID");
  ASSERT_EQ(language.size(), 3u) << language;
  for (const char c : language) EXPECT_TRUE(c >= 'A' && c <= 'Z') << language;
  EXPECT_EQ(Var("SystemCharset"), std::to_string(LanguageCharset(language)));
  EXPECT_EQ(Var("SilentMode"), "1");
  EXPECT_EQ(Var("ParamStr"), "/s \"two words\"");
  EXPECT_EQ(Var("HasAdminRights"), HasAdminRights() ? "1" : "0");
  EXPECT_NE(Var("Windows"), "<none>") << "the path variables come first";
  // Expanded when read, through the application data folder.
  EXPECT_EQ(Var("QuickLaunch"), Var("AppData") + "\\Microsoft\\Internet Explorer\\Quick Launch");
  // Set by the engine, never saved with the project.
  TXMLTag saved;
  database_->AssignTo(saved);
  EXPECT_EQ(saved.AsXML().find("OSPlatform"), std::string::npos);
}

TEST_F(PredefinedVariablesTest, SilentModeAlreadyANumberStaysAndProjectVariablesBeatTheEnvironment) {
  SetVar(database_.get(), "SilentMode", "2");
  SetVar(database_.get(), "Path", "project value");
  SetEnvironmentVariableA("CORVANE_TEST_ONLY", "from environment");
  SetPredefinedVariables(*database_, {"setup.exe", "/s"});
  SetEnvironmentVariableA("CORVANE_TEST_ONLY", nullptr);
  EXPECT_EQ(Var("SilentMode"), "2");
  EXPECT_EQ(Var("Path"), "project value");
  EXPECT_EQ(Var("CORVANE_TEST_ONLY"), "from environment");
}

TEST_F(PredefinedVariablesTest, CharsetsOfKnownAndUnknownLanguages) {
  EXPECT_EQ(LanguageCharset("ENU"), ANSI_CHARSET);
  EXPECT_EQ(LanguageCharset("enu"), ANSI_CHARSET);
  EXPECT_EQ(LanguageCharset("RUS"), RUSSIAN_CHARSET);
  EXPECT_EQ(LanguageCharset("XYZ"), DEFAULT_CHARSET);
  EXPECT_EQ(LanguageCharset(""), DEFAULT_CHARSET);
}

TEST_F(PredefinedVariablesTest, ImportTakesHeaderThenSilentSettingsThenTheCommandLine) {
  auto package = TcvPackage::New(database_->Packages.get());
  package->HeaderVariables().LoadFromString(
      "<variables><var name='A' value='header'/><var name='B' value='header'/>"
      "<var name='Skipped' value='x' condition='1=2'/></variables>",
      "variables");
  database_->Packages->Add(std::move(package));
  silent_->LoadFromString(
      "<silentsettings><variables><var name='B' value='silent'/><var name='C' value='silent'/>"
      "</variables></silentsettings>",
      "silentsettings");
  ImportVariables(*database_, *silent_,
                  {"setup.exe", "/var:C=switch", "-VAR:D=a=b", "/var:E", "/var:=nameless", "/varx:F=1"});
  EXPECT_EQ(Var("A"), "header");
  EXPECT_EQ(Var("B"), "silent");
  EXPECT_EQ(Var("C"), "switch");
  EXPECT_EQ(Var("D"), "a=b");
  EXPECT_EQ(Var("E"), "");
  EXPECT_EQ(Var("Skipped"), "<none>");
  EXPECT_EQ(Var("F"), "<none>");
}

}  // namespace
}  // namespace cv
