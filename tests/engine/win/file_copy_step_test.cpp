// The copy step over external files of the test's own: versions decide what
// is replaced, the user's answer to a conflict sticks, wildcard sources map
// below the destination, shared files are counted and a locked target gets
// its new content at the next start.

#include "engine/win/file_copy_step.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "corvane/plugin_api.h"
#include "database/variable_access.h"
#include "install/install_log.h"
#include "install/install_progress.h"
#include "install/win/action_list.h"
#include "platform/ini_cache.h"
#include "platform/win/registry_path.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "registry_sandbox.h"
#include "script/gost.h"
#include "script/package_password.h"
#include "script/references.h"
#include "copy_step_host.h"
#include "dialog_watcher.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::PathExists;
using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

constexpr char kSharedDlls[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

std::string FixtureFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1) + "versioned\\";
}

// "versioned_<version>.dll" with dots in the version turned into "_".
std::string Fixture(std::string version) {
  for (char& c : version) {
    if (c == '.') c = '_';
  }
  return FixtureFolder() + "versioned_" + version + ".dll";
}

bool CopyFixture(const std::string& version, const std::string& target) {
  return CopyFileA(Fixture(version).c_str(), target.c_str(), FALSE) != FALSE;
}

class FileCopyStepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallLog();
    SetLogFileName(logs_.Path() + "install.log");
    SetLoggingEnabled(true);
    TcvMainDatabase& database = *host_.database;
    database.TempBackupPath = backups_.Path();
    SetMainDatabase(&database);
    SetVar(&database, "InstallPath", target_.Path());
    SetVar(&database, "SourcePath", source_.Path());
    database.Components->Add(TcvComponent::New());
    MessageHandlers handlers;
    handlers.Plugins = [this](std::int32_t, std::int32_t id, const std::string&, std::int32_t in,
                              std::int32_t, bool) -> std::int32_t {
      if (id == EV_FILEVERSIONCONFLICT) {
        conflicts_.push_back(GetStr(in, 0));
        if (conflictAnswers_.empty()) return 0;
        const std::int32_t answer = conflictAnswers_.front();
        conflictAnswers_.erase(conflictAnswers_.begin());
        return answer;
      }
      if (id == EV_AFTERPROCESSITEM) after_.push_back(GetStr(in, 1));
      return 0;
    };
    previous_ = SetMessageHandlers(handlers);
  }
  void TearDown() override {
    SetMessageHandlers(previous_);
    RollbackAll(ActionList());
    FlushIniCache();
    ResetInstallLog();
    SetMainDatabase(nullptr);
  }

  TcvFile& AddItem(const std::string& src, const std::string& dst, TcvFlags flags = {}) {
    auto item = TcvFile::New();
    item->Src = src;
    item->Dst = dst;
    item->Flags = flags;
    item->Flags.Include(TcvFlag::external);
    TcvFile& result = *item;
    host_.database->Components->Component(0)->Files->Add(std::move(item));
    return result;
  }

  // Installs the source's version of "lib.dll" over the target's.
  bool Install(const std::string& sourceVersion, const std::string& targetVersion,
               TcvFlags flags = {}) {
    EXPECT_TRUE(CopyFixture(sourceVersion, source_.Path() + "lib.dll"));
    if (!targetVersion.empty()) {
      EXPECT_TRUE(CopyFixture(targetVersion, Target()));
    }
    AddItem(source_.Path() + "lib.dll", Target(), flags);
    return CopyProjectFiles(host_);
  }

  std::string Target() const { return target_.Path() + "lib.dll"; }
  bool TargetIs(const std::string& version) const {
    return ReadFileBytes(Target()) == ReadFileBytes(Fixture(version));
  }

  test::RegistrySandbox sandbox_{"FileCopyStep"};
  TempFolder source_, target_, backups_, logs_;
  test::CopyStepHost host_;
  std::vector<std::string> conflicts_;
  std::vector<std::int32_t> conflictAnswers_;
  std::vector<std::string> after_;
  MessageHandlers previous_;
};

TEST_F(FileCopyStepTest, VersionsDecideWhatIsReplaced) {
  struct Case {
    const char* source;
    const char* target;
    TcvFlags flags;
    bool repair;
    const char* expected;  // the target's version afterwards
    bool asked;
  };
  const Case cases[] = {
      {"2.0.0.0", "1.0.0.0", {}, false, "2.0.0.0", false},  // older replaced
      {"2.0.0.0", "", {}, false, "2.0.0.0", false},         // missing written
      {"2.0.0.0", "2.0.0.1", {}, false, "2.0.0.1", true},   // newer kept after asking
      {"1.0.0.0", "3.5.0.0", {TcvFlag::dont_ask}, false, "3.5.0.0", false},
      {"1.0.0.0", "3.5.0.0", {TcvFlag::no_version}, false, "1.0.0.0", false},
      {"1.0.0.0", "2.0.0.0", {TcvFlag::dont_overwrite}, false, "2.0.0.0", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.source) + " over " + c.target);
    TearDown();
    DeleteFileA(Target().c_str());
    host_.database->Components->Component(0)->Files->ClearItems();
    conflicts_.clear();
    SetUp();
    EXPECT_TRUE(Install(c.source, c.target, c.flags));
    EXPECT_TRUE(TargetIs(c.expected));
    EXPECT_EQ(conflicts_.size(), c.asked ? 1u : 0u);
  }
}

TEST_F(FileCopyStepTest, SameVersionIsSkippedUnlessRepairing) {
  ASSERT_TRUE(Install("2.0.0.0", "2.0.0.0"));
  EXPECT_EQ(FindFile(ActionList(), Target()), nullptr);
  // The skipped item is still reported as handled.
  EXPECT_EQ(after_, std::vector<std::string>{Target()});

  SetVar(host_.database.get(), "InstallMode", "2");
  ASSERT_TRUE(CopyProjectFiles(host_));
  EXPECT_NE(FindFile(ActionList(), Target()), nullptr);
  EXPECT_TRUE(TargetIs("2.0.0.0"));
}

TEST_F(FileCopyStepTest, ConflictAnswersStickForTheStep) {
  // Three newer targets: the first answer 4 replaces it and every later one
  // without another question.
  for (const char* name : {"a.dll", "b.dll", "c.dll"}) {
    ASSERT_TRUE(CopyFixture("1.0.0.0", source_.Path() + name));
    ASSERT_TRUE(CopyFixture("3.5.0.0", target_.Path() + name));
    AddItem(source_.Path() + name, target_.Path() + name);
  }
  conflictAnswers_ = {4};
  ASSERT_TRUE(CopyProjectFiles(host_));
  EXPECT_EQ(conflicts_, std::vector<std::string>{target_.Path() + "a.dll"});
  for (const char* name : {"a.dll", "b.dll", "c.dll"}) {
    EXPECT_EQ(ReadFileBytes(target_.Path() + name), ReadFileBytes(Fixture("1.0.0.0"))) << name;
  }
}

TEST_F(FileCopyStepTest, AnswerThreeKeepsEveryNewerTargetAndTwoReplacesOnce) {
  for (const char* name : {"a.dll", "b.dll", "c.dll"}) {
    ASSERT_TRUE(CopyFixture("1.0.0.0", source_.Path() + name));
    ASSERT_TRUE(CopyFixture("3.5.0.0", target_.Path() + name));
    AddItem(source_.Path() + name, target_.Path() + name);
  }
  conflictAnswers_ = {2, 3};
  ASSERT_TRUE(CopyProjectFiles(host_));
  EXPECT_EQ(conflicts_.size(), 2u);
  EXPECT_EQ(ReadFileBytes(target_.Path() + "a.dll"), ReadFileBytes(Fixture("1.0.0.0")));
  EXPECT_EQ(ReadFileBytes(target_.Path() + "b.dll"), ReadFileBytes(Fixture("3.5.0.0")));
  EXPECT_EQ(ReadFileBytes(target_.Path() + "c.dll"), ReadFileBytes(Fixture("3.5.0.0")));
}

TEST_F(FileCopyStepTest, WithoutVersionsTheDateDecides) {
  ASSERT_TRUE(WriteFileBytes(source_.Path() + "data.txt", "new"));
  ASSERT_TRUE(WriteFileBytes(target_.Path() + "data.txt", "old and later"));
  // The target's date lies a day after the source's.
  HANDLE file = CreateFileA((target_.Path() + "data.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  WIN32_FILE_ATTRIBUTE_DATA source;
  ASSERT_TRUE(GetFileAttributesExA((source_.Path() + "data.txt").c_str(), GetFileExInfoStandard,
                                   &source));
  ULARGE_INTEGER later{{source.ftLastWriteTime.dwLowDateTime,
                        source.ftLastWriteTime.dwHighDateTime}};
  later.QuadPart += 864000000000ULL;
  const FILETIME laterTime{later.LowPart, later.HighPart};
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &laterTime));
  CloseHandle(file);
  AddItem(source_.Path() + "data.txt", target_.Path() + "data.txt", {TcvFlag::dont_ask});
  ASSERT_TRUE(CopyProjectFiles(host_));
  EXPECT_EQ(ReadFileBytes(target_.Path() + "data.txt"), "old and later");
}

TEST_F(FileCopyStepTest, WildcardSourcesMapBelowTheDestination) {
  ASSERT_TRUE(WriteFileBytes(source_.Path() + "a.txt", "a"));
  ASSERT_TRUE(WriteFileBytes(source_.Path() + "skip.bin", "no"));
  ASSERT_TRUE(CreateDirectoryA((source_.Path() + "sub").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(source_.Path() + "sub\\b.txt", "bb"));
  ASSERT_TRUE(CreateDirectoryA((source_.Path() + "empty").c_str(), nullptr));
  AddItem(source_.Path() + "*.txt", target_.Path() + "docs\\*.txt");
  StartProgress(3, 0);
  ASSERT_TRUE(CopyProjectFiles(host_));
  EXPECT_EQ(ReadFileBytes(target_.Path() + "docs\\a.txt"), "a");
  EXPECT_EQ(ReadFileBytes(target_.Path() + "docs\\sub\\b.txt"), "bb");
  EXPECT_FALSE(PathExists(target_.Path() + "docs\\skip.bin"));
  // An empty source folder gets its empty counterpart.
  EXPECT_TRUE(PathExists(target_.Path() + "docs\\empty"));
  // Every byte written was counted.
  EXPECT_EQ(Progress().Position, 3);
  // No partial file is left beside the written ones.
  EXPECT_EQ(test::FolderEntries(target_.Path() + "docs\\").size(), 3u);
}

TEST_F(FileCopyStepTest, AFileWrittenIntoANewFolderIsThereForTheNextItem) {
  // The folder does not exist before the step: a later item naming a file
  // the step has just written there, in whatever spelling, finds it.
  const std::string fresh = target_.Path() + "fresh\\";
  const char* const spellings[] = {"app.ini", "APP.INI", "sub\\..\\app.ini", ".\\app.ini"};
  for (std::size_t i = 0; i < std::size(spellings); ++i) {
    const std::string source = source_.Path() + "v" + std::to_string(i) + ".ini";
    ASSERT_TRUE(WriteFileBytes(source, spellings[i]));
    AddItem(source, fresh + spellings[i], {TcvFlag::no_version, TcvFlag::dont_overwrite});
  }
  ASSERT_TRUE(CopyProjectFiles(host_));
  // Only the first was written; every other one met the file and kept it.
  EXPECT_EQ(ReadFileBytes(fresh + "app.ini"), "app.ini");
  EXPECT_EQ(after_.size(), std::size(spellings));
  // Nothing of the writing is left in the folder.
  EXPECT_EQ(test::FolderEntries(fresh).size(), 1u);
}

TEST_F(FileCopyStepTest, SharedFilesAreCountedOncePerLog) {
  ASSERT_TRUE(WriteFileBytes(target_.Path() + "old.dll", "there before"));
  for (const char* name : {"new.dll", "old.dll"}) {
    ASSERT_TRUE(WriteFileBytes(source_.Path() + name, std::string("content of ") + name));
    AddItem(source_.Path() + name, target_.Path() + name, {TcvFlag::shared, TcvFlag::no_version});
  }
  ASSERT_TRUE(RegWriteDword(kSharedDlls, target_.Path() + "new.dll", 7));
  ASSERT_TRUE(CopyProjectFiles(host_));
  // A new file counts 1 whatever a stale count said; a file that was there
  // without a count counts 2.
  EXPECT_EQ(RegReadDword(kSharedDlls, target_.Path() + "new.dll", 0), 1u);
  EXPECT_EQ(RegReadDword(kSharedDlls, target_.Path() + "old.dll", 0), 2u);
  EXPECT_TRUE(LogHasKey(LogSection::SharedFiles, target_.Path() + "old.dll"));
  // The same log does not count a file twice.
  ASSERT_TRUE(CopyProjectFiles(host_));
  EXPECT_EQ(RegReadDword(kSharedDlls, target_.Path() + "old.dll", 0), 2u);
}

TEST_F(FileCopyStepTest, SkippedSharedFileIsStillCounted) {
  ASSERT_TRUE(Install("2.0.0.0", "2.0.0.0", {TcvFlag::shared}));
  EXPECT_EQ(FindFile(ActionList(), Target()), nullptr);
  EXPECT_EQ(RegReadDword(kSharedDlls, Target(), 0), 2u);
}

TEST_F(FileCopyStepTest, LockedTargetIsScheduled) {
  ASSERT_TRUE(CopyFixture("1.0.0.0", Target()));
  HANDLE lock = CreateFileA(Target().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(CopyFixture("2.0.0.0", source_.Path() + "lib.dll"));
  AddItem(source_.Path() + "lib.dll", Target());
  const bool ok = CopyProjectFiles(host_);
  CloseHandle(lock);
  ASSERT_TRUE(ok);
  const TInstallFile* action = FindFile(ActionList(), Target());
  ASSERT_NE(action, nullptr);
  ASSERT_TRUE(action->Pending);
  EXPECT_EQ(ReadFileBytes(action->TmpFileName), ReadFileBytes(Fixture("2.0.0.0")));
  EXPECT_TRUE(TargetIs("1.0.0.0"));
  EXPECT_EQ(GetVar(host_.database.get(), "Reboot", ""), "1");
}

TEST_F(FileCopyStepTest, EncipheredExternalFilesAreDeciphered) {
  // Longer than one copy chunk and not a whole number of blocks.
  std::string plain(200003, '\0');
  for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<char>(i * 7 + i / 251);
  std::string stored(plain.size(), '\0');
  GostCipher cipher;
  HavalDigest::Digest key = PasswordKey("secret");
  ASSERT_TRUE(cipher.Init(key.data(), 256));
  cipher.EncryptCBC(plain.data(), stored.data(), plain.size());
  ASSERT_NE(stored, plain);
  ASSERT_TRUE(WriteFileBytes(source_.Path() + "data.bin", stored));
  host_.database->Password = "secret";
  AddItem(source_.Path() + "data.bin", target_.Path() + "data.bin",
          {TcvFlag::encrypt, TcvFlag::no_version});
  ASSERT_TRUE(CopyProjectFiles(host_));
  EXPECT_TRUE(ReadFileBytes(target_.Path() + "data.bin") == plain);
}

// A missing source fails the step with one box naming it, after the files
// before it were copied; nothing of it is written and the run is not taken
// for a cancellation.
TEST_F(FileCopyStepTest, AMissingExternalSourceFailsTheStepWithOneBox) {
  ASSERT_TRUE(WriteFileBytes(source_.Path() + "first.txt", "first"));
  AddItem(source_.Path() + "first.txt", target_.Path() + "first.txt", {TcvFlag::no_version});
  AddItem(source_.Path() + "missing.txt", target_.Path() + "missing.txt", {TcvFlag::no_version});
  AddItem(source_.Path() + "first.txt", target_.Path() + "third.txt", {TcvFlag::no_version});
  test::DialogWatcher watcher;
  EXPECT_FALSE(CopyProjectFiles(host_));
  ASSERT_TRUE(watcher.WaitForCount(1, 5000));
  const auto boxes = watcher.Seen();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Caption, "Error");
  EXPECT_EQ(boxes[0].Text, "S11 " + source_.Path() + "missing.txt");
  EXPECT_FALSE(host_.cancelled);
  EXPECT_EQ(ReadFileBytes(target_.Path() + "first.txt"), "first");
  EXPECT_FALSE(PathExists(target_.Path() + "missing.txt"));
  EXPECT_FALSE(PathExists(target_.Path() + "third.txt")) << "the pass stops at the missing source";
}

// A font from outside the package has no file information: its name comes
// from the font file, so that the font step can list it.
TEST_F(FileCopyStepTest, AnExternalFontIsNamedFromItsFile) {
  const std::string font = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";
  if (!PathExists(font)) GTEST_SKIP() << font << " is missing (package fonts-dejavu-core)";
  TempFolder fonts;
  host_.database->TempFontsPath = fonts.Path();
  AddItem(font, target_.Path() + "DejaVuSans.ttf", {TcvFlag::reg_font});
  ASSERT_TRUE(CopyProjectFiles(host_));
  const TInstallFile* action = dynamic_cast<const TInstallFile*>(ActionList().Action(ActionList().Count() - 1));
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->FontName, "DejaVu Sans");
  EXPECT_EQ(action->TmpFileName, fonts.Path() + "DejaVuSans.ttf");
}

TEST_F(FileCopyStepTest, RemovalPassTakesMatchingFilesAway) {
  ASSERT_TRUE(WriteFileBytes(target_.Path() + "old1.tmp", "1"));
  ASSERT_TRUE(WriteFileBytes(target_.Path() + "old2.tmp", "2"));
  ASSERT_TRUE(WriteFileBytes(target_.Path() + "keep.txt", "k"));
  TcvFile& item = AddItem("", target_.Path() + "*.tmp");
  item.Action = TcvInstallAction::remove;
  ASSERT_TRUE(RemoveProjectFiles(host_));
  EXPECT_EQ(after_.size(), 2u);
  EXPECT_FALSE(PathExists(target_.Path() + "old1.tmp"));
  EXPECT_FALSE(PathExists(target_.Path() + "old2.tmp"));
  EXPECT_TRUE(PathExists(target_.Path() + "keep.txt"));
  // A rollback gives them back.
  RollbackAll(ActionList());
  EXPECT_EQ(ReadFileBytes(target_.Path() + "old1.tmp"), "1");
}

}  // namespace
}  // namespace cv
