// The font step with real TrueType files from the system's font package: the
// Fonts key (in the test's registry sandbox), the fonts folder (a folder of
// the test's own) and what a rollback leaves behind.

#include "install/win/font_step.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "database/main_database.h"
#include "dialog_watcher.h"
#include "install/win/action_list.h"
#include "install/win/installed_file_services.h"
#include "item_events.h"
#include "platform/win/registry_path.h"
#include "registry_sandbox.h"
#include "same_bytes.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::PathExists;
using test::ReadFileBytes;
using test::SameBytes;
using test::TempFolder;
using test::WriteFileBytes;

// The Debian package fonts-dejavu-core, seen through Wine's drive Z:.
const std::string kDejaVu = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\";
constexpr char kFontName[] = "DejaVu Sans Test";
constexpr char kListedName[] = "DejaVu Sans Test (TrueType)";

void SetWriteTime(const std::string& path, WORD year) {
  SYSTEMTIME time = {};
  time.wYear = year;
  time.wMonth = 6;
  time.wDay = 1;
  FILETIME stamp;
  SystemTimeToFileTime(&time, &stamp);
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  SetFileTime(file, nullptr, nullptr, &stamp);
  CloseHandle(file);
}

class FontStepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    database_ = TcvMainDatabase::New();
    database_->TempBackupPath = backups_.Path();
    SetMainDatabase(database_.get());
    sans_ = ReadFileBytes(kDejaVu + "DejaVuSans.ttf");
    mono_ = ReadFileBytes(kDejaVu + "DejaVuSansMono.ttf");
    ASSERT_FALSE(sans_.empty()) << "fonts-dejavu-core is not installed";
    ASSERT_FALSE(mono_.empty());
  }
  void TearDown() override {
    RollbackAll(list_);
    SetMainDatabase(nullptr);
  }

  // What the copy step leaves for this step: the font in the temporary
  // fonts folder, its destination and its name.
  TInstallFile& Unpacked(const std::string& fileName, const std::string& bytes, TcvFlags flags = {},
                         WORD year = 2010) {
    auto& file = AddAction<TInstallFile>(list_);
    file.FileName = fonts_.Path() + fileName;
    file.TmpFileName = unpacked_.Path() + fileName;
    file.Flags = flags;
    file.Flags.Include(TcvFlag::reg_font);
    file.FontName = kFontName;
    EXPECT_TRUE(WriteFileBytes(file.TmpFileName, bytes));
    SetWriteTime(file.TmpFileName, year);
    return file;
  }

  bool Register(bool repair = false) { return RegisterFonts(list_, {fonts_.Path(), repair}); }

  static std::string Listed(const std::string& name) {
    return RegReadString(FontsRegistryKey(), name, "<none>");
  }

  test::RegistrySandbox sandbox_{"FontStep"};
  TempFolder fonts_;
  TempFolder unpacked_;
  TempFolder backups_;
  TempFolder elsewhere_;
  std::unique_ptr<TcvMainDatabase> database_;
  TInstallActions list_;
  std::string sans_;
  std::string mono_;
};

TEST_F(FontStepTest, NewTrueTypeFontIsPlacedLoadedListedAndRolledBack) {
  TInstallFile& unpacked = Unpacked("DejaVuTest.ttf", sans_);
  const std::string target = fonts_.Path() + "DejaVuTest.ttf";
  ASSERT_TRUE(Register());

  EXPECT_TRUE(SameBytes(ReadFileBytes(target), sans_));
  // In the fonts folder the value is the bare file name.
  EXPECT_EQ(Listed(kListedName), "DejaVuTest.ttf");
  EXPECT_EQ(Listed(kFontName), "<none>");

  ASSERT_EQ(list_.Count(), 2);
  EXPECT_FALSE(unpacked.Log);
  const auto* installed = dynamic_cast<TInstallFile*>(list_.Action(1));
  ASSERT_NE(installed, nullptr);
  EXPECT_EQ(installed->FileName, target);
  EXPECT_EQ(installed->FontName, kListedName);
  EXPECT_TRUE(installed->Log);
  EXPECT_FALSE(installed->Existed);
  EXPECT_TRUE(installed->Flags == TcvFlags{TcvFlag::reg_font});

  RollbackAll(list_);
  EXPECT_FALSE(PathExists(target));
  EXPECT_EQ(Listed(kListedName), "<none>");
  EXPECT_FALSE(PathExists(unpacked_.Path() + "DejaVuTest.ttf"));
}

TEST_F(FontStepTest, ASharedFontIsCountedWhereItIsPutOrKept) {
  constexpr char kSharedDlls[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
  const std::string unpackedFor = fonts_.Path() + "DejaVuTest.ttf";
  const std::string listedElsewhere = elsewhere_.Path() + "Listed.ttf";
  struct Case {
    const char* What;
    WORD ListedYear;  // 0: no font of the name is listed
    std::string CountedPath;
    DWORD Count;  // a font there before counts 2, as any shared file
  };
  for (const Case& c : {Case{"new", 0, unpackedFor, 1}, Case{"kept where listed", 2030, listedElsewhere, 2},
                        Case{"replaced where listed", 2001, listedElsewhere, 2}}) {
    if (c.ListedYear != 0) {
      ASSERT_TRUE(WriteFileBytes(listedElsewhere, sans_));
      SetWriteTime(listedElsewhere, c.ListedYear);
      ASSERT_TRUE(RegWriteString(FontsRegistryKey(), kListedName, listedElsewhere));
    }
    Unpacked("DejaVuTest.ttf", sans_, TcvFlags{TcvFlag::shared});
    ASSERT_TRUE(Register()) << c.What;
    EXPECT_EQ(RegReadDword(kSharedDlls, c.CountedPath, 0), c.Count) << c.What;
    EXPECT_EQ(RegValueExists(kSharedDlls, unpackedFor), c.CountedPath == unpackedFor) << c.What;
    // Logged by name where it is, so that its last user's uninstaller takes
    // the listing away with the file.
    std::string logged = "<not logged>";
    for (int i = 0; i < list_.Count(); ++i) {
      const auto* file = dynamic_cast<const TInstallFile*>(list_.Action(i));
      if (file && file->Log && file->FileName == c.CountedPath) logged = file->FontName;
    }
    EXPECT_EQ(logged, kListedName) << c.What;
    RollbackAll(list_);
    EXPECT_FALSE(RegValueExists(kSharedDlls, c.CountedPath)) << c.What << ": the count outlived the rollback";
    RegDeleteValuePath(FontsRegistryKey(), kListedName);
    DeleteFileA(listedElsewhere.c_str());
  }
}

TEST_F(FontStepTest, NameRegisteredForAnotherFileReplacesThatFile) {
  // Registered with its full path, outside the fonts folder, older.
  const std::string registered = elsewhere_.Path() + "OldSans.ttf";
  ASSERT_TRUE(WriteFileBytes(registered, mono_));
  SetWriteTime(registered, 2001);
  ASSERT_TRUE(RegWriteString(FontsRegistryKey(), kListedName, registered));
  Unpacked("DejaVuTest.ttf", sans_, TcvFlags{TcvFlag::dont_log});
  ASSERT_TRUE(Register());

  EXPECT_TRUE(SameBytes(ReadFileBytes(registered), sans_));
  EXPECT_FALSE(PathExists(fonts_.Path() + "DejaVuTest.ttf"));
  EXPECT_EQ(Listed(kListedName), registered);
  const auto* installed = dynamic_cast<TInstallFile*>(list_.Action(1));
  ASSERT_NE(installed, nullptr);
  EXPECT_TRUE(installed->Existed);
  EXPECT_FALSE(installed->Log);  // the item's dont_log

  // The earlier font comes back, still listed.
  RollbackAll(list_);
  EXPECT_TRUE(SameBytes(ReadFileBytes(registered), mono_));
  EXPECT_EQ(Listed(kListedName), registered);
  RemoveFontFile(registered);
}

TEST_F(FontStepTest, FileNameOfAnUnlistedFontGetsAFreeNameAndTheOtherFontStays) {
  const std::string other = fonts_.Path() + "DejaVuTest.ttf";
  ASSERT_TRUE(WriteFileBytes(other, mono_));
  Unpacked("DejaVuTest.ttf", sans_);
  ASSERT_TRUE(Register());

  EXPECT_TRUE(SameBytes(ReadFileBytes(fonts_.Path() + "DejaVuT0.ttf"), sans_));
  EXPECT_EQ(Listed(kListedName), "DejaVuT0.ttf");
  EXPECT_TRUE(SameBytes(ReadFileBytes(other), mono_));

  RollbackAll(list_);
  EXPECT_FALSE(PathExists(fonts_.Path() + "DejaVuT0.ttf"));
  EXPECT_EQ(Listed(kListedName), "<none>");
  EXPECT_TRUE(SameBytes(ReadFileBytes(other), mono_));
}

TEST_F(FontStepTest, EachFontIsAnnouncedAndASkippedOneIsNeitherInstalledNorLogged) {
  // Another product's font of the same file name, which the skipped font's
  // log entry would have had the uninstaller remove.
  const std::string other = fonts_.Path() + "DejaVuTest.ttf";
  ASSERT_TRUE(WriteFileBytes(other, mono_));
  TInstallFile& skipped = Unpacked("DejaVuTest.ttf", sans_);
  skipped.Log = true;
  TInstallFile& second = Unpacked("Second.ttf", sans_);
  second.FontName = "Second";
  const std::string secondTarget = second.FileName;

  test::ItemEvents events("DejaVuTest.ttf");
  ASSERT_TRUE(Register());
  EXPECT_EQ(events.seen, (std::vector<std::string>{"EV_BEFOREPROCESSITEM 5," + other + ",0",
                                                   "EV_BEFOREPROCESSITEM 5," + secondTarget + ",0",
                                                   "EV_AFTERPROCESSITEM 5," + secondTarget + ",0"}));
  EXPECT_FALSE(skipped.Log);
  EXPECT_EQ(Listed(kListedName), "<none>");
  EXPECT_EQ(Listed("Second (TrueType)"), "Second.ttf");
  EXPECT_FALSE(PathExists(fonts_.Path() + "DejaVuT0.ttf"));

  RollbackAll(list_);
  EXPECT_TRUE(SameBytes(ReadFileBytes(other), mono_));
  EXPECT_FALSE(PathExists(secondTarget));
}

TEST(FreeFontFileNameTest, CutsTheBaseNameToMakeRoomForTheCounter) {
  TempFolder folder;
  EXPECT_EQ(FreeFontFileName(folder.Path(), "ab.ttf"), "ab0.ttf");
  EXPECT_EQ(FreeFontFileName(folder.Path(), "LongFontName.ttf"), "LongFon0.ttf");
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(WriteFileBytes(folder.Path() + "LongFon" + std::to_string(i) + ".ttf", "x"));
  }
  EXPECT_EQ(FreeFontFileName(folder.Path(), "LongFontName.ttf"), "LongFo10.ttf");
  EXPECT_EQ(FreeFontFileName(folder.Path(), "NoExtension"), "NoExten0");
}

// When the registered font already there is left in place.
struct KeepCase {
  const char* Name;
  TcvFlags Flags;
  WORD ExistingYear;  // the new font is from 2010
  bool SameBytes;
  bool Repair;
  bool Replaced;
};

void PrintTo(const KeepCase& c, std::ostream* out) { *out << c.Name; }

class FontKeepTest : public FontStepTest, public ::testing::WithParamInterface<KeepCase> {};

TEST_P(FontKeepTest, ReplacesOnlyWhatTheRulesAllow) {
  const KeepCase& c = GetParam();
  const std::string existing = fonts_.Path() + "Existing.ttf";
  const std::string before = c.SameBytes ? sans_ : mono_;
  ASSERT_TRUE(WriteFileBytes(existing, before));
  SetWriteTime(existing, c.ExistingYear);
  ASSERT_TRUE(RegWriteString(FontsRegistryKey(), kListedName, "Existing.ttf"));
  TInstallFile& unpacked = Unpacked("DejaVuTest.ttf", sans_, c.Flags);
  ASSERT_TRUE(Register(c.Repair));

  EXPECT_EQ(list_.Count(), c.Replaced ? 2 : 1);
  EXPECT_FALSE(unpacked.Log);
  EXPECT_TRUE(SameBytes(ReadFileBytes(existing), c.Replaced ? sans_ : before));
  EXPECT_EQ(Listed(kListedName), "Existing.ttf");
  EXPECT_FALSE(PathExists(fonts_.Path() + "DejaVuTest.ttf"));

  // Either way a rollback leaves the font that was there.
  RollbackAll(list_);
  EXPECT_TRUE(SameBytes(ReadFileBytes(existing), before));
  EXPECT_EQ(Listed(kListedName), "Existing.ttf");
  RemoveFontFile(existing);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FontKeepTest,
    ::testing::Values(KeepCase{"Older", {}, 2001, false, false, true},
                      KeepCase{"Newer", {}, 2020, false, false, false},
                      KeepCase{"NewerNoVersion", {TcvFlag::no_version}, 2020, false, false, true},
                      KeepCase{"OlderDontOverwrite", {TcvFlag::dont_overwrite}, 2001, false, false,
                               false},
                      KeepCase{"Same", {}, 2010, true, false, false},
                      KeepCase{"SameRepair", {}, 2010, true, true, true},
                      KeepCase{"SameDateOtherSize", {}, 2010, false, false, true}),
    [](const ::testing::TestParamInfo<KeepCase>& param) { return std::string(param.param.Name); });

TEST_F(FontStepTest, FailureAfterTheBackupKeepsTheRestoredFont) {
  const std::string existing = fonts_.Path() + "Existing.ttf";
  ASSERT_TRUE(WriteFileBytes(existing, mono_));
  SetWriteTime(existing, 2001);
  ASSERT_TRUE(RegWriteString(FontsRegistryKey(), kListedName, "Existing.ttf"));
  // Not a font: it cannot be loaded once it is in place.
  Unpacked("DejaVuTest.ttf", std::string(4096, 'x'));
  Unpacked("Second.ttf", sans_).FontName = "Second Font";
  test::DialogWatcher watcher;
  EXPECT_FALSE(Register());
  ASSERT_EQ(watcher.Seen().size(), 1u);
  EXPECT_EQ(watcher.Seen()[0].Caption, "Error");
  EXPECT_EQ(watcher.Seen()[0].Text, "Cannot register font \"DejaVu Sans Test (TrueType)\".");
  // The step ended at the failure.
  EXPECT_FALSE(PathExists(fonts_.Path() + "Second.ttf"));

  RollbackAll(list_);
  EXPECT_TRUE(SameBytes(ReadFileBytes(existing), mono_));
  EXPECT_EQ(Listed(kListedName), "Existing.ttf");
  RemoveFontFile(existing);
}

}  // namespace
}  // namespace cv
