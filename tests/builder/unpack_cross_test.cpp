// What cvbuild writes, read back by the engine's own unpack core: both
// cabinets of a setup file, plain, scrambled and password-protected, must
// give back exactly the files that went in.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

#include "builder.h"
#include "cab_writer.h"
#include "output_sink.h"
#include "builder_test_support.h"
#include "engine/presetup_rules.h"
#include "unpack_core_support.h"

namespace cv::build {
namespace {
namespace fs = std::filesystem;

const char* const kProject = R"(<cv2project version="2.5">
	<build presetup="pics\progress.bmp"/>
	<variables><var name="AppID" value="CrossCheck"/></variables>
	<components>
		<component id="Core">
			<files>
				<file src="bin\random.bin" dst="random.bin"/>
				<file src="bin\text.txt" dst="text.txt"/>
				<file src="bin\small.ini" dst="small.ini"/>
			</files>
		</component>
	</components>
</cv2project>
)";

std::string Text(std::size_t size) {
  std::string text;
  for (int line = 0; text.size() < size; ++line) text += "line " + std::to_string(line) + " of the text\r\n";
  text.resize(size);
  return text;
}

class UnpackCrossTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"project/pics", "project/bin", "out"}) {
      fs::create_directories(scratch_.File(folder));
    }
    Write("project/project.xml", kProject);
    Write("project/pics/progress.bmp", "BMprogress-picture");
    // Several data blocks each, one incompressible, one compressible.
    inputs_ = {{"data/Core/bin/random.bin", test::RandomBytes(150000, 31)},
               {"data/Core/bin/text.txt", Text(120000)},
               {"data/Core/bin/small.ini", "[a]\r\nb=c\r\n"}};
    for (const auto& [name, bytes] : inputs_) Write("project/" + name.substr(10), bytes);
    test::WriteBytes(scratch_.File("engine.exe"), "MZ-engine-" + test::RandomBytes(5000, 32));
    options_ = test::ScratchBuildOptions(scratch_);
  }

  void Write(const std::string& name, const std::string& bytes) {
    test::WriteBytes(scratch_.File(name), bytes);
  }

  // Builds, then extracts one cabinet of the setup file with the unpack core.
  test::CoreExtractionResult Extract(test::CoreExtractionOptions extraction,
                                     std::map<std::string, std::string>& files) {
    summary_ = BuildSetup(options_);
    const std::string folder = scratch_.File("extracted" + std::to_string(++runs_));
    extraction.Scrambled = options_.Scramble;
    auto result = test::ExtractWithCore(options_.OutputPath, folder, extraction);
    files = fs::exists(folder) ? test::FolderFiles(folder) : std::map<std::string, std::string>{};
    return result;
  }

  // Builds, extracts the data cabinet and compares it with the inputs.
  void ExpectDataGivesBackTheInputs(const std::string& password = "") {
    test::CoreExtractionOptions extraction;
    extraction.CabinetIndex = 1;
    extraction.Password = password;
    std::map<std::string, std::string> files;
    EXPECT_EQ(Extract(extraction, files).Result, 1);
    EXPECT_EQ(files, inputs_);
  }

  test::ScratchFolder scratch_;
  BuildOptions options_;
  BuildSummary summary_;
  std::map<std::string, std::string> inputs_;
  int runs_ = 0;
};

TEST_F(UnpackCrossTest, PresetupCabinetAsTheEnginesPresetupExtractsIt) {
  for (const bool scramble : {false, true}) {
    SCOPED_TRACE(scramble ? "scrambled" : "plain");
    options_.Scramble = scramble;
    test::CoreExtractionOptions extraction;
    extraction.StopAtData = true;
    std::map<std::string, std::string> files;
    const auto result = Extract(extraction, files);
    EXPECT_EQ(result.Result, 1);
    for (const std::string& name : result.Names) EXPECT_FALSE(IsDataEntry(name)) << name;
    // The same files as the independent tool finds in the cabinet.
    if (!test::HaveProgram("cabextract")) continue;
    const std::string setup = test::ReadBytes(options_.OutputPath);
    bool ok = false;
    const auto independent = test::CabextractFiles(
        scratch_, test::CabinetAt(setup, summary_.Packages[0].Result.Cabinet0Offset,
                                  scramble ? kScrambleKey : 0),
        ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(files, independent);
    EXPECT_EQ(files["presetup.bmp"], "BMprogress-picture");
    for (const char* name : {"languages", "maindb", "packagedb"}) EXPECT_TRUE(files.count(name)) << name;
  }
}

TEST_F(UnpackCrossTest, PresetupStopsAtTheFirstDataEntry) {
  test::CoreExtractionOptions extraction;
  extraction.CabinetIndex = 1;
  extraction.StopAtData = true;
  std::map<std::string, std::string> files;
  const auto result = Extract(extraction, files);
  EXPECT_EQ(result.Result, 1);  // stopping is not a failure
  ASSERT_EQ(result.Names.size(), 1u);
  EXPECT_TRUE(IsDataEntry(result.Names[0]));
  EXPECT_TRUE(files.empty());
}

TEST_F(UnpackCrossTest, DataCabinetGivesBackTheInputs) {
  for (const CabCompression compression : {CabCompression::Mszip, CabCompression::Stored}) {
    for (const bool scramble : {false, true}) {
      SCOPED_TRACE(std::string(compression == CabCompression::Mszip ? "mszip " : "stored ") +
                   (scramble ? "scrambled" : "plain"));
      options_.Compression = compression;
      options_.Scramble = scramble;
      ExpectDataGivesBackTheInputs();
    }
  }
}

TEST_F(UnpackCrossTest, DataSpreadOverSeveralFoldersGivesBackTheInputs) {
  options_.MaxBlocksPerFolder = 5;  // each file gets its own folder
  ExpectDataGivesBackTheInputs();
}

TEST_F(UnpackCrossTest, PasswordProtectedDataDeciphersInTheDataHook) {
  options_.Password = "Open Sesame";
  for (const bool scramble : {false, true}) {
    SCOPED_TRACE(scramble ? "scrambled" : "plain");
    options_.Scramble = scramble;
    ExpectDataGivesBackTheInputs("Open Sesame");
    test::CoreExtractionOptions extraction;
    extraction.CabinetIndex = 1;
    std::map<std::string, std::string> files;
    // Another password, or none, fails the block checksums.
    for (const char* wrong : {"open sesame", ""}) {
      extraction.Password = wrong;
      EXPECT_EQ(Extract(extraction, files).Result, 0) << wrong;
      EXPECT_NE(files, inputs_) << wrong;
    }
    // Cabinet 0 stays readable without the password.
    test::CoreExtractionOptions presetup;
    presetup.StopAtData = true;
    EXPECT_EQ(Extract(presetup, files).Result, 1);
    EXPECT_TRUE(files.count("maindb"));
  }
}

// Data whose deflate stream holds matches of every length (3 to 258) at
// distances from 1 to nearly the whole window, many of them reaching back
// into the previous data block, between short runs of literals; then a long
// run of one byte and an incompressible stretch (stored deflate blocks).
std::string EveryMatchShape() {
  std::string data = test::RandomBytes(40000, 5);
  const std::size_t distances[] = {1, 2, 3, 4, 5, 7, 8, 9, 16, 31, 100, 1000, 4097, 20000, 32000};
  std::uint32_t seed = 100;
  for (std::size_t length = 3; length <= 258; length += length < 20 ? 1 : 7) {
    for (const std::size_t distance : distances) {
      data += test::RandomBytes(5, ++seed);  // ends the previous match
      const std::size_t from = data.size() - distance;
      for (std::size_t i = 0; i < length; ++i) data += data[from + i];
    }
  }
  data += std::string(100000, 'A');
  data += test::RandomBytes(70000, 6);
  return data;
}

TEST(UnpackCoreMszip, MatchesOfEveryShapeDecodeExactly) {
  test::ScratchFolder scratch;
  CabMember member;
  member.Name = "shapes.bin";
  member.Data = EveryMatchShape();
  member.Size = member.Data.size();
  // Each level makes other choices of matches and of block types.
  for (const int level : {1, 6, 9}) {
    SCOPED_TRACE("level " + std::to_string(level));
    CabOptions options;
    options.Compression = CabCompression::Mszip;
    options.Level = level;
    MemorySink sink;
    WriteCabinet({member}, options, sink);
    const std::string cabinet = scratch.File("shapes" + std::to_string(level) + ".cab");
    test::WriteBytes(cabinet, sink.Bytes());
    const std::string folder = scratch.File("out" + std::to_string(level));
    EXPECT_EQ(test::ExtractWithCore(cabinet, folder, {}).Result, 1);
    const auto files = test::FolderFiles(folder);
    ASSERT_EQ(files.size(), 1u);
    // Compared without printing a megabyte: where the first difference is.
    const std::string& got = files.begin()->second;
    const auto differs = std::mismatch(got.begin(), got.end(), member.Data.begin(), member.Data.end());
    EXPECT_EQ(got.size(), member.Data.size());
    EXPECT_EQ(differs.first - got.begin(), static_cast<std::ptrdiff_t>(got.size()))
        << "first difference at byte " << (differs.first - got.begin());
  }
}

}  // namespace
}  // namespace cv::build
