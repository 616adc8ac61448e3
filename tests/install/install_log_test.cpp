// The install log: what each action writes, in which section and order, the
// direct entries of the run, and nothing at all while logging is off.

#include "install/install_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "../database/scratch_folder.h"
#include "database/language_tables.h"
#include "install/install_actions.h"
#include "platform/ini_cache.h"

namespace cv {
namespace {

class InstallLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FlushIniCache();
    ResetInstallLog();
    SetLogFileName(log_);
    SetLoggingEnabled(true);
  }
  void TearDown() override {
    FlushIniCache();
    ResetInstallLog();
  }
  std::string Written() {
    FlushIniCache();
    return test::ReadBytes(log_);
  }

  test::ScratchFolder folder_;
  std::string log_ = folder_.File("install.log");
};

// One action of every class, the run's direct entries, and a folder that was
// created twice; the expected text is the log as an uninstaller reads it.
TEST_F(InstallLogTest, EveryClassWritesItsEntriesInListOrder) {
  LogWrite(LogSection::CopyFiles, "C:\\App\\early.txt", "");  // sections keep first-use order
  LogWriteSection("Strings", "AppID", "{A1}");
  LogWriteSection("Strings", "AdminRights", "1");
  LogRunApp(true, {"C:\\App\\stop.exe", "/q", "C:\\App\\", TcvShowCmd::scHide, "Stopping", {}});
  LogRunApp(false, {"C:\\App\\clean.exe", "", "", TcvShowCmd::scMin, "",
                    TcvFlags{TcvFlag::dont_wait, TcvFlag::check_exitcode}});

  TInstallActions actions;
  AddAction<TInstallFolder>(actions).Folder = "C:\\App";
  auto& file = AddAction<TInstallFile>(actions);
  file.FileName = "C:\\App\\app.exe";
  auto& font = AddAction<TInstallFile>(actions);
  font.FileName = "C:\\Windows\\Fonts\\acme.ttf";
  font.FontName = "Acme Sans";
  font.Flags = TcvFlags{TcvFlag::reg_font};
  auto& server = AddAction<TInstallFile>(actions);
  server.FileName = "C:\\App\\srv.dll";
  server.Flags = TcvFlags{TcvFlag::reg_server};
  auto& unlogged = AddAction<TInstallFile>(actions);
  unlogged.FileName = "C:\\App\\install.log";
  unlogged.Log = false;
  auto& reg = AddAction<TInstallReg>(actions);
  reg.Key = "HKLM\\Software\\Acme";
  reg.Param = "Path";
  auto& regSlash = AddAction<TInstallReg>(actions);
  regSlash.Key = "HKLM\\Software\\Acme\\";
  regSlash.Param = "";
  auto& ini = AddAction<TInstallIni>(actions);
  ini.IniFile = "C:\\App\\app.ini";
  ini.Section = "Main";
  ini.Param = "Dir";
  AddAction<TInstallShortcut>(actions).LinkFile = "C:\\Menu\\App.lnk";
  AddAction<TInstallRegKey>(actions).Key = "HKLM\\Software\\Acme";
  auto& pathVar = AddAction<TInstallEnvVar>(actions);
  pathVar.Name = "PATH";
  pathVar.Value = "C:\\App";
  pathVar.AddPath = true;
  pathVar.SysVar = true;
  auto& userVar = AddAction<TInstallEnvVar>(actions);
  userVar.Name = "ACME_HOME";
  userVar.Value = "C:\\App";
  AddAction<TInstallFolder>(actions).Folder = "C:\\App";  // listed twice: appended, not merged
  WriteLogAll(actions);

  EXPECT_EQ(Written(),
            "[CopyFiles]\r\n"
            "C:\\App\\early.txt=\r\n"
            "C:\\App\\app.exe=\r\n"
            "C:\\Windows\\Fonts\\acme.ttf=\r\n"
            "C:\\App\\srv.dll=\r\n"
            "\r\n"
            "[Strings]\r\n"
            "AppID={A1}\r\n"
            "AdminRights=1\r\n"
            "\r\n"
            "[PreRunApp]\r\n"
            "0='C:\\App\\stop.exe','/q','C:\\App\\',0,'Stopping',1,0\r\n"
            "\r\n"
            "[RunApp]\r\n"
            "1='C:\\App\\clean.exe','','',3,'',0,1\r\n"
            "\r\n"
            "[CreateDirs]\r\n"
            "C:\\App=\r\n"
            "C:\\App=\r\n"
            "\r\n"
            "[RegFonts]\r\n"
            "Acme Sans=C:\\Windows\\Fonts\\acme.ttf\r\n"
            "\r\n"
            "[RegServers]\r\n"
            "C:\\App\\srv.dll=\r\n"
            "\r\n"
            "[AddReg]\r\n"
            "HKLM\\Software\\Acme\\'Path'=\r\n"
            "HKLM\\Software\\Acme\\''=\r\n"
            "\r\n"
            "[AddIni]\r\n"
            "'C:\\App\\app.ini','Main','Dir'=\r\n"
            "\r\n"
            "[Shortcuts]\r\n"
            "C:\\Menu\\App.lnk=\r\n"
            "\r\n"
            "[CreateKeys]\r\n"
            "HKLM\\Software\\Acme=\r\n"
            "\r\n"
            "[EnvVars]\r\n"
            "PATH=1,C:\\App\r\n"
            "ACME_HOME=0,\r\n"
            "\r\n");
}

TEST_F(InstallLogTest, HasKeySeesWrittenKeysOnly) {
  LogWrite(LogSection::SharedFiles, "C:\\Common\\x.dll", "");
  EXPECT_TRUE(LogHasKey(LogSection::SharedFiles, "c:\\common\\X.DLL"));
  EXPECT_FALSE(LogHasKey(LogSection::SharedFiles, "C:\\Common\\y.dll"));
  EXPECT_FALSE(LogHasKey(LogSection::CopyFiles, "C:\\Common\\x.dll"));
}

TEST_F(InstallLogTest, NothingIsWrittenOrFoundWhileLoggingIsOff) {
  for (const bool enabled : {false, true}) {
    SetLoggingEnabled(enabled);
    SetLogFileName(enabled ? "" : log_);  // either half missing turns logging off
    TInstallActions actions;
    AddAction<TInstallFolder>(actions).Folder = "C:\\App";
    WriteLogAll(actions);
    LogWrite(LogSection::SharedFiles, "k", "");
    LogWriteSection("Strings", "AppID", "x");
    EXPECT_FALSE(LogHasKey(LogSection::SharedFiles, "k"));
  }
  FlushIniCache();
  EXPECT_FALSE(std::ifstream(log_).good());
}

TEST_F(InstallLogTest, UninstallStringsGoToTheirSectionsOnOneLine) {
  auto table = TcvLngTable::New();
  table->SetParam("Uninstall.Strings.10", "Remove %AppName%?\r\nAll files go.");
  table->SetParam("UNINSTALL.Dialog.Title", "Bye");
  table->SetParam("Uninstall.NoKey", "x");
  table->SetParam("Strings.10", "not for the uninstaller");
  table->SetParam("Uninstal.Strings.11", "too short a prefix");
  LogUninstallStrings(*table, [](const std::string& text) {
    std::string resolved = text;
    const auto at = resolved.find("%AppName%");
    if (at != std::string::npos) resolved.replace(at, 9, "Acme");
    return resolved;
  });
  EXPECT_EQ(Written(),
            "[Strings]\r\n10=Remove Acme?||All files go.\r\n\r\n"
            "[Dialog]\r\nTitle=Bye\r\n\r\n");
}

TEST(InstallLogSections, IndexedNamesOfTheWriter) {
  EXPECT_EQ(LogSectionName(LogSection::CopyFiles), "CopyFiles");
  EXPECT_EQ(LogSectionName(LogSection::RegFonts), "RegFonts");
  EXPECT_EQ(LogSectionName(LogSection::SharedAssemblies), "SharedAssemblies");
  EXPECT_EQ(LogSectionName(LogSection::EnvVars), "EnvVars");
}

}  // namespace
}  // namespace cv
