// The run's journal on real files and a registry sandbox: a run that died is
// undone by the next one from what it recorded, down to a half-written last
// action; a run that ended, or one still going, is left alone.

#include "install/win/run_journal.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "database/main_database.h"
#include "database/variable_access.h"
#include "install/win/action_list.h"
#include "platform/win/registry_path.h"
#include "registry_sandbox.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::PathExists;
using test::ReadFileBytes;
using test::WriteFileBytes;

constexpr char kRuns[] = "HKCU\\Software\\Corvane\\Interrupted Runs";

class RunJournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    database_ = TcvMainDatabase::New();
    work_ = temp_.Path() + "work\\";
    ASSERT_TRUE(CreateDirectoryA(work_.c_str(), nullptr));
    database_->TempBackupPath = work_ + "backup";
    ASSERT_TRUE(CreateDirectoryA(database_->TempBackupPath.c_str(), nullptr));
    SetMainDatabase(database_.get());
    ASSERT_TRUE(WriteFileBytes(Existing(), "the user's own"));
  }
  void TearDown() override { SetMainDatabase(nullptr); }

  std::string Product() const { return temp_.Path() + "product\\"; }
  std::string Existing() const { return temp_.Path() + "existing.txt"; }

  // A run of "App" that makes a folder, writes a file into it and replaces
  // an existing one, recording as it goes; the journal object goes away
  // without End, as it does when its process dies.
  void RunThatDies(const std::string& tail) {
    TInstallActions list;
    std::optional<RunJournal> journal(std::in_place);
    ASSERT_TRUE(journal->Begin("App", work_));
    AddFolderChain(list, Product(), true);
    ASSERT_NE(AddAbsentFile(list, Product() + "app.exe", {}), nullptr);
    ASSERT_TRUE(WriteFileBytes(Product() + "app.exe", "installed"));
    ASSERT_NE(AddFile(list, Existing(), {}, true), nullptr);
    ASSERT_TRUE(WriteFileBytes(Existing(), "replaced"));
    journal->Record(list);
    journal.reset();
    std::string text = ReadFileBytes(work_ + "RunJournal");
    ASSERT_TRUE(WriteFileBytes(work_ + "RunJournal", text + tail));
  }

  test::RegistrySandbox registry_{"RunJournal"};
  test::TempFolder temp_;
  std::string work_;
  std::unique_ptr<TcvMainDatabase> database_;
};

TEST_F(RunJournalTest, ARunThatDiedIsUndoneByTheNextWhateverItsLastWordsWere) {
  for (const std::string tail : {"", "<file FileName=\"C:\\half", "<folder Folder=\"C:\\x\"/><fi",
                                 "<reg Key=\"HKCU\\a\" OldValue=\"line one\r\nline tw"}) {
    RunThatDies(tail);
    ASSERT_EQ(RegReadString(kRuns, "App", ""), work_ + "RunJournal");
    std::vector<std::string> handed;
    RecoverInterruptedRun("Other", [&](const std::string& folder) { handed.push_back(folder); });
    EXPECT_TRUE(PathExists(Product() + "app.exe")) << "another product's record";

    RecoverInterruptedRun("App", [&](const std::string& folder) { handed.push_back(folder); });
    EXPECT_FALSE(PathExists(Product())) << tail;
    EXPECT_EQ(ReadFileBytes(Existing()), "the user's own") << tail;
    EXPECT_FALSE(PathExists(work_)) << "the dead run's work folder";
    EXPECT_FALSE(RegKeyExists("HKCU\\Software\\Corvane")) << "the record is forgotten";
    EXPECT_EQ(handed, (std::vector<std::string>{temp_.Path(), Product()}));
    ASSERT_TRUE(CreateDirectoryA(work_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(database_->TempBackupPath.c_str(), nullptr));
  }
}

TEST_F(RunJournalTest, ARunStillGoingOrEndedIsLeftAlone) {
  TInstallActions list;
  RunJournal journal;
  ASSERT_TRUE(journal.Begin("App", work_));
  ASSERT_NE(AddAbsentFile(list, Existing() + ".new", {}), nullptr);
  ASSERT_TRUE(WriteFileBytes(Existing() + ".new", "installed"));
  journal.Record(list);
  RecoverInterruptedRun("App", [](const std::string&) { ADD_FAILURE() << "a live run was recovered"; });
  EXPECT_TRUE(PathExists(Existing() + ".new"));
  EXPECT_TRUE(PathExists(work_ + "RunJournal"));

  journal.End();
  EXPECT_FALSE(PathExists(work_ + "RunJournal"));
  EXPECT_FALSE(RegKeyExists("HKCU\\Software\\Corvane"));
  RecoverInterruptedRun("App", [](const std::string&) { ADD_FAILURE() << "an ended run was recovered"; });
  EXPECT_TRUE(PathExists(Existing() + ".new"));
  EXPECT_FALSE(RunJournal().Begin("", work_)) << "a product without an ID has no record to be found by";
}

TEST_F(RunJournalTest, AnActionChangedAfterItsRecordIsWrittenAgainInItsPlace) {
  TInstallActions list;
  std::optional<RunJournal> journal(std::in_place);
  ASSERT_TRUE(journal->Begin("App", work_));
  const auto add = [&](const char* name) -> TInstallFile& {
    auto& file = AddAction<TInstallFile>(list);
    file.FileName = temp_.Path() + name;
    journal->Record(list);
    return file;
  };
  add("first.ttf");
  TInstallFile& font = add("font.ttf");
  font.FontName = "Test Sans (TrueType)";
  journal->Amend(list);
  add("after.ttf");
  journal.reset();
  const std::string text = ReadFileBytes(work_ + "RunJournal");
  const std::size_t first = text.find("first.ttf"), named = text.find("Test Sans"),
                    after = text.find("after.ttf");
  EXPECT_EQ(text.find("font.ttf"), text.rfind("font.ttf")) << "one line for the font\n" << text;
  ASSERT_NE(named, std::string::npos) << text;
  EXPECT_LT(first, named);
  EXPECT_LT(named, after);
  RegDeleteValuePath(kRuns, "App");
}

}  // namespace
}  // namespace cv
