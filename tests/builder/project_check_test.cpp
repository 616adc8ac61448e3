// cvbuild check: one planted fault of each kind, reported with its line and
// column, and projects the engine accepts reported clean.

#include <gtest/gtest.h>

#include <string>

#include "builder_test_support.h"
#include "project_check.h"

namespace cv::build {
namespace {

// A valid project; "PLANT" (line 3) is replaced by each case's element.
constexpr const char kTemplate[] =
    "<?xml version=\"1.0\"?>\n"
    "<cv2project version=\"1.0\">\n"
    "PLANT\n"
    "\t<variables><var name=\"Known\" value=\"%ProgramFiles%\\x\"/></variables>\n"
    "\t<packages><package id=\"main\" main=\"1\"/><package id=\"more\" filename=\"more2\"/></packages>\n"
    "\t<components><component id=\"Comp\" package=\"more2\"><files><file src=\"present.txt\"/>"
    "<file src=\"gone.txt\" flags=\"external\"/></files></component></components>\n"
    "\t<features><feature id=\"Feat\"><components><component id=\"Comp\"/></components></feature></features>\n"
    "\t<installtypes><installtype id=\"Type\"><features><feature id=\"Feat\"/></features></installtype></installtypes>\n"
    "\t<languages><language lngid=\"ENU\"><param name=\"Hello\" value=\"Hi\"/></language></languages>\n"
    "</cv2project>\n";

class ProjectCheckTest : public ::testing::Test {
 protected:
  CheckReport CheckWith(const std::string& plant) {
    std::string text = kTemplate;
    text.replace(text.find("PLANT"), 5, plant);
    test::WriteBytes(scratch_.File("present.txt"), "x");
    const std::string path = scratch_.File("project.cv2project");
    test::WriteBytes(path, text);
    return CheckProject(path);
  }
  test::ScratchFolder scratch_;
};

TEST_F(ProjectCheckTest, TheTemplateIsClean) {
  const CheckReport report = CheckWith("");
  for (const Diagnostic& d : report.Diagnostics) ADD_FAILURE() << FormatDiagnostic(d);
}

struct PlantedFault {
  const char* Plant;
  const char* Marker;  // where the report points: the marker's last occurrence
  const char* Message;
  Severity Level;
};

TEST_F(ProjectCheckTest, EachPlantedFaultIsReportedAtItsPlace) {
  const PlantedFault faults[] = {
      {"<launchconditions><launchcondition condition=\"1 +\"/></launchconditions>",
       "\"/></launchconditions>",  // the evaluator points just past the expression
       "Expression expected.", Severity::Error},
      {"<launchconditions><launchcondition condition=\"Frob(1)\"/></launchconditions>", "Frob(",
       "Unknown function.", Severity::Error},
      {"<launchconditions><launchcondition condition=\"Length(1, 2)\"/></launchconditions>", ")",
       "Wrong quantity of parameters in function.", Severity::Error},
      {"<launchconditions><launchcondition condition=\"1\" msg=\"See #Frob(2)#\"/></launchconditions>",
       "Frob(", "Unknown function.", Severity::Error},
      {"<launchconditions><launchcondition condition=\"1\" msg=\"In %Nope%\"/></launchconditions>",
       "%Nope%", "unknown variable \"Nope\"", Severity::Error},
      {"<launchconditions><launchcondition condition=\"%Nope2% = 1\"/></launchconditions>", "%Nope2%",
       "unknown variable \"Nope2\"", Severity::Error},
      {"<launchconditions><launchcondition condition=\"1\" msg=\"[NoString]\"/></launchconditions>",
       "[NoString]", "unknown language string \"NoString\"", Severity::Error},
      {"<launchconditions><launchcondition condition=\"1\" msg=\"[Hello][No\\nString]\"/></launchconditions>",
       "[No", "unknown language string \"NoString\"", Severity::Error},
      {"<features><feature id=\"F2\"><components><component id=\"Nope\"/></components></feature></features>",
       "Nope", "unknown component \"Nope\"", Severity::Error},
      {"<features><feature id=\"F3\"><depends><feature id=\"Ghost\"/></depends></feature></features>",
       "Ghost", "names no feature", Severity::Error},
      {"<features><feature id=\"F4\"><excepts><feature id=\"Ghost\"/></excepts></feature></features>",
       "Ghost", "names no feature", Severity::Error},
      {"<features><feature id=\"A\"><depends><feature id=\"B\"/></depends></feature>"
       "<feature id=\"B\"><depends><feature id=\"A\"/></depends></feature></features>",
       "A\"/>", "cycle", Severity::Warning},
      {"<components><component id=\"C2\" package=\"nopkg\"/></components>", "nopkg",
       "unknown package \"nopkg\"", Severity::Error},
      {"<launchconditions><launchcondition condition=\"SetInstallType('Nope')\"/></launchconditions>",
       "Nope", "unknown install type \"Nope\"", Severity::Error},
      {"<launchconditions><launchcondition condition=\"FeatureEnabled('Ghost')\"/></launchconditions>",
       "Ghost", "unknown feature \"Ghost\"", Severity::Error},
      {"<launchconditions><launchcondition condition=\"ComponentEnabled('Ghost')\"/></launchconditions>",
       "Ghost", "unknown component \"Ghost\"", Severity::Error},
      {"<components><component id=\"C3\"><files><file src=\"absent.txt\"/></files></component></components>",
       "absent.txt", "file not found", Severity::Error},
      {"<components><component id=\"C4\"><files><file src=\"nodir\\*.txt\"/></files></component></components>",
       "nodir", "file not found", Severity::Error},
      {"<events><event eventid=\"x\"><loop expression=\"1\" loopexpression=\"Length(,)\"/></event></events>",
       "(,)", "Expression expected.", Severity::Error},
      {"<events><event eventid=\"x\"><switch expression=\"1\"><case expression=\"%Gone%\"/></switch></event></events>",
       "%Gone%", "unknown variable \"Gone\"", Severity::Error},
      {"<launchconditions><launchcondition condition=\"1\" msg=\"&#x22;%Typo%&#x22;\"/></launchconditions>",
       "%Typo%", "unknown variable \"Typo\"", Severity::Error},
  };
  for (const PlantedFault& fault : faults) {
    SCOPED_TRACE(fault.Plant);
    const CheckReport report = CheckWith(fault.Plant);
    ASSERT_EQ(report.Diagnostics.size(), 1u);
    const Diagnostic& d = report.Diagnostics.front();
    EXPECT_EQ(d.Level, fault.Level);
    EXPECT_NE(d.Message.find(fault.Message), std::string::npos) << d.Message;
    EXPECT_EQ(d.Line, 3);
    EXPECT_EQ(d.Column, static_cast<int>(std::string(fault.Plant).rfind(fault.Marker)) + 1) << d.Message;
    EXPECT_EQ(report.Errors(), fault.Level == Severity::Error ? 1 : 0);
  }
}

TEST_F(ProjectCheckTest, NamesTheEngineOrTheProjectDefinesAreKnown) {
  const char* clean[] = {
      // Predefined, set by an assignment or SetVar anywhere, or a shell folder.
      "<launchconditions><launchcondition condition=\"%InstallMode% = 0\" msg=\"%ProgramsMenu% [Hello]\"/>"
      "</launchconditions>",
      "<events><event eventid=\"x\"><action expression=\"SetVar('Later', 1)\"/>"
      "<action expression=\"Other := 2\"/><if expression=\"%Later% + %Other% = 3\"/></event></events>",
      // A variable without calc_expression keeps #...# as text; dont_parse keeps everything.
      "<variables><var name=\"Hash\" value=\"#1 +#\"/><var name=\"Raw\" value=\"%Nope%\" flags=\"dont_parse\"/>"
      "</variables>",
      "<variables><var name=\"Both\" value=\"%Nope%\" flags=\"calc_expression, dont_parse\"/></variables>",
      // Language strings keep #; a plug-in's own configuration and the build settings are not checked.
      "<languages><language lngid=\"DEU\"><param name=\"N\" value=\"Nr. #1 of %Known%\"/></language></languages>",
      "<packages><package id=\"q\"><plugins><plugin id=\"x\"><customconfig><a condition=\"1 +\"/>"
      "</customconfig></plugin></plugins></package></packages><build splash=\"%Nope%\"/>",
      // Operands expand names only: a # inside one is text.
      "<launchconditions><launchcondition condition=\"'#1 +#' = %Known%\"/></launchconditions>",
      // A package named by its file name; a feature by a sub-feature's ID.
      "<features><feature id=\"Top\"><features><feature id=\"Sub\"/></features>"
      "<depends><feature id=\"Sub\"/></depends></feature></features>",
  };
  for (const char* plant : clean) {
    SCOPED_TRACE(plant);
    const CheckReport report = CheckWith(plant);
    for (const Diagnostic& d : report.Diagnostics) ADD_FAILURE() << FormatDiagnostic(d);
  }
}

TEST_F(ProjectCheckTest, AProjectWithPluginsMayCallTheirFunctions) {
  const CheckReport report = CheckWith(
      "<packages><package id=\"p\"><plugins><plugin id=\"x\"/></plugins></package></packages>"
      "<launchconditions><launchcondition condition=\"PluginThing(1)\"/></launchconditions>");
  ASSERT_EQ(report.Diagnostics.size(), 1u);
  EXPECT_EQ(report.Diagnostics[0].Level, Severity::Warning);
  EXPECT_EQ(report.Errors(), 0);
}

TEST_F(ProjectCheckTest, AnUnreadableDocumentIsOneErrorWithItsPosition) {
  const CheckReport report = CheckWith("<broken");
  ASSERT_EQ(report.Diagnostics.size(), 1u);
  EXPECT_EQ(report.Errors(), 1);
  EXPECT_GE(report.Diagnostics[0].Line, 3);
  EXPECT_EQ(CheckProject(scratch_.File("missing.cv2project")).Errors(), 1);
}

}  // namespace
}  // namespace cv::build
