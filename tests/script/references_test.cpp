// References in texts: variables, language strings and expressions, their
// nesting and the guard against endless nesting.

#include "script/references.h"

#include <gtest/gtest.h>

#include <string>

#include "database/main_database.h"
#include "database/model_hooks.h"
#include "database/variable_access.h"

namespace cv {
namespace {

// An expression stand-in: "1+1" is 2, anything else comes back in braces, so
// a test sees whether and with what a segment was evaluated.
std::string FakeExpression(TXMLObject*, std::int32_t, const std::string& expression, std::intptr_t,
                           bool expandNames) {
  if (expression == "1+1") return "2";
  return "{" + expression + (expandNames ? "" : "/raw") + "}";
}

class References : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = MainDatabase();
    SetMainDatabase(db_.get());
    ExpressionHook = FakeExpression;
    InstallReferenceHooks();
    db_->LoadFromString(R"(<cv2project>
      <variables>
        <var name="LangID" value="ENU"/>
        <var name="InstallDir" value="C:\Apps\%AppName%"/>
        <var name="AppName" value="Demo"/>
        <var name="Self" value="%self%"/>
        <var name="Loop" value="x%Loop%"/>
        <var name="Raw" value="%AppName%" flags="dont_parse"/>
        <var name="Names" value="%AppName% #1+1#" flags="dont_parse_identifiers"/>
        <var name="Calc" value="%AppName% #1+1#" flags="calc_expression"/>
        <var name="Env" value="hidden" type="envvar"/>
      </variables>
      <languages>
        <language lngid="ENU"><param name="Caption" value="Setup of %AppName%"/>
          <param name="Line1Line2" value="joined"/><param name="Both" value="engine"/></language>
        <language lngid="ENU" pluginid="Wizard"><param name="Both" value="wizard"/></language>
        <language lngid="DEU"><param name="Caption" value="Installation"/></language>
      </languages></cv2project>)",
                        "");
  }
  void TearDown() override {
    SetMainDatabase(saved_);
    ExpressionHook = nullptr;
    VariableTextHook = nullptr;
    LanguageStringHook = nullptr;
    SetPluginIdRoutine(nullptr);
  }

  std::string Expand(std::string_view text, bool hash = false, bool names = true,
                     bool drop = false) {
    return ExpandReferences(db_.get(), 0, text, hash, names, drop);
  }

  std::unique_ptr<TcvMainDatabase> db_ = TcvMainDatabase::New();
  TcvMainDatabase* saved_ = nullptr;
};

TEST_F(References, PercentSigns) {
  EXPECT_EQ(Expand("100%%"), "100%");
  EXPECT_EQ(Expand("50% of %Total%"), "50% of %Total%") << "unknown stays as written";
  EXPECT_EQ(Expand("lone %"), "lone %");
  EXPECT_EQ(Expand("%AppName%"), "Demo");
  EXPECT_EQ(Expand("%appname%!"), "Demo!");
  EXPECT_EQ(Expand("%Missing%", false, true, true), "") << "dropped";
  EXPECT_EQ(Expand(""), "");
  EXPECT_EQ(Expand("%Env%"), "%Env%") << "environment variables are not visible";
}

TEST_F(References, VariablesNestThroughTheirValues) {
  EXPECT_EQ(Expand("%InstallDir%\\bin"), "C:\\Apps\\Demo\\bin");
  EXPECT_EQ(GetVariableText(db_.get(), 0, "InstallDir", ""), "C:\\Apps\\Demo");
  EXPECT_EQ(GetVar(db_.get(), "InstallDir", ""), "C:\\Apps\\Demo") << "the model reads through it";
}

TEST_F(References, VariableNamingItselfStops) {
  EXPECT_EQ(Expand("%Self%"), "%self%");
  const std::string loop = Expand("%Loop%");
  const std::string message = "***** Infinite reference in the string \"x%Loop%\" *****";
  ASSERT_GE(loop.size(), message.size());
  EXPECT_EQ(loop.substr(loop.size() - message.size()), message);
  EXPECT_EQ(loop.substr(0, loop.size() - message.size()), std::string(99, 'x'));
  // The guard is free again afterwards.
  EXPECT_EQ(Expand("%AppName%"), "Demo");
}

// A value naming itself twice doubles the work at every level: within the
// depth limit that is 2^100 expansions. The whole expansion is given up as
// an infinite reference once it has done far more than any real text needs.
TEST_F(References, SelfReferenceThatMultipliesEndsAsAnInfiniteReference) {
  SetVar(db_.get(), "Twice", "%Twice%%Twice%");
  SetVar(db_.get(), "Title", "Setup of %Twice%");
  // The message names the text the caller asked to expand.
  EXPECT_EQ(Expand("%Twice%"), "***** Infinite reference in the string \"%Twice%\" *****");
  EXPECT_EQ(GetVariableText(db_.get(), 0, "Twice", ""),
            "***** Infinite reference in the string \"%Twice%%Twice%\" *****");
  EXPECT_EQ(GetVariableText(db_.get(), 0, "Title", ""),
            "***** Infinite reference in the string \"Setup of %Twice%\" *****");
  // A long text that is not a loop stays whole, and the budget is free again.
  const std::string many = [] {
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "%InstallDir%;";
    return text;
  }();
  EXPECT_EQ(Expand(many).size(), 5000 * std::string("C:\\Apps\\Demo;").size());
  EXPECT_EQ(Expand("%AppName%"), "Demo");
}

TEST_F(References, FlagsSteerTheReexpansionOfAValue) {
  EXPECT_EQ(Expand("%Raw%"), "%AppName%");
  EXPECT_EQ(Expand("%Names%"), "%AppName% #1+1#");
  EXPECT_EQ(Expand("%Calc%"), "Demo 2");
}

TEST_F(References, HashSegments) {
  EXPECT_EQ(Expand("##"), "#");
  EXPECT_EQ(Expand("#1+1#"), "#1+1#") << "only where hash evaluation is on";
  EXPECT_EQ(Expand("#1+1#", true), "2");
  EXPECT_EQ(Expand("a ## b", true), "a # b");
  EXPECT_EQ(Expand("#x#", true, false), "{x/raw}") << "operands expanded only with names";
  EXPECT_EQ(Expand("#open"), "#open");
  EXPECT_EQ(Expand("#open", true), "#open") << "an unfinished segment is not evaluated";
}

TEST_F(References, NamesOffLeavesPercentAndBrackets) {
  EXPECT_EQ(Expand("%AppName% [Caption] #1+1#", false, false), "%AppName% [Caption] #1+1#");
  EXPECT_EQ(Expand("%AppName% #1+1#", true, false), "%AppName% 2");
}

TEST_F(References, LanguageStrings) {
  EXPECT_EQ(Expand("[Caption]"), "Setup of Demo");
  EXPECT_EQ(Expand("[NoSuch]"), "[NoSuch]");
  EXPECT_EQ(Expand("[NoSuch]", false, true, true), "");
  EXPECT_EQ(Expand("a[]b"), "ab");
  EXPECT_EQ(Expand("[Line1\\nLine2]"), "\r\njoined");
  EXPECT_EQ(Expand("[Line1\\tX]"), "\t[Line1X]");
  EXPECT_EQ(Expand("[a\\]b]"), "][ab]") << "an escaped bracket is a character";
  EXPECT_EQ(Expand("unclosed [Caption"), "unclosed Caption");
  EXPECT_EQ(Expand("[Cap\\"), "\\Cap") << "an escape at the end";
  SetVar(db_.get(), "LangID", "DEU");
  EXPECT_EQ(Expand("[Caption]"), "Installation");
  SetVar(db_.get(), "LangID", "FRA");
  EXPECT_EQ(Expand("[Caption]"), "[Caption]");
}

TEST_F(References, PluginTablesComeFirst) {
  SetPluginIdRoutine([](std::int32_t id) { return std::string(id == 7 ? "wizard" : ""); });
  EXPECT_EQ(ExpandReferences(db_.get(), 7, "[Both]", false, true, false), "wizard");
  EXPECT_EQ(ExpandReferences(db_.get(), 7, "[Caption]", false, true, false), "Setup of Demo")
      << "the engine's table when the plug-in's has no such string";
  EXPECT_EQ(ExpandReferences(db_.get(), 0, "[Both]", false, true, false), "engine");
  EXPECT_EQ(ExpandReferences(db_.get(), 3, "[Both]", false, true, false), "engine");
}

TEST_F(References, UnfinishedVariableAtTheEnd) {
  EXPECT_EQ(Expand("50%AppName"), "50%AppName");
}

TEST_F(References, PackagesSeeTheirOwnVariablesFirst) {
  auto package = TcvPackage::New();
  package->FileName = "p.cvp";
  TcvPackage* added = package.get();
  db_->Packages->Add(std::move(package));
  SetVar(db_.get(), "Both", "db");
  auto own = TcvVariable::New();
  own->Name = "Both";
  own->Value = "package of %AppName%";
  added->Variables->Add(std::move(own));
  EXPECT_EQ(ExpandReferences(added, 0, "%Both%", false, true, false), "package of Demo");
  EXPECT_EQ(Expand("%Both%"), "db");
}

TEST_F(References, RegistryAndIniNamesAreExpandedBeforeTheRead) {
  auto variable = TcvVariable::New();
  variable->Name = "FromIni";
  variable->VarType = TcvVarType::vtIni;
  variable->IniFile = "%NoSuchFolder%\\none.ini";
  variable->DefValue = "fallback for %AppName%";
  db_->Variables->Add(std::move(variable));
  EXPECT_EQ(Expand("%FromIni%"), "fallback for Demo");
}

TEST_F(References, NullDatabaseIsTheMainOne) {
  EXPECT_EQ(ExpandReferences(nullptr, 0, "%AppName%", false, true, false), "Demo");
  EXPECT_THROW(GetVariableText(nullptr, 0, "AppName", ""), EVariableContextError);
}

}  // namespace
}  // namespace cv
