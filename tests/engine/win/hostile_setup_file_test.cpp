// Setup files damaged or made hostile on purpose: each is the example
// project built by cvbuild.exe with one change, sizes and checksums made to
// fit, so that the damage gets past the first checks. The engine must end
// each with a clear message and leave no work folder behind.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "child_process.h"
#include "dialog_watcher.h"
#include "setup_files.h"
#include "temp_folder.h"
#include "test_pictures.h"

namespace cv {
namespace {

constexpr DWORD kNoProcess = 0xFFFFFFFF;
constexpr DWORD kFailureExitCode = 0xFFFFFFFF;  // -1

using test::Quoted;

std::string ExampleFolder() { return test::ExampleFile("hello\\"); }

// Copies the files and sub-folders of `from` into `to` (both with a
// trailing backslash).
bool CopyFolder(const std::string& from, const std::string& to) {
  CreateDirectoryA(to.c_str(), nullptr);
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((from + "*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool copied = true;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      copied = CopyFolder(from + name + "\\", to + name + "\\") && copied;
    } else {
      copied = CopyFileA((from + name).c_str(), (to + name).c_str(), FALSE) && copied;
    }
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return copied;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

std::uint32_t Read32(const std::string& bytes, std::size_t at) {
  std::uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}
std::uint16_t Read16(const std::string& bytes, std::size_t at) {
  std::uint16_t value;
  std::memcpy(&value, bytes.data() + at, 2);
  return value;
}

struct RunOutcome {
  std::vector<test::SeenDialog> boxes;
  bool ended = false;
  DWORD exitCode = 0;
  bool workFolderLeft = true;
};

class HostileSetupFileTest : public ::testing::Test {
 protected:
  // Copies the example into the test's folder (its sources must lie beside
  // the project) and writes its project, changed by `edit`.
  std::string WriteProject(const std::function<void(std::string&)>& edit) {
    EXPECT_TRUE(CopyFolder(ExampleFolder(), place_.Path()));
    std::string text = test::ReadFileBytes(ExampleFolder() + "hello.cv2project");
    edit(text);
    const std::string project = place_.Path() + "hello.cv2project";
    EXPECT_TRUE(test::WriteFileBytes(project, text));
    return project;
  }

  // Builds the project with stored cabinets (so a test can find and change
  // members' bytes) into Setup(); answers the setup file's bytes.
  std::string Build(const std::string& project) {
    EXPECT_EQ(test::BuildSetupFile(project, Setup(), "-c stored"), 0u);
    return test::ReadFileBytes(Setup());
  }
  std::string Setup() const { return place_.Path() + "hello-setup.exe"; }

  RunOutcome Run(const std::string& bytes, DWORD timeoutMs = 120000, const char* mode = " /s") {
    EXPECT_TRUE(test::WriteFileBytes(Setup(), bytes));
    RunOutcome outcome;
    test::DialogWatcher watcher(kNoProcess);
    // Into a folder of the test's own.
    test::ChildProcess setup(Quoted(Setup()) + mode + " /var:InstallPath=" + target_.Path(),
                             {{"TMP", temp_.Path()}, {"TEMP", temp_.Path()}});
    EXPECT_TRUE(setup.Started());
    if (!setup.Started()) return outcome;
    watcher.SetProcess(setup.Id());
    outcome.ended = setup.Wait(timeoutMs);
    outcome.exitCode = setup.ExitCode();
    outcome.boxes = watcher.Seen();
    outcome.workFolderLeft = !test::FolderEntries(temp_.Path()).empty();
    return outcome;
  }

  // The run ended by itself, through the failure path, with `boxes` error
  // boxes and nothing left in the temporary root.
  static void ExpectCleanEnd(const RunOutcome& outcome, std::size_t boxes = 1) {
    EXPECT_TRUE(outcome.ended) << "the setup hung";
    EXPECT_EQ(outcome.exitCode, kFailureExitCode);
    EXPECT_FALSE(outcome.workFolderLeft) << "the work folder was left";
    std::string texts;
    for (const auto& box : outcome.boxes) texts += "[" + box.Caption + ": " + box.Text + "] ";
    ASSERT_EQ(outcome.boxes.size(), boxes) << texts;
    for (const auto& box : outcome.boxes) EXPECT_EQ(box.Icon, test::DialogIcon::Error) << box.Text;
  }

  // The run ended by itself with the example installed, no box shown and
  // nothing left in the temporary root.
  void ExpectCompleteRun(const RunOutcome& outcome) const {
    EXPECT_TRUE(outcome.ended) << "the setup hung";
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_FALSE(outcome.workFolderLeft) << "the work folder was left";
    for (const auto& box : outcome.boxes) ADD_FAILURE() << box.Caption << ": " << box.Text;
    EXPECT_TRUE(test::PathExists(target_.Path() + "hello.txt"));
  }

  test::TempFolder place_;   // where the project and the setup file lie
  test::TempFolder temp_;    // the engine's temporary root
  test::TempFolder target_;  // where the example is installed
  test::HelloExampleTraces traces_;
};

// The 28-byte header stands just before the end marker; PresetupSize is its
// 64-bit field at offset 12.
void SetPresetupSize(std::string& setup, std::uint64_t size) {
  const std::size_t header = setup.rfind("CVPEND") - 28;
  std::memcpy(setup.data() + header + 12, &size, 8);
}

// Changes the bytes `from` of cabinet 0 (the first cabinet of the file) into
// `to`, and clears the checksum of every data block they touch: a zero
// checksum is not checked, so the change is all the engine sees.
void ChangeInFirstCabinet(std::string& setup, const std::string& from, const std::string& to) {
  ASSERT_EQ(from.size(), to.size());
  const std::size_t cabinet = setup.find(std::string("MSCF\0\0\0\0", 8));
  ASSERT_NE(cabinet, std::string::npos);
  const std::size_t at = setup.find(from, cabinet);
  ASSERT_NE(at, std::string::npos) << "not in the cabinet: " << from;
  setup.replace(at, to.size(), to);
  const std::uint16_t folders = Read16(setup, cabinet + 26);
  const std::uint16_t flags = Read16(setup, cabinet + 30);
  ASSERT_EQ(flags & 4, 0) << "no reserved fields expected";
  for (std::uint16_t f = 0; f < folders; ++f) {
    const std::size_t folder = cabinet + 36 + 8u * f;
    std::size_t block = cabinet + Read32(setup, folder);
    for (std::uint16_t b = 0; b < Read16(setup, folder + 4); ++b) {
      const std::size_t end = block + 8 + Read16(setup, block + 4);
      if (at < end && at + to.size() > block + 8) std::memset(setup.data() + block, 0, 4);
      block = end;
    }
  }
}

TEST_F(HostileSetupFileTest, PicturesWhoseHeadersClaimMorePixelsThanTheyHoldAreShownAsNone) {
  std::string liar = test::BitmapFile(2, 2, RGB(9, 9, 9));
  BITMAPINFOHEADER info;
  std::memcpy(&info, liar.data() + sizeof(BITMAPFILEHEADER), sizeof info);
  info.biWidth = info.biHeight = 30000;
  std::memcpy(liar.data() + sizeof(BITMAPFILEHEADER), &info, sizeof info);
  ASSERT_TRUE(test::WriteFileBytes(place_.Path() + "liar.bmp", liar));
  info.biWidth = info.biHeight = 200;
  std::memcpy(liar.data() + sizeof(BITMAPFILEHEADER), &info, sizeof info);
  ASSERT_TRUE(test::WriteFileBytes(place_.Path() + "small-liar.bmp", liar));
  const std::string project = WriteProject([&](std::string& text) {
    ReplaceAll(text, "splash=\"splash.bmp\"", "splash=\"liar.bmp\" presetup=\"small-liar.bmp\"");
  });
  ExpectCompleteRun(Run(Build(project)));
}

TEST_F(HostileSetupFileTest, AVariableThatDoublesItselfEndsAsAnInfiniteReference) {
  const std::string project = WriteProject([](std::string& text) {
    ReplaceAll(text, "<var name=\"AppName\" value=\"Corvane Hello\"/>",
               "<var name=\"AppName\" value=\"%AppName%%AppName%\" header=\"1\"/>");
  });
  // The name is never shown in a silent run that succeeds; what matters is
  // that expanding it ends.
  ExpectCompleteRun(Run(Build(project)));
}

TEST_F(HostileSetupFileTest, ASplashOf49DaysStaysOnlyTheLongestDisplayTime) {
  const std::string project = WriteProject([](std::string& text) {
    ReplaceAll(text, "splashtime=\"2\" splashopacity=\"90\"", "splashtime=\"7\" splashopacity=\"99\"");
  });
  std::string setup = Build(project);
  // The picture's last bytes, then the display time and the opacity.
  const std::string picture = test::ReadFileBytes(ExampleFolder() + "splash.bmp");
  const std::string end = picture.substr(picture.size() - 16);
  ChangeInFirstCabinet(setup, end + std::string("\x07\0\0\0\x63\0\0\0", 8),
                       end + std::string("\xFF\xFF\xFF\xFF\x63\0\0\0", 8));
  // Not silent: a silent run shows no splash.
  ExpectCompleteRun(Run(setup, 90000, ""));
}

// Windows drops trailing dots and spaces from names, so folder parts such as
// ".. " or ".. ." would not be where the name says. They are skipped; the
// run then fails for the file it lacks, and removes all it wrote.
TEST_F(HostileSetupFileTest, MemberNamesOfDotsAndSpacesAreSkippedAndNothingIsLeft) {
  std::string setup = Build(WriteProject([](std::string&) {}));
  const std::size_t cabinet = setup.find(std::string("MSCF\0\0\0\0", 8));
  const std::size_t name = setup.find(std::string("languages\0", 10), cabinet);
  ASSERT_NE(name, std::string::npos);
  setup.replace(name, 9, ".. .\\lang");
  ExpectCleanEnd(Run(setup));
}

// A PresetupSize near 2^63 used to wrap to a negative need and pass the
// free-space check.
TEST_F(HostileSetupFileTest, AnAbsurdPresetupSizeFailsTheFreeSpaceCheck) {
  std::string setup = Build(WriteProject([](std::string&) {}));
  for (const std::uint64_t size : {(std::uint64_t{1} << 63) - 512, (std::uint64_t{1} << 62) + 1}) {
    SetPresetupSize(setup, size);
    // The check's own box, then the main flow's for the package it could
    // not prepare.
    const RunOutcome outcome = Run(setup);
    ExpectCleanEnd(outcome, 2);
    if (!outcome.boxes.empty()) {
      EXPECT_EQ(outcome.boxes[0].Text, "Insufficient free disk space.") << size;
    }
  }
}

TEST_F(HostileSetupFileTest, AnAppIdWindowsRefusesAsAMutexNameIsReportedAsSuch) {
  const std::string project = WriteProject([](std::string& text) {
    ReplaceAll(text, "value=\"CorvaneHello\"", "value=\"Corvane\\Hello\"");
  });
  const RunOutcome outcome = Run(Build(project));
  ExpectCleanEnd(outcome);
  if (!outcome.boxes.empty()) {
    EXPECT_EQ(outcome.boxes[0].Text.rfind("Cannot create the mutex \"Corvane\\Hello setup\"", 0), 0u)
        << outcome.boxes[0].Text;
  }
}

}  // namespace
}  // namespace cv
