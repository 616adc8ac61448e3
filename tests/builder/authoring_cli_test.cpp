// The authoring sub-commands as a user runs them: check, eval, expand and
// explain on the example project and on its setup file, and a build that
// refuses a project with errors.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "builder_test_support.h"
#include "authoring_commands.h"
#include "command_line.h"

namespace cv::build {
namespace {
namespace fs = std::filesystem;
using test::ShellQuote;

test::CommandResult Cvbuild(const std::string& arguments) {
  return test::RunCommand(ShellQuote(CV_CVBUILD_PATH) + " " + arguments);
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class AuthoringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_ = scratch_.File("engine.exe");
    test::WriteBytes(engine_, "MZ" + test::RandomBytes(1000, 1));
    fs::copy(fs::path(CV_EXAMPLES_DIR) / "hello", scratch_.File("hello"), fs::copy_options::recursive);
    project_ = scratch_.File("hello/hello.cv2project");
  }
  // The example with `from` replaced by `to` (which must occur).
  void Plant(const std::string& from, const std::string& to) {
    std::string text = test::ReadBytes(project_);
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, from.size(), to);
    test::WriteBytes(project_, text);
  }

  test::ScratchFolder scratch_;
  std::string engine_;
  std::string project_;
};

TEST_F(AuthoringTest, TheExampleChecksClean) {
  const auto text = Cvbuild("check " + ShellQuote(project_));
  EXPECT_EQ(text.ExitCode, kExitOk) << text.Output;
  EXPECT_TRUE(Has(text.Output, "0 error(s), 0 warning(s)")) << text.Output;
  const auto json = Cvbuild("check --json " + ShellQuote(project_));
  EXPECT_EQ(json.ExitCode, kExitOk);
  EXPECT_TRUE(Has(json.Output, "\"errors\":0,\"warnings\":0,\"diagnostics\":[]")) << json.Output;
}

TEST_F(AuthoringTest, CheckReportsFileLineColumnAndExitsThree) {
  // Line 35 of the example: the ini item of the Settings component.
  Plant("value=\"%Welcome%\"", "value=\"%Welcom%\"");
  const auto text = Cvbuild("check " + ShellQuote(project_));
  EXPECT_EQ(text.ExitCode, kExitInput);
  EXPECT_TRUE(Has(text.Output, project_ + ":35:80: error: unknown variable \"Welcom\"")) << text.Output;
  const auto json = Cvbuild("check --json " + ShellQuote(project_));
  EXPECT_EQ(json.ExitCode, kExitInput);
  EXPECT_TRUE(Has(json.Output, "{\"severity\":\"error\",\"file\":" + JsonString(project_) +
                                   ",\"line\":35,\"column\":80,\"message\":\"unknown variable \\\"Welcom\\\"\"}"))
      << json.Output;
}

TEST_F(AuthoringTest, WarningsFailOnlyWhenStrict) {
  Plant("<feature id=\"Main\" name=\"Corvane Hello\" required=\"1\">",
        "<feature id=\"Main\" name=\"Corvane Hello\" required=\"1\"><depends><feature id=\"Documentation\"/>"
        "</depends>");
  Plant("<feature id=\"Documentation\" name=\"Documentation\" description=\"The user's guide\">",
        "<feature id=\"Documentation\" name=\"Documentation\"><depends><feature id=\"Main\"/></depends>");
  const auto lenient = Cvbuild("check " + ShellQuote(project_));
  EXPECT_EQ(lenient.ExitCode, kExitOk) << lenient.Output;
  EXPECT_TRUE(Has(lenient.Output, "warning:")) << lenient.Output;
  EXPECT_EQ(Cvbuild("check --strict " + ShellQuote(project_)).ExitCode, kExitInput);
}

TEST_F(AuthoringTest, EvalAndExpandUseTheProjectAndTheOverrides) {
  const std::string project = ShellQuote(project_);
  auto eval = Cvbuild("eval " + project + " '%AppName% & \" \" & %AppVersion%'");
  EXPECT_EQ(eval.ExitCode, kExitOk);
  EXPECT_EQ(eval.Output, "Corvane Hello 1.0.0\n");
  eval = Cvbuild("eval --var AppVersion=2.5 " + project + " 'CompareVersion(%AppVersion%, \"2.0\")'");
  EXPECT_EQ(eval.Output, "1\n") << eval.Output;
  eval = Cvbuild("eval --json " + project + " '2 * 3 = 6'");
  EXPECT_EQ(eval.Output, "{\"input\":\"2 * 3 = 6\",\"ok\":true,\"value\":\"1\",\"true\":true}\n");
  const auto bad = Cvbuild("eval " + project + " 'Length(1, 2)'");
  EXPECT_EQ(bad.ExitCode, kExitInput);
  EXPECT_TRUE(Has(bad.Output, "Wrong quantity of parameters in function.")) << bad.Output;
  const auto expand = Cvbuild("expand --var 'ProgramFiles=C:\\PF' " + project + " '%InstallPath%\\#2+3#[Nope]'");
  EXPECT_EQ(expand.ExitCode, kExitOk);
  EXPECT_EQ(expand.Output, "C:\\PF\\Corvane Hello\\5[Nope]\n");
  EXPECT_EQ(Cvbuild("expand --var =x " + project + " t").ExitCode, kExitUsage);
  EXPECT_EQ(Cvbuild("eval " + project).ExitCode, kExitUsage);
}

TEST_F(AuthoringTest, ExplainShowsThePackagesButNothingThePasswordProtects) {
  const std::string output = scratch_.File("out/setup.exe");
  fs::create_directories(scratch_.File("out"));
  ASSERT_EQ(Cvbuild("-q -s --password Sesame -e " + ShellQuote(engine_) + " -o " + ShellQuote(output) + " " +
                    ShellQuote(project_)).ExitCode, kExitOk);
  const auto locked = Cvbuild("explain " + ShellQuote(output));
  EXPECT_EQ(locked.ExitCode, kExitOk) << locked.Output;
  for (const char* part : {"setup file", "scrambled", "password: protected", "maindb", "splash.bmp",
                           "mszip", "CorvaneHello"}) {
    EXPECT_TRUE(Has(locked.Output, part)) << part << "\n" << locked.Output;
  }
  EXPECT_FALSE(Has(locked.Output, "hello.txt")) << locked.Output;
  const auto wrong = Cvbuild("explain --password Open " + ShellQuote(output));
  EXPECT_EQ(wrong.ExitCode, kExitInput);
  EXPECT_FALSE(Has(wrong.Output, "hello.txt"));
  const auto unlocked = Cvbuild("explain --password Sesame " + ShellQuote(output));
  EXPECT_EQ(unlocked.ExitCode, kExitOk);
  EXPECT_TRUE(Has(unlocked.Output, "data\\Program\\files\\bin\\hello.txt")) << unlocked.Output;
  // The further package has no password check of its own; its enciphered data shows.
  const auto further = Cvbuild("explain --json " + ShellQuote(scratch_.File("out/hellodocs.cvp")));
  EXPECT_EQ(further.ExitCode, kExitOk);
  for (const char* part : {"\"kind\":\"package\"", "\"scrambled\":true", "\"passwordProtected\":true",
                           "\"files\":null", "\"name\":\"packagedb\""}) {
    EXPECT_TRUE(Has(further.Output, part)) << part << "\n" << further.Output;
  }
  EXPECT_FALSE(Has(further.Output, "guide.txt"));
}

TEST_F(AuthoringTest, ExplainListsAnOpenPackage) {
  const std::string output = scratch_.File("setup.exe");
  ASSERT_EQ(Cvbuild("-q -c stored -e " + ShellQuote(engine_) + " -o " + ShellQuote(output) + " " +
                    ShellQuote(project_)).ExitCode, kExitOk);
  const auto json = Cvbuild("explain --json " + ShellQuote(scratch_.File("hellodocs.cvp")));
  EXPECT_EQ(json.ExitCode, kExitOk);
  for (const char* part : {"\"scrambled\":false", "\"passwordProtected\":false", "\"compression\":\"stored\"",
                           "\"name\":\"data\\\\Docs\\\\files\\\\docs\\\\guide.txt\",\"size\":"}) {
    EXPECT_TRUE(Has(json.Output, part)) << part << "\n" << json.Output;
  }
  const auto notPackage = Cvbuild("explain " + ShellQuote(project_));
  EXPECT_EQ(notPackage.ExitCode, kExitInput);
}

TEST_F(AuthoringTest, ABuildOfAProjectWithAnErrorWritesNothing) {
  Plant("value=\"%Welcome%\"", "value=\"#Frob(1)#\"");
  const std::string output = scratch_.File("out/setup.exe");
  fs::create_directories(scratch_.File("out"));
  const std::string command = "-e " + ShellQuote(engine_) + " -o " + ShellQuote(output) + " " + ShellQuote(project_);
  const auto refused = Cvbuild(command);
  EXPECT_EQ(refused.ExitCode, kExitInput);
  EXPECT_TRUE(Has(refused.Output, "error: Unknown function.")) << refused.Output;
  EXPECT_TRUE(fs::is_empty(scratch_.File("out")));
  EXPECT_EQ(Cvbuild("--no-check " + command).ExitCode, kExitOk);
  EXPECT_TRUE(fs::exists(output));
}

}  // namespace
}  // namespace cv::build
