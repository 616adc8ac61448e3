// The engine program itself, started as a user (or Windows after a restart)
// would start it, watched from outside: its folders, its files, the boxes it
// shows and its exit code.

#include <gtest/gtest.h>

#include <cctype>
#include <vector>

#include "child_process.h"
#include "dialog_watcher.h"
#include "same_bytes.h"
#include "setup_files.h"
#include "temp_folder.h"

namespace cv {
namespace {

constexpr DWORD kNoProcess = 0xFFFFFFFF;
constexpr DWORD kFailureExitCode = 0xFFFFFFFF;  // -1

bool IsBase32Name(const std::string& name) {
  if (name.size() != 8) return false;
  for (char c : name) {
    if (!std::isdigit(static_cast<unsigned char>(c)) && !(c >= 'A' && c <= 'V')) return false;
  }
  return true;
}

std::string EnginePath() { return test::TestProgramFolder() + "CVEngine.exe"; }

using test::Quoted;

std::string InvalidPackageText(const std::string& package) {
  return "Invalid package size!\r\rPackage \"" + package +
         "\" has been corrupted, installation impossible.";
}

// Copies the engine into `folder` (created), as the restart copy would be.
std::string CopyEngineTo(const std::string& folder) {
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string copy = folder + "CVEngine.exe";
  EXPECT_TRUE(CopyFileA(EnginePath().c_str(), copy.c_str(), FALSE));
  return copy;
}

bool WaitUntilGone(const std::string& path, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
    if (!test::PathExists(path)) return true;
    Sleep(100);
  }
  return !test::PathExists(path);
}

class EngineProcessTest : public ::testing::Test {
 protected:
  std::map<std::string, std::string> Environment() const {
    return {{"TMP", temp_.Path()}, {"TEMP", temp_.Path()}};
  }

  test::TempFolder temp_;   // the engine's temporary root
  test::TempFolder place_;  // where programs and resume folders lie
};

TEST_F(EngineProcessTest, FreshStartBuildsItsWorkFolderAndRemovesItAfterTheFailure) {
  test::DialogWatcher watcher(kNoProcess);
  watcher.Hold(true);
  test::ChildProcess engine(Quoted(EnginePath()), Environment());
  ASSERT_TRUE(engine.Started());
  watcher.SetProcess(engine.Id());
  ASSERT_TRUE(watcher.WaitForCount(1, 60000));

  // While the user reads the message, the work folder is complete.
  const auto roots = test::FolderEntries(temp_.Path());
  ASSERT_EQ(roots.size(), 1u);
  EXPECT_TRUE(IsBase32Name(roots[0])) << roots[0];
  const std::string work = temp_.Path() + roots[0] + "\\";
  auto entries = test::FolderEntries(work);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries.back(), "unpack.dll");
  entries.pop_back();
  for (const std::string& name : entries) {
    EXPECT_TRUE(IsBase32Name(name)) << name;
    EXPECT_TRUE(GetFileAttributesA((work + name).c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(test::FolderEntries(work + name + "\\").empty());
  }
  EXPECT_TRUE(test::SameBytes(test::ReadFileBytes(work + "unpack.dll"),
                              test::ReadFileBytes(test::TestProgramFolder() + "unpack.dll")));

  // The bare engine carries no package: its own file fails the size check.
  const test::SeenDialog box = watcher.Seen()[0];
  EXPECT_EQ(box.Caption, "Invalid package");
  EXPECT_EQ(box.Text, InvalidPackageText(EnginePath()));
  EXPECT_EQ(box.Icon, test::DialogIcon::Error);

  watcher.Hold(false);
  ASSERT_TRUE(engine.Wait(60000));
  EXPECT_EQ(engine.ExitCode(), kFailureExitCode);
  EXPECT_TRUE(test::FolderEntries(temp_.Path()).empty());
  EXPECT_EQ(watcher.Seen().size(), 1u);
}

// A work folder as a run that saved its state leaves it: directly in the
// temporary root under a unique name, with the library and the resume copy.
std::string MakeWorkFolder(const std::string& tempRoot, const std::string& name) {
  const std::string folder = tempRoot + name + "\\";
  EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_TRUE(test::WriteFileBytes(folder + "unpack.dll", "library"));
  EXPECT_TRUE(test::WriteFileBytes(folder + "Resume.exe", "engine"));
  EXPECT_TRUE(test::WriteFileBytes(folder + "MainDB", "saved"));
  return folder;
}

// The engine as a resume registration copies it: "cv" and six base-32
// characters in the temporary root.
std::string CopyEngineAsResumeCopy(const std::string& tempRoot) {
  const std::string copy = tempRoot + "cv0A1B2C.exe";
  EXPECT_TRUE(CopyFileA(EnginePath().c_str(), copy.c_str(), FALSE));
  return copy;
}

// Runs the engine and answers its boxes; the texts of the boxes it showed.
std::vector<std::string> RunToTheEnd(const std::string& commandLine,
                                     const std::map<std::string, std::string>& environment) {
  test::DialogWatcher watcher(kNoProcess);
  test::ChildProcess engine(commandLine, environment);
  EXPECT_TRUE(engine.Started());
  if (!engine.Started()) return {};
  watcher.SetProcess(engine.Id());
  EXPECT_TRUE(engine.Wait(60000));
  EXPECT_EQ(engine.ExitCode(), kFailureExitCode);
  std::vector<std::string> texts;
  for (const auto& box : watcher.Seen()) {
    EXPECT_EQ(box.Caption, "Error");
    EXPECT_EQ(box.Icon, test::DialogIcon::Error);
    texts.push_back(box.Text);
  }
  return texts;
}

// A resumed run whose saved state cannot be read ("saved" is no database)
// ends with the resume
// message, removes its work folder and deletes its own program copy.
void ExpectFailedResume(const std::string& commandLine, const std::string& resumeFolder,
                        const std::string& engineCopy,
                        const std::map<std::string, std::string>& environment) {
  const auto texts = RunToTheEnd(commandLine, environment);
  EXPECT_EQ(texts, (std::vector<std::string>{"Cannot resume installation."}));
  EXPECT_FALSE(test::PathExists(resumeFolder));
  EXPECT_TRUE(WaitUntilGone(engineCopy, 30000)) << "the restart copy of the engine was left";
}

TEST_F(EngineProcessTest, ResumeSwitchInUpperCaseWithQuotedFolder) {
  const std::string copy = CopyEngineAsResumeCopy(temp_.Path());
  const std::string resume = MakeWorkFolder(temp_.Path(), "0K3V5T1A");
  ExpectFailedResume(Quoted(copy) + " /RESUME:" + Quoted(resume.substr(0, resume.size() - 1)), resume,
                     copy, Environment());
  // The work folder of a resumed run is the saved one: nothing new appeared.
  EXPECT_TRUE(test::FolderEntries(temp_.Path()).empty());
}

TEST_F(EngineProcessTest, ResumeSwitchInLowerCaseWithoutQuotes) {
  const std::string copy = CopyEngineAsResumeCopy(temp_.Path());
  const std::string resume = MakeWorkFolder(temp_.Path(), "0k3v5t1b");
  ExpectFailedResume(Quoted(copy) + " -resume:" + resume, resume, copy, Environment());
}

// "/resume:" names a folder to delete, and anyone can write a command line:
// only the engine's own work folders go, and only its own resume copy
// deletes itself. Everything else stays as it was.
TEST_F(EngineProcessTest, ResumeNeverDeletesWhatIsNotTheEnginesOwn) {
  const std::string program = CopyEngineTo(place_.Path() + "program\\");
  const std::string documents = place_.Path() + "My Documents\\";
  ASSERT_TRUE(CreateDirectoryA(documents.c_str(), nullptr));
  ASSERT_TRUE(test::WriteFileBytes(documents + "letter.txt", "Dear user"));
  ASSERT_TRUE(test::WriteFileBytes(documents + "MainDB", "not a database"));
  // Shaped like a work folder, but not in the temporary root; in the root,
  // but without what every work folder holds; the whole drive.
  const std::string elsewhere = MakeWorkFolder(place_.Path(), "0K3V5T1C");
  const std::string hollow = temp_.Path() + "0K3V5T1D\\";
  ASSERT_TRUE(CreateDirectoryA(hollow.c_str(), nullptr));
  ASSERT_TRUE(test::WriteFileBytes(hollow + "MainDB", "saved"));
  const std::string marker = "C:\\corvane-resume-guard.txt";
  ASSERT_TRUE(test::WriteFileBytes(marker, "stays"));

  for (const std::string& folder : {documents, elsewhere, hollow, std::string("C:\\")}) {
    const auto texts = RunToTheEnd(Quoted(program) + " /resume:" + Quoted(folder), Environment());
    EXPECT_EQ(texts, std::vector<std::string>{"Cannot resume installation."}) << folder;
    EXPECT_TRUE(test::PathExists(folder)) << folder;
  }
  EXPECT_EQ(test::ReadFileBytes(documents + "letter.txt"), "Dear user");
  EXPECT_EQ(test::ReadFileBytes(elsewhere + "MainDB"), "saved");
  EXPECT_EQ(test::ReadFileBytes(hollow + "MainDB"), "saved");
  EXPECT_EQ(test::ReadFileBytes(marker), "stays");
  DeleteFileA(marker.c_str());
  // A setup file started with a stray switch is not the resume copy.
  Sleep(500);
  EXPECT_TRUE(test::PathExists(program));
}

TEST_F(EngineProcessTest, ResumeWithoutColonIsAnOrdinaryStart) {
  const std::string copy = CopyEngineTo(place_.Path() + "program\\");
  test::DialogWatcher watcher(kNoProcess);
  test::ChildProcess engine(Quoted(copy) + " /resume", Environment());
  ASSERT_TRUE(engine.Started());
  watcher.SetProcess(engine.Id());
  ASSERT_TRUE(engine.Wait(60000));
  EXPECT_EQ(engine.ExitCode(), kFailureExitCode);
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Text, InvalidPackageText(copy));
  // Not a resumed run: the program file stays where it is.
  Sleep(500);
  EXPECT_TRUE(test::PathExists(copy));
}

}  // namespace
}  // namespace cv
