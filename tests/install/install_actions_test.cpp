// The action list's XML form, which carries the record of an installation
// across a restart.

#include <gtest/gtest.h>

#include <string>

#include "install/install_actions.h"

namespace cv {
namespace {

std::string Saved(const TInstallActions& actions) {
  TXMLTag tag;
  tag.SetName(kInstallActionsRootName);
  actions.AssignTo(tag);
  return tag.AsXML();
}

TEST(InstallActions, NewActionsAreLoggedAndRolledBack) {
  auto file = TInstallFile::New();
  EXPECT_TRUE(file->Log);
  EXPECT_FALSE(file->Existed);
  EXPECT_FALSE(file->DontRollback);
  file->Log = false;
  file->Existed = true;
  file->Reset();
  EXPECT_TRUE(file->Log) << "a reset action starts over";
  EXPECT_FALSE(file->Existed);
}

TEST(InstallActions, EveryKindRoundTripsUnderItsElementName) {
  auto actions = TInstallActions::New();
  auto& file = AddAction<TInstallFile>(*actions);
  file.FileName = "C:\\App\\app.exe";
  file.BackupFileName = "C:\\Temp\\bk\\ABCDEFGH";
  file.TmpFileName = "C:\\App\\cv1.tmp";
  file.FontName = "Demo Sans";
  file.Flags = {TcvFlag::reg_server, TcvFlag::shared};
  file.Existed = true;
  file.Pending = true;
  auto& reg = AddAction<TInstallReg>(*actions);
  reg.Key = "HKLM\\Software\\Acme";
  reg.Param = "Path";
  reg.OldValue = "C:\\Old";
  reg.OldType = 2;
  reg.Log = false;
  auto& ini = AddAction<TInstallIni>(*actions);
  ini.IniFile = "C:\\WINDOWS\\acme.ini";
  ini.Section = "Main";
  ini.Param = "Port";
  ini.OldValue = "80";
  AddAction<TInstallShortcut>(*actions).LinkFile = "C:\\Menu\\Acme.lnk";
  AddAction<TInstallFolder>(*actions).Folder = "C:\\App";
  auto& key = AddAction<TInstallRegKey>(*actions);
  key.Key = "HKCU\\Software\\Acme";
  key.DontRollback = true;
  auto& env = AddAction<TInstallEnvVar>(*actions);
  env.Name = "PATH";
  env.Value = "C:\\App\\bin";
  env.OldValue = "C:\\WINDOWS";
  env.AddPath = true;
  env.SysVar = true;

  const std::string saved = Saved(*actions);
  EXPECT_EQ(saved,
            "<installactions>\r\n"
            "\t<file backupfilename=\"C:\\Temp\\bk\\ABCDEFGH\" existed=\"1\" "
            "filename=\"C:\\App\\app.exe\" flags=\"reg_server,shared\" fontname=\"Demo Sans\" "
            "tmpfilename=\"C:\\App\\cv1.tmp\"/>\r\n"
            "\t<reg key=\"HKLM\\Software\\Acme\" log=\"0\" oldtype=\"2\" oldvalue=\"C:\\Old\" "
            "param=\"Path\"/>\r\n"
            "\t<ini inifile=\"C:\\WINDOWS\\acme.ini\" oldvalue=\"80\" param=\"Port\" "
            "section=\"Main\"/>\r\n"
            "\t<shortcut linkfile=\"C:\\Menu\\Acme.lnk\"/>\r\n"
            "\t<folder folder=\"C:\\App\"/>\r\n"
            "\t<regkey dontrollback=\"1\" key=\"HKCU\\Software\\Acme\"/>\r\n"
            "\t<envvar addpath=\"1\" name=\"PATH\" oldvalue=\"C:\\WINDOWS\" sysvar=\"1\" "
            "value=\"C:\\App\\bin\"/>\r\n"
            "</installactions>\r\n");

  auto reloaded = TInstallActions::New();
  reloaded->LoadFromString(saved, kInstallActionsRootName);
  ASSERT_EQ(reloaded->Count(), 7);
  EXPECT_EQ(Saved(*reloaded), saved);
  const auto* file2 = reloaded->ItemAs<TInstallFile>(0);
  ASSERT_NE(file2, nullptr);
  EXPECT_FALSE(file2->Pending) << "a pending replacement does not survive the restart";
  EXPECT_TRUE(file2->Log);
  EXPECT_EQ(file2->Flags, file.Flags);
  EXPECT_FALSE(reloaded->ItemAs<TInstallReg>(1)->Log);
  EXPECT_EQ(reloaded->ItemAs<TInstallReg>(1)->OldType, 2);
  EXPECT_NE(reloaded->ItemAs<TInstallShortcut>(3), nullptr);
  EXPECT_NE(reloaded->ItemAs<TInstallFolder>(4), nullptr);
  EXPECT_TRUE(reloaded->ItemAs<TInstallRegKey>(5)->DontRollback);
  EXPECT_TRUE(reloaded->ItemAs<TInstallEnvVar>(6)->SysVar);
}

TEST(InstallActions, UnknownElementsAndOtherRootsAreNoActions) {
  auto actions = TInstallActions::New();
  actions->LoadFromString(
      "<InstallActions><FILE FileName='a' LOG='0'/><registry key='x'/><action/>"
      "<regkey key='k'/></InstallActions>",
      kInstallActionsRootName);
  ASSERT_EQ(actions->Count(), 2);
  EXPECT_EQ(actions->ItemAs<TInstallFile>(0)->FileName, "a");
  EXPECT_FALSE(actions->Action(0)->Log);
  EXPECT_EQ(actions->ItemAs<TInstallRegKey>(1)->Key, "k");

  auto other = TInstallActions::New();
  other->LoadFromString("<cv2project><file filename='a'/></cv2project>",
                        kInstallActionsRootName);
  EXPECT_EQ(other->Count(), 0);
}

TEST(InstallActions, OnlyTheTableClassesAreWritten) {
  auto actions = TInstallActions::New();
  EXPECT_EQ(actions->GetItemTagName(TInstallAction::StaticClass()), "");
  EXPECT_EQ(actions->GetItemTagName(TInstallEnvVar::StaticClass()), "envvar");
  EXPECT_EQ(actions->GetItemClass("envvar"), &TInstallEnvVar::StaticClass());
  EXPECT_EQ(actions->GetItemClass("action"), nullptr);
  AddAction<TInstallAction>(*actions);  // a base action has no element
  AddAction<TInstallFolder>(*actions).Folder = "C:\\x";
  EXPECT_EQ(Saved(*actions), "<installactions>\r\n\t<folder folder=\"C:\\x\"/>\r\n</installactions>\r\n");
}

}  // namespace
}  // namespace cv
