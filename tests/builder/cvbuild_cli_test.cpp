// The cvbuild program as a user runs it: help, exit codes, messages,
// progress and the example project.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "builder_test_support.h"
#include "command_line.h"
#include "package_file.h"

namespace cv::build {
namespace {
namespace fs = std::filesystem;
using test::ShellQuote;

test::CommandResult Cvbuild(const std::string& arguments) {
  return test::RunCommand(ShellQuote(CV_CVBUILD_PATH) + " " + arguments);
}

class CvbuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_ = scratch_.File("engine.exe");
    test::WriteBytes(engine_, "MZ" + test::RandomBytes(1000, 1));
    fs::copy(fs::path(CV_EXAMPLES_DIR) / "hello", scratch_.File("hello"),
             fs::copy_options::recursive);
    project_ = scratch_.File("hello/hello.cv2project");
  }

  test::ScratchFolder scratch_;
  std::string engine_;
  std::string project_;
};

TEST_F(CvbuildTest, HelpDescribesTheOptions) {
  const auto run = Cvbuild("--help");
  EXPECT_EQ(run.ExitCode, kExitOk);
  for (const char* option : {"--engine", "--output", "--compression", "--scramble", "--password",
                             "--timestamp", "Exit codes"}) {
    EXPECT_NE(run.Output.find(option), std::string::npos) << option;
  }
}

TEST_F(CvbuildTest, UsageErrors) {
  EXPECT_EQ(Cvbuild("").ExitCode, kExitUsage);
  EXPECT_EQ(Cvbuild(ShellQuote(project_)).ExitCode, kExitUsage);  // no engine
  const auto unknown = Cvbuild("--frobnicate " + ShellQuote(project_));
  EXPECT_EQ(unknown.ExitCode, kExitUsage);
  EXPECT_NE(unknown.Output.find("--frobnicate"), std::string::npos);
  EXPECT_EQ(Cvbuild("-e x --compression lzx " + ShellQuote(project_)).ExitCode, kExitUsage);
  EXPECT_EQ(Cvbuild("-e x --timestamp 2024-13-01 " + ShellQuote(project_)).ExitCode, kExitUsage);
  EXPECT_EQ(Cvbuild("-e x --password= " + ShellQuote(project_)).ExitCode, kExitUsage);
}

TEST_F(CvbuildTest, BuildsTheExample) {
  const std::string output = scratch_.File("out/hello-setup.exe");
  fs::create_directories(scratch_.File("out"));
  const auto run = Cvbuild("-e " + ShellQuote(engine_) + " -o " + ShellQuote(output) +
                           " --timestamp 2024-05-06T07:08:09 " + ShellQuote(project_));
  ASSERT_EQ(run.ExitCode, kExitOk) << run.Output;
  EXPECT_TRUE(fs::exists(scratch_.File("out/hellodocs.cvp")));
  const std::string built = test::ReadBytes(output);
  const auto trailer = ParsePackageTrailer(built, built.size());
  ASSERT_TRUE(trailer);
  EXPECT_EQ(trailer->Header.PackageSize + trailer->Variables.size(), fs::file_size(output));
  EXPECT_NE(trailer->Variables.find("CorvaneHello"), std::string::npos);
  // The same command again gives the same bytes.
  const std::string first = test::ReadBytes(output);
  ASSERT_EQ(Cvbuild("-e " + ShellQuote(engine_) + " -o " + ShellQuote(output) +
                    " --timestamp 2024-05-06T07:08:09 " + ShellQuote(project_)).ExitCode,
            kExitOk);
  EXPECT_EQ(test::ReadBytes(output), first);
}

TEST_F(CvbuildTest, SourceDateEpochFixesTheDates) {
  const std::string output = scratch_.File("a.exe");
  const std::string command = "-e " + ShellQuote(engine_) + " -o " + ShellQuote(output) + " " +
                              ShellQuote(project_);
  ASSERT_EQ(test::RunCommand("SOURCE_DATE_EPOCH=1714979289 " + ShellQuote(CV_CVBUILD_PATH) + " " +
                             command).ExitCode, kExitOk);
  const std::string withEpoch = test::ReadBytes(output);
  ASSERT_EQ(Cvbuild(command + " --timestamp 2024-05-06T07:08:09").ExitCode, kExitOk);
  EXPECT_EQ(test::ReadBytes(output), withEpoch);
}

TEST_F(CvbuildTest, PasswordFromAFileEqualsThePasswordOption) {
  test::WriteBytes(scratch_.File("password.txt"), "Sesame 1\r\nignored\r\n");
  for (const char* folder : {"a", "b", "c"}) fs::create_directories(scratch_.File(folder));
  // The same setup file name each time: the main package is named after it.
  auto build = [&](const std::string& folder, const std::string& password) {
    return Cvbuild(password + " -o " + ShellQuote(scratch_.File(folder + "/setup.exe")) + " -e " +
                   ShellQuote(engine_) + " --timestamp 0 " + ShellQuote(project_))
        .ExitCode;
  };
  ASSERT_EQ(build("a", "--password-file " + ShellQuote(scratch_.File("password.txt"))), kExitOk);
  ASSERT_EQ(build("b", "--password 'Sesame 1'"), kExitOk);
  ASSERT_EQ(build("c", ""), kExitOk);
  const std::string fromFile = test::ReadBytes(scratch_.File("a/setup.exe"));
  EXPECT_TRUE(fromFile == test::ReadBytes(scratch_.File("b/setup.exe")));
  EXPECT_FALSE(fromFile == test::ReadBytes(scratch_.File("c/setup.exe")));
  EXPECT_EQ(build("c", "--password-file " + ShellQuote(scratch_.File("none.txt"))), kExitUsage);
}

TEST_F(CvbuildTest, MissingProjectIsAnInputError) {
  const std::string missing = scratch_.File("nothing.cv2project");
  const auto run = Cvbuild("-e " + ShellQuote(engine_) + " " + ShellQuote(missing));
  EXPECT_EQ(run.ExitCode, kExitInput);
  EXPECT_NE(run.Output.find(missing), std::string::npos) << run.Output;
}

TEST_F(CvbuildTest, BadXmlReportsFileLineAndColumn) {
  test::WriteBytes(project_, "<cv2project>\r\n  <variables>\r\n    <var name=\"a\" value=b/>\r\n"
                            "  </variables>\r\n</cv2project>\r\n");
  const auto run = Cvbuild("-e " + ShellQuote(engine_) + " " + ShellQuote(project_));
  EXPECT_EQ(run.ExitCode, kExitInput);
  EXPECT_NE(run.Output.find(project_ + ":3:"), std::string::npos) << run.Output;
}

TEST_F(CvbuildTest, MissingPayloadNamesItsPath) {
  fs::remove(scratch_.File("hello/files/readme.txt"));
  const auto run = Cvbuild("-e " + ShellQuote(engine_) + " -o " +
                           ShellQuote(scratch_.File("setup.exe")) + " " + ShellQuote(project_));
  EXPECT_EQ(run.ExitCode, kExitInput);
  EXPECT_NE(run.Output.find("readme.txt"), std::string::npos) << run.Output;
  EXPECT_FALSE(fs::exists(scratch_.File("setup.exe")));
}

TEST_F(CvbuildTest, UnwritableOutputIsAnOutputError) {
  test::WriteBytes(scratch_.File("file"), "x");
  const auto run = Cvbuild("-e " + ShellQuote(engine_) + " -o " +
                           ShellQuote(scratch_.File("file/setup.exe")) + " " + ShellQuote(project_));
  EXPECT_EQ(run.ExitCode, kExitOutput) << run.Output;
  EXPECT_NE(run.Output.find("file/setup.exe"), std::string::npos) << run.Output;
}

TEST_F(CvbuildTest, ProgressForLargePayloads) {
  test::WriteBytes(scratch_.File("hello/files/docs/large.txt"), std::string(3 << 20, 'L'));
  const std::string base = "-e " + ShellQuote(engine_) + " -o " +
                           ShellQuote(scratch_.File("s.exe")) + " " + ShellQuote(project_);
  const auto always = Cvbuild("--progress always " + base);
  ASSERT_EQ(always.ExitCode, kExitOk) << always.Output;
  EXPECT_NE(always.Output.find("hellodocs.cvp:  50% of 3.0 MiB"), std::string::npos)
      << always.Output;
  EXPECT_NE(always.Output.find("100%"), std::string::npos);
  // Below the threshold, the automatic mode stays quiet.
  const auto automatic = Cvbuild(base);
  EXPECT_EQ(automatic.Output.find('%'), std::string::npos) << automatic.Output;
  const auto quiet = Cvbuild("--quiet " + base);
  EXPECT_EQ(quiet.Output.find('%'), std::string::npos);
}

}  // namespace
}  // namespace cv::build
