// The main flow's choices on a loaded project: install types and features,
// launch conditions, the components to install and their packages.

#include "engine/run_selection.h"

#include <gtest/gtest.h>

#include "database/feature_selection.h"
#include "database/model_hooks.h"
#include "database/variable_access.h"
#include "script/evaluate_expression.h"

namespace cv {
namespace {

constexpr char kProject[] =
    "<cv2project>"
    "<features>"
    "<feature id='Core'><components><component id='App'/></components>"
    "<features><feature id='Extras' condition='1=2'><components><component id='Extra'/>"
    "</components></feature></features></feature>"
    "<feature id='Docs'><components><component id='Manual'/><component id='Off'/></components>"
    "</feature>"
    "</features>"
    "<installtypes>"
    "<installtype id='Minimal'><features><feature id='Core'/></features></installtype>"
    "<installtype id='Hidden' default='1' condition='1=2'><features><feature id='Docs'/>"
    "</features></installtype>"
    "<installtype id='Full' default='1'><features><feature id='Core'/><feature id='Docs'/>"
    "</features></installtype>"
    "</installtypes>"
    "<components>"
    "<component id='App' dst='C:\\Program Files\\App\\'><files><file src='a.exe' dst='bin\\a.exe'/>"
    "</files></component>"
    "<component id='Extra'/>"
    "<component id='Manual' package='docs'><files><file src='m.txt' dst='m.txt'/></files></component>"
    "<component id='Off' condition='1=2'/>"
    "<component id='Unused'/>"
    "</components>"
    "<launchconditions><launchcondition condition='1=1' msg='fine'/>"
    "<launchcondition condition='2=3' msg='Needs %AppName%'/>"
    "<launchcondition condition='4=5' msg='second failure'/></launchconditions>"
    "<packages><package id='setup' main='1'/><package id='docs'/><package id='spare'/></packages>"
    "</cv2project>";

class RunSelectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    database_ = TcvMainDatabase::New();
    database_->LoadFromString(kProject, "cv2project");
    silent_ = TcvSilentSettings::New();
    InstallEvaluatorHooks();
    SetConditionEvaluation(true);
  }
  void TearDown() override { SetConditionEvaluation(false); }
  bool Selected(const char* id) {
    const TcvFeature* feature = FindFeature(*database_->Features, id);
    return feature && feature->Selected;
  }
  std::vector<std::string> ComponentIds() {
    std::vector<std::string> ids;
    for (int i = 0; i < database_->Components->Count(); ++i)
      ids.push_back(database_->Components->Component(i)->ID());
    return ids;
  }

  std::unique_ptr<TcvMainDatabase> database_;
  std::unique_ptr<TcvSilentSettings> silent_;
};

TEST_F(RunSelectionTest, TheFirstEnabledDefaultInstallTypeIsChosen) {
  SelectInstallTypeAndFeatures(*database_, *silent_);
  EXPECT_EQ(database_->ActiveInstallType, "Full");
  EXPECT_TRUE(Selected("Core"));
  EXPECT_TRUE(Selected("Docs"));
}

TEST_F(RunSelectionTest, TheSilentSettingsNameTheInstallTypeAndMoreFeatures) {
  silent_->LoadFromString(
      "<silentsettings activeinstalltype='Minimal'><features><feature id='Docs'/></features>"
      "</silentsettings>",
      "silentsettings");
  SelectInstallTypeAndFeatures(*database_, *silent_);
  EXPECT_EQ(database_->ActiveInstallType, "Minimal");
  EXPECT_FALSE(Selected("Docs"));
  SelectSilentFeatures(*database_, *silent_);
  EXPECT_TRUE(Selected("Docs"));
}

TEST_F(RunSelectionTest, WithoutInstallTypesEveryEnabledFeatureIsSelected) {
  database_->InstallTypes->Reset();
  SelectInstallTypeAndFeatures(*database_, *silent_);
  EXPECT_TRUE(Selected("Core"));
  EXPECT_TRUE(Selected("Docs"));
  const TcvFeature* extras = database_->Features->Feature(0)->Features->Feature(0);
  ASSERT_EQ(extras->ID, "Extras");
  EXPECT_FALSE(extras->Selected) << "its condition fails";
}

TEST_F(RunSelectionTest, AResumedRunFindsItsInstallTypeWithoutTouchingTheSelection) {
  database_->ActiveInstallType = "minimal";
  RestoreActiveInstallType(*database_);
  ASSERT_NE(database_->InstallTypes->Active, nullptr);
  EXPECT_EQ(database_->InstallTypes->Active->ID, "Minimal");
  EXPECT_FALSE(Selected("Core"));
  database_->ActiveInstallType = "gone";
  RestoreActiveInstallType(*database_);
  EXPECT_EQ(database_->InstallTypes->Active, nullptr);
}

TEST_F(RunSelectionTest, TheFirstFailingLaunchConditionGivesItsMessage) {
  std::string message;
  EXPECT_TRUE(FailedLaunchCondition(*database_, message));
  EXPECT_EQ(message, "Needs %AppName%");
  database_->LaunchConditions->Reset();
  message.clear();
  EXPECT_FALSE(FailedLaunchCondition(*database_, message));
  EXPECT_TRUE(message.empty());
}

TEST_F(RunSelectionTest, SelectedFeaturesDecideTheComponentsAndTheirPackages) {
  SetActiveInstallType(*database_, "Full");
  std::string missing;
  ASSERT_TRUE(MarkComponentsToInstall(*database_, "C:\\Setups\\My Setup.exe", missing));
  EXPECT_EQ(ComponentIds(), (std::vector<std::string>{"App", "Manual"}));
  EXPECT_EQ(database_->Components->Component(0)->Package, "My Setup");
  EXPECT_EQ(database_->Components->Component(1)->Package, "docs");
  EXPECT_TRUE(database_->Components->Component(0)->Install);

  // The setup file's own package is the main one, named after the file.
  database_->Packages->Package(0)->ID = "My Setup";
  ASSERT_TRUE(AssignComponentPackages(*database_, missing));
  ASSERT_EQ(database_->Packages->Count(), 2);
  EXPECT_EQ(database_->Packages->Package(1)->ID, "docs");
  EXPECT_TRUE(database_->Packages->Package(1)->Needed);
}

TEST_F(RunSelectionTest, MissingComponentsAndPackagesAreNamed) {
  database_->Features->LoadFromString(
      "<features><feature id='F'><components><component id='Ghost'/></components></feature>"
      "</features>",
      "features");
  SelectFeature(*database_->Features->Feature(0), true);
  std::string missing;
  EXPECT_FALSE(MarkComponentsToInstall(*database_, "setup.exe", missing));
  EXPECT_EQ(missing, "Ghost");

  database_->Features->Reset();
  ASSERT_TRUE(MarkComponentsToInstall(*database_, "renamed.exe", missing));
  EXPECT_EQ(ComponentIds(), (std::vector<std::string>{"App", "Extra", "Manual", "Unused"}))
      << "without features every enabled component";
  EXPECT_FALSE(AssignComponentPackages(*database_, missing));
  EXPECT_EQ(missing, "renamed") << "no package carries the setup file's new name";
}

TEST_F(RunSelectionTest, ComponentsTakeOverTheirPackagesDefinitionAndPlaceTheirFiles) {
  TcvPackage& docs = *database_->Packages->Package(1);
  docs.Components->LoadFromString(
      "<components><component id='Manual' name='The manual' dst='%InstallPath%\\docs'>"
      "<files><file src='m.txt' dst='manual.txt'/><file src='n.txt' dst='notes.txt'/></files>"
      "</component></components>",
      "components");
  TcvComponent& manual = *database_->Components->Component(2);
  manual.Marked = manual.Install = true;
  TakeOverPackageComponents(*database_);
  EXPECT_EQ(manual.Name, "The manual");
  EXPECT_EQ(manual.Package, "docs");
  EXPECT_TRUE(manual.Marked && manual.Install);
  ASSERT_EQ(manual.Files->Count(), 2);

  SetFileDestinations(*database_);
  EXPECT_EQ(manual.Files->ItemAs<TcvFile>(1)->Dst, "%InstallPath%\\docs\\notes.txt");
  EXPECT_EQ(database_->Components->Component(0)->Files->ItemAs<TcvFile>(0)->Dst,
            "C:\\Program Files\\App\\bin\\a.exe");
  database_->Components->Component(0)->Dst.clear();
  database_->Components->Component(0)->Files->ItemAs<TcvFile>(0)->Dst = "a.exe";
  SetFileDestinations(*database_);
  EXPECT_EQ(database_->Components->Component(0)->Files->ItemAs<TcvFile>(0)->Dst,
            "%InstallPath%\\a.exe");
}

TEST_F(RunSelectionTest, ARepairTakesTheStoredTypeAndFeaturesAndRunsSilently) {
  SelectInstallTypeAndFeatures(*database_, *silent_);
  silent_->LoadFromString(
      "<silentsettings activeinstalltype='minimal'><features><feature id='Docs'/></features>"
      "</silentsettings>",
      "silentsettings");
  ApplyRepairSettings(*database_, *silent_);
  ASSERT_NE(database_->InstallTypes->Active, nullptr);
  EXPECT_EQ(database_->InstallTypes->Active->ID, "Minimal");
  EXPECT_TRUE(Selected("Docs"));
  EXPECT_EQ(GetVarInt(database_.get(), "SilentMode", 0), 2);
  // A run already silent stays as it was; an unknown type leaves none active.
  SetVarInt(database_.get(), "SilentMode", 1);
  silent_->ActiveInstallType = "Gone";
  ApplyRepairSettings(*database_, *silent_);
  EXPECT_EQ(database_->InstallTypes->Active, nullptr);
  EXPECT_EQ(GetVarInt(database_.get(), "SilentMode", 0), 1);
}

}  // namespace
}  // namespace cv
