// Package files read by the engine: the end-of-file header and its size
// check, header variables, the resume copy, asking the wizard for a missing
// package, and a package's own database.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "database/main_database.h"
#include "database/packages.h"
#include "database/variable_access.h"
#include "dialog_watcher.h"
#include "engine/package_database.h"
#include "engine/package_header.h"
#include "engine/run_state.h"
#include "engine/win/package_files.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"
#include "recording_operations.h"
#include "temp_folder.h"

namespace cv {
namespace {

constexpr char kEngineBytes[] = "MZ pretend engine program\x01\x02\x03";

// A package file: the engine (for a main package), some cabinet bytes, the
// header, the marker and the header variables.
std::string PackageBytes(bool withEngine, std::int32_t flags, const std::string& variables,
                         std::int64_t sizeAdjustment = 0) {
  const std::string engine = withEngine ? std::string(kEngineBytes) : std::string();
  std::string bytes = engine + std::string(5000, '\xA5');
  PackageHeader header;
  header.EngineSize = static_cast<std::uint32_t>(engine.size());
  header.PackageSize = static_cast<std::uint32_t>(bytes.size() + kPackageHeaderSize +
                                                  kPackageEndMarker.size() + sizeAdjustment);
  header.Flags = flags;
  header.PresetupSize = 123456;
  header.DataSize = 7890123456LL;
  std::array<unsigned char, kPackageHeaderSize> record{};
  EncodePackageHeader(header, record.data());
  bytes.append(reinterpret_cast<const char*>(record.data()), record.size());
  bytes += kPackageEndMarker;
  return bytes + variables;
}

class PackageFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cv::Run() = RunState{};
    cv::Run().WorkFolder = work_.Path();
    database_ = TcvMainDatabase::New();
    SetMainDatabase(database_.get());
  }
  void TearDown() override {
    SetMessageHandlers({});
    SetMainDatabase(nullptr);
    cv::Run() = RunState{};
  }

  TcvPackage& AddPackage(const std::string& path, bool main) {
    auto package = TcvPackage::New(database_->Packages.get());
    package->FullFileName = path;
    package->Main = main;
    TcvPackage& added = *package;
    database_->Packages->Add(std::move(package));
    return added;
  }

  test::TempFolder place_;  // where the setup files lie
  test::TempFolder work_;   // the run's work folder
  std::unique_ptr<TcvMainDatabase> database_;
  test::RecordingOperations operations_;
};

TEST_F(PackageFilesTest, MainPackageTakesOverItsHeaderAndLeavesTheBareEngineForResuming) {
  const std::string setup = place_.Path() + "My Setup.exe";
  ASSERT_TRUE(test::WriteFileBytes(
      setup, PackageBytes(true, 5,
                          "<variables><var name=\"AppID\" value=\"Demo\"/>"
                          "<var name=\"Edition\" value=\"Pro\"/></variables>")));
  cv::Run().SetupFileName = setup;
  TcvPackage& package = AddPackage(setup, true);

  ASSERT_TRUE(ReadPackageHeader(package, operations_));
  EXPECT_EQ(package.FullFileName, setup);
  EXPECT_EQ(package.FileName, "My Setup");
  EXPECT_EQ(package.TempPath, work_.Path() + "My Setup\\");
  EXPECT_EQ(package.Flags, 5);
  EXPECT_EQ(package.PresetupSize, 123456.0);
  EXPECT_EQ(package.DataSize, 7890123456.0);
  ASSERT_EQ(package.HeaderVariables().Count(), 2);
  EXPECT_EQ(package.HeaderVariables().Variable(1)->Name, "Edition");
  EXPECT_EQ(package.HeaderVariables().Variable(1)->Value, "Pro");
  EXPECT_EQ(test::ReadFileBytes(work_.Path() + "Resume.exe"), std::string(kEngineBytes));
}

TEST_F(PackageFilesTest, OneByteMoreOrLessIsACorruptedPackage) {
  for (const int change : {-1, +1}) {
    std::string bytes = PackageBytes(false, 0, "<variables/>");
    // Truncating inside the cabinets or extending them keeps the trailer.
    if (change < 0) {
      bytes.erase(10, 1);
    } else {
      bytes.insert(10, 1, 'x');
    }
    const std::string file = place_.Path() + "extra.cvp";
    ASSERT_TRUE(test::WriteFileBytes(file, bytes));
    TcvPackage& package = AddPackage(file, false);
    test::DialogWatcher watcher;
    EXPECT_FALSE(ReadPackageHeader(package, operations_)) << change;
    ASSERT_TRUE(watcher.WaitForCount(1, 10000));
    EXPECT_EQ(watcher.Seen()[0].Caption, "Invalid package");
    EXPECT_EQ(watcher.Seen()[0].Text, "Invalid package size!\r\rPackage \"" + file +
                                          "\" has been corrupted, installation impossible.");
    EXPECT_TRUE(package.TempPath.empty());
  }
}

TEST_F(PackageFilesTest, FilesWithoutAHeaderBeforeTheirMarkerAreCorrupted) {
  for (const std::string& bytes : {std::string(), std::string("CVPE"), std::string("CVPEND"),
                                  std::string(40, 'a') + "cvpend",
                                  std::string(20, '\0') + "CVPEND"}) {
    const std::string file = place_.Path() + "bad.cvp";
    ASSERT_TRUE(test::WriteFileBytes(file, bytes));
    TcvPackage& package = AddPackage(file, false);
    test::DialogWatcher watcher;
    EXPECT_FALSE(ReadPackageHeader(package, operations_)) << bytes.size();
    ASSERT_TRUE(watcher.WaitForCount(1, 10000));
    EXPECT_EQ(watcher.Seen()[0].Caption, "Invalid package");
  }
}

TEST_F(PackageFilesTest, HeaderVariablesThatDoNotParseAreIgnoredAndAnEmptyTrailerIsFine) {
  const std::string file = place_.Path() + "loose.cvp";
  ASSERT_TRUE(test::WriteFileBytes(file, PackageBytes(false, 0, "<variables><var name=\"A\"")));
  TcvPackage& package = AddPackage(file, false);
  EXPECT_TRUE(ReadPackageHeader(package, operations_));

  ASSERT_TRUE(test::WriteFileBytes(file, PackageBytes(false, 2, "")));
  TcvPackage& bare = AddPackage(file, false);
  EXPECT_TRUE(ReadPackageHeader(bare, operations_));
  EXPECT_EQ(bare.Flags, 2);
  EXPECT_EQ(bare.HeaderVariables().Count(), 0);
  // Not the main package: no resume copy.
  EXPECT_FALSE(test::PathExists(work_.Path() + "Resume.exe"));
}

// The wizard's part in finding a missing package: it answers EV_GETPACKAGE.
class WizardStandIn {
 public:
  explicit WizardStandIn(std::vector<std::string> answers) : answers_(std::move(answers)) {
    MessageHandlers handlers;
    handlers.Command = [this](std::int32_t, std::int32_t id, std::int32_t in, std::int32_t out,
                              std::int32_t& result) {
      if (id != EV_GETPACKAGE) return false;
      asked_.push_back(GetStr(in, 0) + "|" + GetStr(in, 1));
      if (asked_.size() > answers_.size()) {
        result = 0;
      } else {
        SetCount(out, 1);
        SetStr(out, 0, answers_[asked_.size() - 1]);
        result = 1;
      }
      return true;
    };
    SetMessageHandlers(handlers);
  }
  const std::vector<std::string>& Asked() const { return asked_; }

 private:
  std::vector<std::string> answers_;
  std::vector<std::string> asked_;
};

TEST_F(PackageFilesTest, AMissingPackageIsLookedForWhereTheWizardSays) {
  const std::string elsewhere = place_.Path() + "disk2";
  CreateDirectoryA(elsewhere.c_str(), nullptr);
  ASSERT_TRUE(test::WriteFileBytes(elsewhere + "\\extra.cvp", PackageBytes(false, 0, "")));
  WizardStandIn wizard({place_.Path() + "nowhere", elsewhere});
  TcvPackage& package = AddPackage(place_.Path() + "extra.cvp", false);

  ASSERT_TRUE(ReadPackageHeader(package, operations_));
  EXPECT_EQ(package.FullFileName, elsewhere + "\\extra.cvp");
  ASSERT_EQ(wizard.Asked().size(), 2u);
  EXPECT_EQ(wizard.Asked()[0], "extra.cvp|" + place_.Path());
  EXPECT_EQ(wizard.Asked()[1], "extra.cvp|" + place_.Path() + "nowhere\\");
  EXPECT_FALSE(cv::Run().Cancelled);
}

TEST_F(PackageFilesTest, WhenTheWizardGivesUpTheRunIsCancelled) {
  WizardStandIn wizard({});
  TcvPackage& package = AddPackage(place_.Path() + "missing.cvp", false);
  test::DialogWatcher watcher;
  EXPECT_FALSE(ReadPackageHeader(package, operations_));
  ASSERT_TRUE(watcher.WaitForCount(1, 10000));
  EXPECT_EQ(watcher.Seen()[0].Caption, "File not found");
  EXPECT_TRUE(cv::Run().Cancelled);
  EXPECT_EQ(wizard.Asked().size(), 1u);
}

TEST_F(PackageFilesTest, APackageDatabaseIsMergedIntoThePackage) {
  const std::string setup = place_.Path() + "setup.exe";
  ASSERT_TRUE(test::WriteFileBytes(setup, PackageBytes(true, 1, "")));
  cv::Run().SetupFileName = setup;
  TcvPackage& package = AddPackage(setup, true);
  ASSERT_TRUE(ReadPackageHeader(package, operations_));
  CreateDirectoryA(package.TempPath.c_str(), nullptr);
  std::string text =
      "<package id=\"setup\"><components><component id=\"Main\" name=\"Program\"/></components>"
      "<variables><var name=\"Edition\" value=\"Pro\"/></variables>"
      "<fileinfos><fileinfo name=\"app.exe\" version=\"1.2.3.4\" size=\"42\"/></fileinfos>"
      "</package>";
  EncipherDatabaseBytes(text);
  ASSERT_TRUE(test::WriteFileBytes(package.TempPath + "packagedb", text));

  ASSERT_TRUE(LoadPackageDatabase(package));
  EXPECT_EQ(package.ID, "setup");
  EXPECT_EQ(package.Flags, 1) << "what the header said stays";
  EXPECT_EQ(package.FullFileName, setup);
  ASSERT_EQ(package.Components->Count(), 1);
  ASSERT_NE(package.FileInfos->FindByName("APP.EXE"), nullptr);
  EXPECT_EQ(package.FileInfos->FindByName("app.exe")->Size, 42);
  EXPECT_EQ(package.Variables->FindParam("Edition")->Value, "Pro");
  EXPECT_EQ(package.Variables->FindParam("Presetup")->Value, package.TempPath + "presetup");
  EXPECT_EQ(package.Variables->FindParam("PackageFileName")->Value, setup);
  EXPECT_TRUE(GetFileAttributesA((package.TempPath + "presetup").c_str()) &
              FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(PackageFilesTest, AnEmptyOrUndecipherablePackageDatabaseFailsToLoad) {
  TcvPackage& package = AddPackage(place_.Path() + "x.cvp", false);
  package.TempPath = work_.Path();
  ASSERT_TRUE(test::WriteFileBytes(work_.Path() + "packagedb", ""));
  EXPECT_THROW(LoadPackageDatabase(package), std::exception);
  // Plain text is deciphered into noise.
  ASSERT_TRUE(test::WriteFileBytes(work_.Path() + "packagedb", "<package id=\"x\"/>"));
  EXPECT_THROW(LoadPackageDatabase(package), std::exception);
}

}  // namespace
}  // namespace cv
