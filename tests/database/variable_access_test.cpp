// Variables by name: which one a context sees, how it is set and read, and
// where new ones go.

#include <gtest/gtest.h>

#include <string>

#include "database/main_database.h"
#include "database/model_hooks.h"
#include "database/model_navigation.h"
#include "database/variable_access.h"
#include "platform/ini_cache.h"
#include "scratch_folder.h"

namespace cv {
namespace {

// Conditions are evaluated by a stand-in that holds exactly the condition
// text "1"; evaluation is switched on for the test's duration.
class VariableAccess : public ::testing::Test {
 protected:
  void SetUp() override {
    ConditionHook = [](TXMLObject*, std::int32_t, const std::string& expression, std::intptr_t,
                       bool) { return expression == "1"; };
    SetConditionEvaluation(true);
  }
  void TearDown() override {
    SetConditionEvaluation(false);
    ConditionHook = nullptr;
  }

  TcvVariable& AddVariable(TcvVariables& list, const std::string& name, const std::string& value,
                           const std::string& condition = "") {
    auto variable = TcvVariable::New();
    variable->Name = name;
    variable->Value = value;
    variable->Condition = condition;
    TcvVariable& added = *variable;
    list.Add(std::move(variable));
    return added;
  }

  TcvPackage& AddPackage(const std::string& fileName) {
    auto package = TcvPackage::New();
    package->FileName = fileName;
    TcvPackage& added = *package;
    db->Packages->Add(std::move(package));
    return added;
  }

  std::unique_ptr<TcvMainDatabase> db = TcvMainDatabase::New();
};

TEST_F(VariableAccess, VariableWithFalseConditionIsInvisible) {
  TcvVariable& hidden = AddVariable(*db->Variables, "Mode", "hidden", "0");
  EXPECT_EQ(db->Variables->FindParam("Mode"), nullptr);
  SetVar(db.get(), "mode", "shown");
  EXPECT_EQ(hidden.Value, "hidden") << "the invisible variable is not set";
  const TcvVariable* added = db->Variables->FindParam("MODE");
  ASSERT_NE(added, nullptr);
  EXPECT_NE(added, &hidden);
  EXPECT_EQ(added->Name, "mode");
  EXPECT_EQ(GetVar(db.get(), "Mode", "none"), "shown");
}

TEST_F(VariableAccess, FirstVisibleOfTwoNamesakesWins) {
  AddVariable(*db->Variables, "Twin", "off", "0");
  TcvVariable& second = AddVariable(*db->Variables, "twin", "second", "1");
  AddVariable(*db->Variables, "TWIN", "third");
  EXPECT_EQ(db->Variables->FindParam("Twin"), &second);
  SetVar(db.get(), "Twin", "changed");
  EXPECT_EQ(second.Value, "changed");
  EXPECT_EQ(GetVar(db.get(), "twin", ""), "changed");
}

TEST_F(VariableAccess, EnvironmentVariablesAreNeitherFoundNorSet) {
  TcvVariable& path = AddVariable(*db->Variables, "PATH", "C:\\Tools");
  path.VarType = TcvVarType::vtEnvVar;
  EXPECT_EQ(FindVariable(db.get(), "path"), nullptr);
  EXPECT_EQ(GetVar(db.get(), "PATH", "default"), "default");
  SetVar(db.get(), "PATH", "other");
  EXPECT_EQ(path.Value, "C:\\Tools");
  EXPECT_EQ(db->Variables->FindParam("PATH")->Value, "other");
}

TEST_F(VariableAccess, SetParamFindsTheFirstNamesakeWhateverItsConditionOrKind) {
  TcvVariable& hidden = AddVariable(*db->Variables, "Mode", "hidden", "0");
  TcvVariable& path = AddVariable(*db->Variables, "PATH", "C:\\Tools");
  path.VarType = TcvVarType::vtEnvVar;
  const int count = db->Variables->Count();
  db->Variables->SetParam("MODE", "set");
  db->Variables->SetParam("path", "D:\\");
  EXPECT_EQ(db->Variables->Count(), count) << "no second variable of the same name";
  EXPECT_EQ(hidden.Value, "set");
  EXPECT_EQ(path.Value, "D:\\");
}

TEST_F(VariableAccess, PackageSeesItsOwnVariablesFirstAndNewOnesGoToTheDatabase) {
  TcvPackage& package = AddPackage("extra.cvp");
  AddVariable(*db->Variables, "Shared", "db");
  AddVariable(*db->Variables, "Both", "db");
  TcvVariable& own = AddVariable(*package.Variables, "Both", "package");

  EXPECT_EQ(GetVar(&package, "Both", ""), "package");
  EXPECT_EQ(GetVar(&package, "Shared", ""), "db");
  EXPECT_EQ(GetVar(db.get(), "Both", ""), "db");

  SetVar(&package, "Both", "p2");
  EXPECT_EQ(own.Value, "p2");
  SetVar(&package, "Shared", "d2");
  EXPECT_EQ(db->Variables->FindParam("Shared")->Value, "d2");

  const int before = db->Variables->Count();
  SetVar(&package, "Fresh", "new");
  EXPECT_EQ(db->Variables->Count(), before + 1);
  EXPECT_EQ(package.Variables->Count(), 1);
  EXPECT_EQ(GetVar(db.get(), "Fresh", ""), "new");
}

// Lookups go through an index of the names: it has to follow every change of
// the list and of a variable's kind, and notice a name changed in place.
TEST_F(VariableAccess, NameIndexFollowsChangesToTheList) {
  for (int i = 0; i < 50; ++i) AddVariable(*db->Variables, "Filler" + std::to_string(i), "x");
  TcvVariable& first = AddVariable(*db->Variables, "Target", "first");
  AddVariable(*db->Variables, "TARGET", "second");
  EXPECT_EQ(db->Variables->FindParam("target")->Value, "first");

  first.VarType = TcvVarType::vtEnvVar;
  EXPECT_EQ(db->Variables->FindParam("Target")->Value, "second") << "kind checked on each lookup";
  first.VarType = TcvVarType::vtNormal;

  db->Variables->Remove(&first);
  EXPECT_EQ(db->Variables->FindParam("Target")->Value, "second") << "removed variable left the index";

  TcvVariable& renamed = *db->Variables->FindParam("Filler7");
  renamed.Name = "Moved";
  EXPECT_EQ(db->Variables->FindParam("Filler7"), nullptr) << "old name no longer found";
  EXPECT_EQ(db->Variables->FindParam("moved"), &renamed) << "new name found after the stale entry";

  db->Variables->ClearItems();
  EXPECT_EQ(db->Variables->FindParam("Target"), nullptr);
  AddVariable(*db->Variables, "Target", "third");
  EXPECT_EQ(db->Variables->FindParam("tArGeT")->Value, "third");
}

TEST_F(VariableAccess, ContextErrorsCarryTheirMessages) {
  auto expectError = [](auto call, const std::string& message) {
    try {
      call();
      ADD_FAILURE() << "no error for " << message;
    } catch (const EVariableContextError& error) {
      EXPECT_EQ(std::string(error.what()), message);
    }
  };
  expectError([] { SetVar(nullptr, "A", "1"); }, "Package database was not assigned.");
  expectError([] { GetVar(nullptr, "A", ""); }, "Package database was not assigned.");
  auto component = TcvComponent::New();
  expectError([&] { SetVar(component.get(), "A", "1"); }, "Wrong class has been specified.");
  expectError([&] { GetVarInt(component.get(), "A", 0); }, "Wrong class has been specified.");
  // A package that belongs to no database has nowhere to put a new variable.
  auto loose = TcvPackage::New();
  expectError([&] { SetVar(loose.get(), "A", "1"); }, "Package database was not assigned.");
  // An empty name does nothing, whatever the context.
  EXPECT_NO_THROW(SetVar(nullptr, "", "1"));
  EXPECT_EQ(GetVar(db.get(), "", "default"), "");
}

TEST_F(VariableAccess, TypedSettersAndGetters) {
  SetVarInt(db.get(), "Count", -42);
  EXPECT_EQ(GetVar(db.get(), "Count", ""), "-42");
  EXPECT_EQ(GetVarInt(db.get(), "Count", 7), -42);
  SetVarBool(db.get(), "Flag", true);
  EXPECT_EQ(GetVar(db.get(), "Flag", ""), "1");
  SetVarBool(db.get(), "Flag", false);
  EXPECT_EQ(GetVar(db.get(), "Flag", ""), "0");

  EXPECT_EQ(GetVarInt(db.get(), "Missing", 7), 7);
  SetVar(db.get(), "Text", "12abc");
  EXPECT_EQ(GetVarInt(db.get(), "Text", 7), 7);
  SetVar(db.get(), "Hex", "$1F");
  EXPECT_EQ(GetVarInt(db.get(), "Hex", 0), 31);

  // Only the low byte counts for a Boolean.
  SetVar(db.get(), "Wide", "256");
  EXPECT_FALSE(GetVarBool(db.get(), "Wide", true));
  SetVar(db.get(), "Wide", "257");
  EXPECT_TRUE(GetVarBool(db.get(), "Wide", false));
  EXPECT_TRUE(GetVarBool(db.get(), "Missing", true));
  SetVar(db.get(), "Word", "yes");
  EXPECT_FALSE(GetVarBool(db.get(), "Word", false));
}

TEST_F(VariableAccess, PathVariablesLoseBlanksAndOneTrailingBackslash) {
  SetPathVar(db.get(), "P1", "  C:\\Program Files\\ \t");
  EXPECT_EQ(GetVar(db.get(), "P1", ""), "C:\\Program Files");
  SetPathVar(db.get(), "P2", "C:\\Double\\\\");
  EXPECT_EQ(GetVar(db.get(), "P2", ""), "C:\\Double\\");
  SetPathVar(db.get(), "P3", "\\");
  EXPECT_EQ(GetVar(db.get(), "P3", "x"), "");
}

TEST_F(VariableAccess, PredefinedVariablesAreMarked) {
  AddVariable(*db->Variables, "Windows", "old");
  SetPredefinedPathVar(*db, "windows", "C:\\WINDOWS\\");
  const TcvVariable* windows = db->Variables->FindParam("Windows");
  EXPECT_TRUE(windows->Predefined);
  EXPECT_EQ(windows->Value, "C:\\WINDOWS");
  SetPredefinedVar(*db, "Date", "12/07/2026");
  EXPECT_TRUE(db->Variables->FindParam("Date")->Predefined);
  SetVar(db.get(), "User", "u");
  EXPECT_FALSE(db->Variables->FindParam("User")->Predefined);
}

TEST_F(VariableAccess, IniVariablesAreReadAfreshWithTheirDefault) {
  test::ScratchFolder folder;
  const std::string ini = folder.File("settings.ini");
  test::WriteBytes(ini, "[Net]\r\nPort=9090\r\n");
  TcvVariable& port = AddVariable(*db->Variables, "Port", "stored");
  port.VarType = TcvVarType::vtIni;
  port.IniFile = ini;
  port.IniSection = "Net";
  port.IniParam = "Port";
  port.DefValue = "8080";
  EXPECT_EQ(GetVar(db.get(), "Port", ""), "9090");
  ASSERT_TRUE(IniWriteValue(ini, "Net", "Port", "7070"));
  EXPECT_EQ(GetVar(db.get(), "Port", ""), "7070") << "each read sees the current entry";
  IniDeleteKey(ini, "Net", "Port");
  EXPECT_EQ(GetVar(db.get(), "Port", ""), "8080");
  port.IniFile = folder.File("missing.ini");
  EXPECT_EQ(GetVar(db.get(), "Port", ""), "8080");
  DropIniCache(ini);
  // The names pass through the expander first.
  port.IniFile = "%Folder%";
  EXPECT_EQ(VariableValue(port,
                          [&](const std::string& text) { return text == "%Folder%" ? ini : text; }),
            "8080");
  DropIniCache(ini);  // the cache holds the file as last read
  test::WriteBytes(ini, "[Net]\r\nPort=1\r\n");
  EXPECT_EQ(VariableValue(port,
                          [&](const std::string& text) { return text == "%Folder%" ? ini : text; }),
            "1");
  DropIniCache(ini);
}

TEST_F(VariableAccess, ReadingGoesThroughTheInstalledVariableHook) {
  AddVariable(*db->Variables, "Raw", "%Other%");
  VariableTextHook = [](TXMLObject*, std::int32_t, const std::string& name,
                        const std::string& defaultValue) { return name + "|" + defaultValue; };
  EXPECT_EQ(GetVar(db.get(), "Raw", "d"), "Raw|d");
  EXPECT_EQ(GetVarInt(db.get(), "Raw", 5), 5) << "Raw|5 is no number";
  VariableTextHook = nullptr;
  EXPECT_EQ(GetVar(db.get(), "Raw", "d"), "%Other%");
}

TEST(ModelNavigation, DatabaseAndVariableContext) {
  auto db = TcvMainDatabase::New();
  db->LoadFromString(
      "<cv2project><packages><package filename='main.exe'><components>"
      "<component id='inner'/></components></package><package filename='b.cvp'/></packages>"
      "<components><component id='a' package='B.CVP'/><component id='b' package='gone.cvp'/>"
      "</components><features><feature id='f'><features><feature id='g'/></features>"
      "</feature></features></cv2project>",
      "cv2project");
  TcvPackage* mainPackage = db->Packages->Package(0);
  TcvPackage* second = db->Packages->Package(1);
  EXPECT_EQ(GetVariableContext(db->Components->Component(0)), second);
  EXPECT_EQ(GetVariableContext(db->Components->Component(1)), db.get())
      << "a component of a missing package sees the database";
  EXPECT_EQ(GetVariableContext(mainPackage->Components->Component(0)), mainPackage);
  const TcvFeature* g = db->Features->Feature(0)->Features->Feature(0);
  EXPECT_EQ(GetVariableContext(g), db.get());
  EXPECT_EQ(GetVariableContext(db.get()), db.get());
  EXPECT_EQ(GetVariableContext(nullptr), nullptr);
  EXPECT_EQ(GetDatabase(g), db.get());
  EXPECT_EQ(GetDatabase(second), db.get());
  auto loose = TcvFeature::New();
  EXPECT_EQ(GetDatabase(loose.get()), nullptr);
  EXPECT_EQ(GetVariableContext(loose.get()), nullptr);
}

}  // namespace
}  // namespace cv
