// The project database read from and written to its XML form: a realistic
// project, the names the engine accepts and writes, and the round trip.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/main_database.h"
#include "database/model_navigation.h"
#include "sample_project.h"

namespace cv {
namespace {

std::unique_ptr<TcvMainDatabase> LoadProject(std::string_view text) {
  auto database = TcvMainDatabase::New();
  database->LoadFromString(text, "");
  return database;
}

std::string Saved(const TXMLObject& object, std::string_view root = kProjectRootName) {
  TXMLTag tag;
  tag.SetName(root);
  object.AssignTo(tag);
  return tag.AsXML();
}

// The start tag of the first element named `name` in `xml`.
std::string StartTag(const std::string& xml, const std::string& name) {
  const auto at = xml.find("<" + name + " ");
  if (at == std::string::npos) return {};
  return xml.substr(at, xml.find('>', at) - at + 1);
}

TEST(ProjectModel, LoadsTheDatabaseAndItsVariables) {
  const auto db = LoadProject(test::kSampleProject);
  EXPECT_EQ(db->Version, "2.0.5");
  EXPECT_EQ(db->ActiveInstallType, "typical");

  // The two message variables come first, then the document's seven.
  const TcvVariables& vars = *db->Variables;
  ASSERT_EQ(vars.Count(), 9);
  EXPECT_EQ(vars.Variable(0)->Name, "EventParams");
  EXPECT_EQ(vars.Variable(1)->Name, "EventResult");
  EXPECT_EQ(vars.Variable(2)->Name, "AppName");

  const TcvVariable* edition = vars.FindParam("edition");
  ASSERT_NE(edition, nullptr);
  EXPECT_EQ(edition->VarType, TcvVarType::vtReg);
  EXPECT_EQ(edition->RegKey, "HKLM\\Software\\Demo");
  EXPECT_EQ(edition->RegParam, "Edition");
  EXPECT_EQ(edition->DefValue, "Standard");

  const TcvVariable* port = vars.FindParam("Port");  // read through "vartype"
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->VarType, TcvVarType::vtIni);
  EXPECT_EQ(port->IniFile, "demo.ini");
  EXPECT_EQ(port->IniSection, "Net");
  EXPECT_EQ(port->IniParam, "Port");

  EXPECT_EQ(vars.FindParam("PATH"), nullptr) << "environment variables are not visible";
  const auto* path = vars.Variable(7);
  EXPECT_EQ(path->VarType, TcvVarType::vtEnvVar);
  EXPECT_EQ(path->Flags, (TcvFlags{TcvFlag::add_path, TcvFlag::sys_envvar}));
  EXPECT_EQ(vars.FindParam("Greeting")->Condition, "1");
}

TEST(ProjectModel, LoadsPackagesWithPluginsAndFileInfos) {
  const auto db = LoadProject(test::kSampleProject);
  ASSERT_EQ(db->Packages->Count(), 2);
  const TcvPackage& main = *db->Packages->Package(0);
  EXPECT_TRUE(main.Main);
  EXPECT_EQ(main.Flags, 3);
  EXPECT_EQ(main.PresetupSize, 123456.0);
  EXPECT_EQ(main.DataSize, 9876543210.0) << "sizes beyond 32 bits";
  EXPECT_EQ(db->Packages->FindByFileName("EXTRA.CVP"), db->Packages->Package(1));
  EXPECT_EQ(db->Packages->FindByFileName("none.cvp"), nullptr);

  EXPECT_EQ(main.FileInfos->FindByName("FONTS\\DEMO.TTF")->FontName, "Demo Sans");
  EXPECT_EQ(main.FileInfos->FindByName("bin\\demo.exe")->Size, 204800);
  EXPECT_EQ(main.FileInfos->FindByName("gac\\demo.dll")->AssemblyData, "Demo, Version=1.0.0.0");

  ASSERT_EQ(main.Plugins->Count(), 1);
  const TcvPlugin& plugin = *main.Plugins->Plugin(0);
  EXPECT_EQ(plugin.ID, "Wizard2");
  EXPECT_EQ(plugin.DebugDll, "c:\\dev\\wizard.dll");
  EXPECT_EQ(plugin.Condition, "%SilentMode%=0");
  const TcvPluginSimpleConfig& config = *plugin.Config;
  EXPECT_EQ(config.GetParam("pages", "LICENSE", "none"), "license.rtf");
  EXPECT_EQ(config.GetParam("Pages", "Missing", "none"), "none");
  EXPECT_EQ(config.GetParam("NoGroup", "Welcome", "d"), "d");
  std::vector<std::string> names{"stale"};
  config.GetGroupNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"Pages", "Look"}));
  config.GetParamNames("PAGES", names);
  EXPECT_EQ(names, (std::vector<std::string>{"Welcome", "License"}));
  config.GetParamNames("NoGroup", names);
  EXPECT_TRUE(names.empty());

  ASSERT_NE(plugin.CustomConfig, nullptr);
  EXPECT_EQ(plugin.CustomConfig->Name(), "customconfig");
  const std::string custom = plugin.CustomConfig->AsXML();
  EXPECT_NE(custom.find("Welcome to &amp; thanks"), std::string::npos) << custom;
  EXPECT_NE(custom.find("kind=\"folder\""), std::string::npos) << custom;

  EXPECT_EQ(main.Variables->FindParam("PackageOnly")->Value, "p");
  EXPECT_EQ(main.Variables->Count(), 1) << "only the database's list gets the message pair";
}

TEST(ProjectModel, LoadsComponentsWithEveryKindOfItem) {
  const auto db = LoadProject(test::kSampleProject);
  ASSERT_EQ(db->Components->Count(), 2);
  const TcvComponent& core = *db->Components->Component(0);
  EXPECT_EQ(core.ID(), "core");
  EXPECT_EQ(core.Name, "core") << "the ID names a component without a name";
  EXPECT_EQ(core.KeyItemID, "exe");
  EXPECT_EQ(core.Size, 2048);
  EXPECT_EQ(db->Components->Component(1)->Name, "Documentation");
  EXPECT_EQ(db->Components->Component(1)->Condition, "%Edition%<>\"Lite\"");

  const auto* exe = core.Files->ItemAs<TcvFile>(0);
  EXPECT_EQ(exe->Flags, (TcvFlags{TcvFlag::reg_server, TcvFlag::shared}));
  EXPECT_EQ(exe->Action, TcvInstallAction::add);
  EXPECT_EQ(core.Files->ItemAs<TcvFile>(1)->Action, TcvInstallAction::remove);
  EXPECT_EQ(core.Files->ItemAs<TcvFile>(1)->Src, "fonts\\*.ttf");

  EXPECT_EQ(core.Registry->ItemAs<TcvReg>(0)->ParamType, TcvRegType::str);
  EXPECT_EQ(core.Registry->ItemAs<TcvReg>(1)->ParamType, TcvRegType::int_) << "paramtype";
  EXPECT_EQ(core.Registry->ItemAs<TcvReg>(2)->ParamType, TcvRegType::mstr) << "type";

  EXPECT_EQ(core.IniFiles->ItemAs<TcvIni>(0)->IniFile, "%Windows%\\demo.ini") << "inifile";
  EXPECT_EQ(core.IniFiles->ItemAs<TcvIni>(1)->IniFile, "demo.ini") << "file";

  const auto* link = core.Shortcuts->ItemAs<TcvShortcut>(0);
  EXPECT_EQ(link->ShowCmd, TcvShowCmd::scMax);
  EXPECT_EQ(link->Icon, 2);
  EXPECT_EQ(link->Hotkey, 1604);
  EXPECT_EQ(link->Arg, "/start");

  const auto* run = core.RunApps->ItemAs<TcvRunApp>(0);
  EXPECT_EQ(run->ShowCmd, TcvShowCmd::scHide);
  EXPECT_EQ(run->WhenStart, TcvWhenStart::before_uninstall);
  EXPECT_EQ(run->Flags, (TcvFlags{TcvFlag::dont_wait, TcvFlag::check_exitcode}));
  EXPECT_EQ(run->Msg, "Preparing the database");
}

TEST(ProjectModel, LoadsFeaturesInstallTypesAndLaunchConditions) {
  const auto db = LoadProject(test::kSampleProject);
  ASSERT_EQ(db->Features->Count(), 2);
  const TcvFeature& app = *db->Features->Feature(0);
  EXPECT_TRUE(app.Required);
  EXPECT_EQ(app.Description, "The program");
  EXPECT_EQ(app.Components->Component(0)->ID(), "core");
  const TcvFeature& help = *app.Features->Feature(0);
  EXPECT_EQ(help.Depends->Feature(0)->ID, "app");
  EXPECT_EQ(db->Features->Feature(1)->Excepts->Feature(0)->ID, "help");
  EXPECT_FALSE(app.Selected);

  ASSERT_EQ(db->InstallTypes->Count(), 2);
  EXPECT_TRUE(db->InstallTypes->InstallType(0)->Default);
  EXPECT_EQ(db->InstallTypes->InstallType(0)->Features->Count(), 2);
  EXPECT_TRUE(db->InstallTypes->InstallType(1)->Custom);
  EXPECT_EQ(db->InstallTypes->InstallType(1)->Description, "Choose yourself");

  ASSERT_EQ(db->LaunchConditions->Count(), 1);
  EXPECT_EQ(db->LaunchConditions->LaunchCondition(0)->Msg, "[NeedAdmin]");
}

TEST(ProjectModel, LoadsEventsWithActionKindsFromElementNames) {
  const auto db = LoadProject(test::kSampleProject);
  ASSERT_EQ(db->Events->Count(), 1);
  const TcvEvent& event = *db->Events->Event(0);
  EXPECT_EQ(event.EventID, "EV_START");
  EXPECT_EQ(event.WhenHandle, TcvEventWhenHandle::before_plugins);
  ASSERT_EQ(event.Count(), 5);
  std::vector<ActionKind> kinds;
  for (const auto& item : event) kinds.push_back(static_cast<TcvAction&>(*item).Kind);
  EXPECT_EQ(kinds, (std::vector<ActionKind>{ActionKind::action, ActionKind::if_, ActionKind::loop,
                                            ActionKind::switch_, ActionKind::action}))
      << "an unknown element name is a plain action";

  const auto& ifAction = *event.ItemAs<TcvAction>(1);
  ASSERT_EQ(ifAction.IfThen->Count(), 1) << "ifthen";
  ASSERT_EQ(ifAction.IfElse->Count(), 1) << "ifelse";
  EXPECT_EQ(ifAction.IfElse->ItemAs<TcvAction>(0)->Kind, ActionKind::return_);
  EXPECT_EQ(ifAction.Count(), 0);

  const auto& loop = *event.ItemAs<TcvAction>(2);
  EXPECT_EQ(loop.LoopType, TcvLoopType::ltPostCond);
  EXPECT_EQ(loop.InitExpression, "SetVar(\"i\", 0)");
  ASSERT_EQ(loop.Count(), 2);
  EXPECT_EQ(loop.ItemAs<TcvAction>(0)->Kind, ActionKind::continue_);
  EXPECT_EQ(loop.ItemAs<TcvAction>(1)->Kind, ActionKind::break_);

  const auto& sw = *event.ItemAs<TcvAction>(3);
  ASSERT_EQ(sw.Count(), 1) << "only case items belong to a switch";
  EXPECT_EQ(sw.ItemAs<TcvAction>(0)->Kind, ActionKind::case_);
  EXPECT_EQ(sw.ItemAs<TcvAction>(0)->Count(), 1);
  EXPECT_EQ(sw.IfThen->Count(), 1) << "then is a property of a switch too";
}

TEST(ProjectModel, LoadsLanguageTables) {
  const auto db = LoadProject(test::kSampleProject);
  const TcvLngTables& tables = *db->Languages;
  ASSERT_EQ(tables.Count(), 3);
  EXPECT_EQ(tables.Find("enu", ""), tables.Table(0));
  EXPECT_EQ(tables.Find("ENU", "wizard2"), tables.Table(2));
  EXPECT_EQ(tables.Find("DEU", "Wizard2"), nullptr);
  EXPECT_EQ(tables.Table(1)->InstallName, "Deutsch");
  const auto* next = dynamic_cast<TcvParam*>(tables.Table(2)->FindParam("next"));
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->Value, "&Next >");
}

// The text of `xml` without its first occurrence of the message pair.
std::string WithoutOneMessagePair(std::string xml) {
  for (const char* line : {"\t\t<var name=\"EventParams\" value=\"0\"/>\r\n",
                           "\t\t<var name=\"EventResult\" value=\"0\"/>\r\n"}) {
    const auto at = xml.find(line);
    if (at != std::string::npos) xml.erase(at, std::string(line).size());
  }
  return xml;
}

TEST(ProjectModel, SavesAndReloadsIdentically) {
  const auto first = LoadProject(test::kSampleProject);
  const std::string saved = Saved(*first);
  const auto second = LoadProject(saved);
  // Every load puts a fresh message pair in front of the stored one; the
  // rest of the document comes back as it was written.
  EXPECT_EQ(WithoutOneMessagePair(Saved(*second)), saved);
  EXPECT_EQ(second->Variables->Count(), first->Variables->Count() + 2);
  EXPECT_EQ(second->Packages->Package(0)->DataSize, 9876543210.0);
  EXPECT_EQ(second->Packages->Package(0)->Plugins->Plugin(0)->CustomConfig->AsXML(),
            first->Packages->Package(0)->Plugins->Plugin(0)->CustomConfig->AsXML());
  EXPECT_NE(saved.find("Welcome to &amp; thanks"), std::string::npos)
      << "a plug-in's configuration keeps its text";
  EXPECT_EQ(second->Events->Event(0)->ItemAs<TcvAction>(3)->Kind, ActionKind::switch_);
  EXPECT_EQ(saved.find("unknown"), std::string::npos) << "unknown elements are dropped";
  EXPECT_EQ(saved.find("NotAVariable"), std::string::npos);
}

TEST(ProjectModel, WritesTheEngineNamesAndValues) {
  const std::string saved = Saved(*LoadProject(test::kSampleProject));
  EXPECT_EQ(saved.rfind("<cv2project activeinstalltype=\"typical\" version=\"2.0.5\">", 0), 0u)
      << saved.substr(0, 80);
  EXPECT_EQ(StartTag(saved, "reg"),
            "<reg id=\"r1\" key=\"HKLM\\Software\\Demo\" param=\"Path\" value=\"%InstallPath%\"/>");
  EXPECT_NE(saved.find("param=\"Count\" type=\"int\" value=\"3\""), std::string::npos);
  EXPECT_EQ(saved.find("paramtype"), std::string::npos);
  EXPECT_EQ(StartTag(saved, "ini"),
            "<ini id=\"i1\" file=\"%Windows%\\demo.ini\" param=\"Port\" section=\"Net\" "
            "value=\"8080\"/>");
  EXPECT_NE(StartTag(saved, "shortcut").find(" showcmd=\"max\""), std::string::npos);
  EXPECT_NE(StartTag(saved, "runapp").find(" showcmd=\"hide\" whenstart=\"before_uninstall\""),
            std::string::npos);
  EXPECT_NE(saved.find("<var defvalue=\"Standard\" name=\"Edition\" regkey=\"HKLM\\Software\\Demo\" "
                       "regparam=\"Edition\" type=\"reg\"/>"),
            std::string::npos);
  EXPECT_NE(saved.find("name=\"PATH\" value=\"%InstallPath%\\bin\" type=\"envvar\""),
            std::string::npos);
  EXPECT_EQ(saved.find("vartype"), std::string::npos);
  EXPECT_EQ(StartTag(saved, "component"),
            "<component dst=\"%InstallPath%\" id=\"core\" keyitemid=\"exe\" name=\"core\" "
            "package=\"demo.exe\" size=\"2048\">");
  EXPECT_NE(saved.find("<package datasize=\"9876543210\" filename=\"demo.exe\" flags=\"3\" "
                       "id=\"main\" main=\"1\" presetupsize=\"123456\">"),
            std::string::npos);
  // Actions under their kind names; the branches as "then" and "else".
  EXPECT_NE(saved.find("<if expression="), std::string::npos);
  EXPECT_NE(saved.find("<then>"), std::string::npos);
  EXPECT_NE(saved.find("<else>"), std::string::npos);
  EXPECT_EQ(saved.find("ifthen"), std::string::npos);
  EXPECT_NE(saved.find("looptype=\"postcond\""), std::string::npos);
  EXPECT_NE(saved.find("<event eventid=\"EV_START\" name=\"Check\" whenhandle=\"before_plugins\">"),
            std::string::npos);
  EXPECT_EQ(saved.find("<unknownkind"), std::string::npos);
  EXPECT_NE(saved.find("<action expression=\"3\"/>"), std::string::npos);
  // Children in alphabetical order of their property names.
  const auto at = [&](const char* name) { return saved.find(std::string("\n\t<") + name); };
  EXPECT_LT(at("components"), at("events"));
  EXPECT_LT(at("events"), at("features"));
  EXPECT_LT(at("features"), at("installtypes"));
  EXPECT_LT(at("installtypes"), at("languages"));
  EXPECT_LT(at("languages"), at("launchconditions"));
  EXPECT_LT(at("launchconditions"), at("packages"));
  EXPECT_LT(at("packages"), at("variables"));
}

TEST(ProjectModel, FreshDatabaseWritesTheMessageVariables) {
  const auto db = TcvMainDatabase::New();
  const std::string saved = Saved(*db);
  EXPECT_NE(saved.find("<var name=\"EventParams\" value=\"0\"/>"), std::string::npos) << saved;
  EXPECT_NE(saved.find("<var name=\"EventResult\" value=\"0\"/>"), std::string::npos) << saved;
}

TEST(ProjectModel, LoadingKeepsTheFreshMessageVariablesFirst) {
  const auto db = LoadProject(
      "<cv2project><variables><var name=\"EventResult\" value=\"7\"/>"
      "<var name=\"EventParams\" value=\"5\"/></variables></cv2project>");
  const TcvVariables& vars = *db->Variables;
  ASSERT_EQ(vars.Count(), 4);
  EXPECT_EQ(vars.FindParam("EventParams"), vars.Variable(0));
  EXPECT_EQ(vars.Variable(0)->Value, "0");
  EXPECT_EQ(vars.FindParam("EventResult")->Value, "0");
  EXPECT_EQ(vars.Variable(2)->Value, "7");
  // A merge adds to what is there without starting the list again.
  db->Variables->Merge(*db->Variables);
  EXPECT_EQ(db->Variables->Count(), 8);
}

TEST(ProjectModel, PredefinedVariablesAreNotWritten) {
  const auto db = TcvMainDatabase::New();
  auto user = TcvVariable::New();
  user->Name = "UserChoice";
  user->Value = "yes";
  db->Variables->Add(std::move(user));
  auto windows = TcvVariable::New();
  windows->Name = "Windows";
  windows->Value = "C:\\WINDOWS";
  windows->Predefined = true;
  db->Variables->Add(std::move(windows));
  const std::string saved = Saved(*db);
  EXPECT_NE(saved.find("name=\"UserChoice\""), std::string::npos);
  EXPECT_EQ(saved.find("Windows"), std::string::npos);
  // Nor are they carried over when a list is copied through XML.
  auto copy = TcvMainDatabase::New();
  copy->Assign(*db);
  EXPECT_NE(copy->Variables->FindParam("UserChoice"), nullptr);
  EXPECT_EQ(copy->Variables->FindParam("Windows"), nullptr);
}

TEST(ProjectModel, ComponentIdNamesTheComponentOnlyWhileUnnamed) {
  auto component = TcvComponent::New();
  component->SetPropText("ID", "x");
  EXPECT_EQ(component->Name, "x");
  component->Name = "Shown";
  component->SetPropText("ID", "x");
  EXPECT_EQ(component->Name, "Shown") << "the same ID again changes nothing";
  component->SetPropText("ID", "y");
  EXPECT_EQ(component->Name, "Shown") << "a named component keeps its name";
  // The document's order does not matter: an explicit name wins.
  auto loaded = TcvComponents::New();
  loaded->LoadFromString("<components><component name=\"N\" id=\"c\"/>"
                         "<component id=\"d\" name=\"M\"/></components>",
                         "components");
  EXPECT_EQ(loaded->Component(0)->Name, "N");
  EXPECT_EQ(loaded->Component(1)->Name, "M");
}

TEST(ProjectModel, ReloadForgetsTheActiveInstallType) {
  const auto db = LoadProject(test::kSampleProject);
  db->InstallTypes->Active = db->InstallTypes->InstallType(0);
  db->LoadFromString(Saved(*db), kProjectRootName);
  EXPECT_EQ(db->InstallTypes->Active, nullptr);
}

TEST(ProjectModel, PackageDatabaseMergesIntoItsPackage) {
  const auto db = LoadProject(test::kSampleProject);
  TcvPackage& main = *db->Packages->Package(0);
  TXMLTag packageDb;
  packageDb.Parse(
      "<packagedb temppath=\"C:\\tmp\\\"><components><component id=\"core\" size=\"700\">"
      "<files><file id=\"f\" src=\"docs\\*.*\"/></files></component></components>"
      "<variables><var name=\"Own\" value=\"1\"/></variables></packagedb>");
  main.Merge(packageDb);
  EXPECT_FALSE(main.Merging);
  EXPECT_EQ(main.TempPath, "C:\\tmp\\");
  EXPECT_TRUE(main.Main) << "attributes the document leaves out stay";
  EXPECT_EQ(main.FileName, "demo.exe");
  ASSERT_EQ(main.Variables->Count(), 2);
  EXPECT_EQ(main.Variables->Variable(1)->Name, "Own");
  ASSERT_EQ(main.Components->Count(), 1);
  EXPECT_EQ(main.Components->Component(0)->Files->Count(), 1);
  EXPECT_EQ(main.Plugins->Count(), 1) << "lists the document leaves out keep their items";
  // The package's component is found from the main database's component.
  EXPECT_EQ(GetVariableContext(db->Components->Component(0)), &main);
}

TEST(SilentSettings, RoundTrip) {
  auto settings = TcvSilentSettings::New();
  settings->LoadFromString(
      "<silentsettings activeinstalltype=\"custom\"><variables><var name=\"InstallPath\" "
      "value=\"D:\\Apps\"/></variables><features><feature id=\"app\"/></features>"
      "</silentsettings>",
      kSilentSettingsRootName);
  EXPECT_EQ(settings->ActiveInstallType, "custom");
  EXPECT_EQ(settings->Variables->FindParam("InstallPath")->Value, "D:\\Apps");
  EXPECT_EQ(settings->Variables->Count(), 1) << "only the database's list gets the message pair";
  EXPECT_EQ(settings->Features->Feature(0)->ID, "app");
  auto again = TcvSilentSettings::New();
  again->LoadFromString(Saved(*settings, kSilentSettingsRootName), kSilentSettingsRootName);
  EXPECT_EQ(Saved(*again, kSilentSettingsRootName), Saved(*settings, kSilentSettingsRootName));
  // A document of another kind is not taken for silent settings.
  auto other = TcvSilentSettings::New();
  other->LoadFromString("<cv2project activeinstalltype=\"x\"/>", kSilentSettingsRootName);
  EXPECT_EQ(other->ActiveInstallType, "");
}

}  // namespace
}  // namespace cv
