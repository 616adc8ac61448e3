// Whole builds through the library: the package layout, the databases the
// engine reads back, scrambling, the password, determinism and the errors.

#include "builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "build_error.h"
#include "builder_test_support.h"
#include "databases.h"
#include "database/main_database.h"
#include "engine/package_database.h"
#include "package_file.h"
#include "script/gost.h"
#include "script/package_password.h"

namespace cv::build {
namespace {
namespace fs = std::filesystem;

const char* const kProject = R"(<cv2project version="2.5">
	<build splash="pics\splash.bmp" splashtime="3" splashopacity="50" presetup="pics\progress.bmp"
	       presetupregion="pics\progress.rgn" noprogress="1"/>
	<variables>
		<var name="AppID" value="TestApp"/>
		<var name="AppName" value="Test Application"/>
		<var name="Secret" value="inside only"/>
		<var name="Shown" value="outside too" header="1"/>
		<var name="AppVersion" value="1.0" header="0"/>
	</variables>
	<packages>
		<package id="mainpkg" main="1">
			<plugins>
				<plugin id="Wizard" src="plugins\wizard.dll">
					<config><paramgroup name="Pages"><param name="First" value="Welcome"/></paramgroup></config>
				</plugin>
			</plugins>
			<variables><var name="PackageVar" value="p"/></variables>
		</package>
		<package id="extra" filename="extras"/>
	</packages>
	<components>
		<component id="Core" name="Core files" package="MainPkg" dst="%InstallPath%" condition="1">
			<files>
				<file src="bin\tool.dll" dst="tool.dll" flags="shared"/>
				<file src="bin\readme.txt" dst="readme.txt"/>
				<file src="docs\*.txt" dst="docs\*.txt"/>
				<file src="C:\Windows\external.txt" dst="x.txt" flags="external"/>
				<file src="old.txt" dst="old.txt" action="remove"/>
				<file src="newfolder\" dst="newfolder\"/>
			</files>
			<registry><reg key="HKCU\Software\Test" param="Path" value="%InstallPath%"/></registry>
		</component>
		<component id="Extras" package="extra">
			<files><file src="extra\big.bin" dst="big.bin"/></files>
		</component>
	</components>
	<features>
		<feature id="All" name="Everything"><components><component id="Core"/><component id="Extras"/></components></feature>
	</features>
	<languages>
		<language id="en" lngid="ENU" name="English" installname="English">
			<param name="Strings.1" value="One"/>
		</language>
	</languages>
</cv2project>
)";

class BuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(scratch_.File("project/pics"));
    fs::create_directories(scratch_.File("project/plugins"));
    fs::create_directories(scratch_.File("project/bin"));
    fs::create_directories(scratch_.File("project/docs/sub"));
    fs::create_directories(scratch_.File("project/extra"));
    fs::create_directories(scratch_.File("out"));
    Write("project/project.xml", kProject);
    Write("project/pics/splash.bmp", "BMsplash-picture");
    Write("project/pics/progress.bmp", "BMprogress");
    Write("project/pics/progress.rgn", std::string(48, '\x01'));
    Write("project/plugins/wizard.dll", test::TinyPeWithVersion(2, 0, 0, 1, false));
    Write("project/bin/tool.dll", test::TinyPeWithVersion(5, 6, 7, 8, true));
    Write("project/bin/readme.txt", "Read me.\r\n");
    Write("project/docs/b.txt", "bee");
    Write("project/docs/a.txt", "ay");
    Write("project/docs/skip.doc", "not matched");
    Write("project/docs/sub/c.TXT", "sea");
    Write("project/extra/big.bin", test::RandomBytes(200000, 5));
    engine_ = "MZ-engine-" + test::RandomBytes(3000, 9);
    Write("engine.exe", engine_);
    options_ = test::ScratchBuildOptions(scratch_);
  }

  void Write(const std::string& name, const std::string& bytes) {
    test::WriteBytes(scratch_.File(name), bytes);
  }

  std::string Read(const std::string& name) { return test::ReadBytes(scratch_.File(name)); }

  // The project with one text replaced, built; answers the input error's message.
  std::string InputErrorWith(const std::string& text, const std::string& replacement);

  // The files of cabinet `index` of a package file, as cabextract writes them.
  std::map<std::string, std::string> CabinetFiles(const BuiltPackage& package, int index,
                                                  std::uint8_t key = 0) {
    const std::string bytes = test::ReadBytes(package.Path);
    const std::uint64_t offset =
        index == 0 ? package.Result.Cabinet0Offset : package.Result.Cabinet1Offset;
    bool ok = false;
    auto files = test::CabextractFiles(scratch_, test::CabinetAt(bytes, offset, key), ok);
    EXPECT_TRUE(ok);
    return files;
  }

  test::ScratchFolder scratch_;
  std::string engine_;
  BuildOptions options_;
};

BuildError ErrorOf(const BuildOptions& options) {
  try {
    BuildSetup(options);
  } catch (const BuildError& error) {
    return error;
  }
  ADD_FAILURE() << "the build succeeded";
  return BuildError(BuildErrorKind::Usage, "");
}

TEST_F(BuilderTest, SetupFileLayout) {
  const BuildSummary summary = BuildSetup(options_);
  ASSERT_EQ(summary.Packages.size(), 2u);
  const std::string setup = Read("out/setup.exe");
  EXPECT_EQ(setup.substr(0, engine_.size()), engine_);
  const auto trailer = ParsePackageTrailer(setup, setup.size());
  ASSERT_TRUE(trailer);
  const PackageHeader& header = trailer->Header;
  EXPECT_EQ(header.EngineSize, engine_.size());
  EXPECT_EQ(header.PackageSize + trailer->Variables.size(), setup.size());
  EXPECT_EQ(setup.substr(header.PackageSize - 6, 6), "CVPEND");
  EXPECT_EQ(header.Flags, 2);  // no progress window, not scrambled
  EXPECT_EQ(summary.Packages[0].Result.Cabinet0Offset, engine_.size());
  // The engine finds the cabinets as the first two signatures.
  const auto hits = FindEmbeddedCabinets(summary.Packages[0].Path, 0, 3);
  ASSERT_GE(hits.size(), 2u);
  EXPECT_EQ(hits[0], summary.Packages[0].Result.Cabinet0Offset);
  EXPECT_EQ(hits[1], summary.Packages[0].Result.Cabinet1Offset);

  const auto presetup = CabinetFiles(summary.Packages[0], 0);
  std::int64_t presetupBytes = 0;
  for (const auto& [name, bytes] : presetup) presetupBytes += static_cast<std::int64_t>(bytes.size());
  EXPECT_EQ(header.PresetupSize, presetupBytes);
  EXPECT_TRUE(presetup.count("languages"));
  EXPECT_TRUE(presetup.count("maindb"));
  EXPECT_TRUE(presetup.count("packagedb"));
  EXPECT_EQ(presetup.at("presetup.bmp"), "BMprogress");
  EXPECT_EQ(presetup.at("presetup.rgn"), std::string(48, '\x01'));
  EXPECT_EQ(presetup.at("plugins/0/wizard.dll"), Read("project/plugins/wizard.dll"));
  EXPECT_EQ(presetup.at("splash.bmp"),
            std::string("BMsplash-picture") + std::string("\x03\0\0\0\x32\0\0\0", 8));
  EXPECT_EQ(presetup.size(), 7u);

  const auto data = CabinetFiles(summary.Packages[0], 1);
  const std::map<std::string, std::string> expected = {
      {"data/Core/bin/tool.dll", Read("project/bin/tool.dll")},
      {"data/Core/bin/readme.txt", "Read me.\r\n"},
      {"data/Core/docs/a.txt", "ay"},
      {"data/Core/docs/b.txt", "bee"},
      {"data/Core/docs/sub/c.TXT", "sea"}};
  EXPECT_EQ(data, expected);
  std::int64_t dataBytes = 0;
  for (const auto& [name, bytes] : data) dataBytes += static_cast<std::int64_t>(bytes.size());
  EXPECT_EQ(header.DataSize, dataBytes);
}

TEST_F(BuilderTest, CabinetMembersInPresetupOrder) {
  const BuildSummary summary = BuildSetup(options_);
  const std::string bytes = test::ReadBytes(summary.Packages[0].Path);
  const std::string cabinet = test::CabinetAt(bytes, summary.Packages[0].Result.Cabinet0Offset, 0);
  // Pictures come first so the splash shows before the progress window.
  const std::size_t splash = cabinet.find("splash.bmp");
  const std::size_t languages = cabinet.find("languages");
  const std::size_t plugin = cabinet.find("plugins\\0\\wizard.dll");
  EXPECT_LT(splash, languages);
  EXPECT_LT(languages, plugin);
  EXPECT_EQ(cabinet.find("data\\"), std::string::npos);
}

TEST_F(BuilderTest, FurtherPackageHasNoEngine) {
  const BuildSummary summary = BuildSetup(options_);
  const BuiltPackage& extra = summary.Packages[1];
  EXPECT_EQ(fs::path(extra.Path).filename(), "extras.cvp");
  const std::string bytes = test::ReadBytes(extra.Path);
  const auto trailer = ParsePackageTrailer(bytes, bytes.size());
  ASSERT_TRUE(trailer);
  EXPECT_EQ(trailer->Header.EngineSize, 0u);
  EXPECT_EQ(trailer->Header.PackageSize, bytes.size());  // no header variables
  EXPECT_EQ(extra.Result.Cabinet0Offset, 0u);
  const auto presetup = CabinetFiles(extra, 0);
  EXPECT_TRUE(presetup.count("packagedb"));
  EXPECT_FALSE(presetup.count("maindb"));
  EXPECT_FALSE(presetup.count("languages"));
  EXPECT_EQ(CabinetFiles(extra, 1).at("data/Extras/extra/big.bin"), Read("project/extra/big.bin"));
}

TEST_F(BuilderTest, FurtherPackageFileNameHasItsExtensionReplaced) {
  std::string project = kProject;
  const std::string plain = "filename=\"extras\"";
  project.replace(project.find(plain), plain.size(), "filename=\"extras.v2\"");
  Write("project/project.xml", project);
  const BuildSummary summary = BuildSetup(options_);
  ASSERT_EQ(summary.Packages.size(), 2u);
  EXPECT_EQ(fs::path(summary.Packages[1].Path).filename(), "extras.cvp");
  EXPECT_TRUE(fs::exists(scratch_.File("out/extras.cvp")));
}

std::string Deciphered(std::string bytes) {
  DecipherDatabaseBytes(bytes);
  return bytes;
}

std::string Decrypted(const std::map<std::string, std::string>& files, const std::string& name) {
  return Deciphered(files.at(name));
}

TEST_F(BuilderTest, MainDatabaseDecryptsIntoTheReducedProject) {
  options_.Password = "Open Sesame";
  const BuildSummary summary = BuildSetup(options_);
  const auto presetup = CabinetFiles(summary.Packages[0], 0);
  const std::string text = Decrypted(presetup, "maindb");
  auto database = TcvMainDatabase::New();
  database->LoadFromString(text, "cv2project");
  EXPECT_EQ(database->Version, "2.5");
  ASSERT_EQ(database->Components->Count(), 2);
  const TcvComponent& core = *database->Components->Component(0);
  EXPECT_EQ(core.ID(), "Core");
  EXPECT_EQ(core.Name, "Core files");
  EXPECT_EQ(core.Package, "setup");
  EXPECT_EQ(core.Condition, "1");
  const std::size_t coreBytes = Read("project/bin/tool.dll").size() + 10 + 2 + 3 + 3;
  EXPECT_EQ(core.Size, static_cast<std::int32_t>((coreBytes + 1023) / 1024));  // KiB, rounded up
  EXPECT_EQ(core.Files->Count(), 0);
  EXPECT_EQ(core.Registry->Count(), 0);
  EXPECT_EQ(core.Dst, "");
  // Referred to by the project's ID, named by the package's file everywhere.
  EXPECT_EQ(database->Components->Component(1)->Package, "extras");
  EXPECT_EQ(database->Components->Component(1)->Size, (200000 + 1023) / 1024);
  // Only the further package: the engine makes the main package itself.
  ASSERT_EQ(database->Packages->Count(), 1);
  EXPECT_EQ(database->Packages->Package(0)->ID, "extras");
  EXPECT_EQ(database->Packages->Package(0)->FileName, "extras");
  EXPECT_EQ(database->Features->Count(), 1);
  EXPECT_EQ(database->Languages->Count(), 0);
  EXPECT_EQ(database->Password, "");
  const TcvVariable* check = database->Variables->FindParam("PswCheckHash");
  ASSERT_NE(check, nullptr);
  EXPECT_TRUE(CheckPassword(check->Value, "Open Sesame"));
  EXPECT_FALSE(CheckPassword(check->Value, "open sesame"));
  ASSERT_NE(database->Variables->FindParam("Secret"), nullptr);
  // The database's own event variables come first once, not again from the file.
  int events = 0;
  for (int i = 0; i < database->Variables->Count(); ++i) {
    events += database->Variables->Variable(i)->Name == "EventParams";
  }
  EXPECT_EQ(events, 1);
  // Languages travel in their own file.
  auto languages = TcvLngTables::New();
  languages->LoadFromString(presetup.at("languages"), "languages");
  ASSERT_EQ(languages->Count(), 1);
  EXPECT_NE(languages->Find("ENU", ""), nullptr);
}

TEST_F(BuilderTest, PackageDatabaseHoldsTheFullComponents) {
  const BuildSummary summary = BuildSetup(options_);
  const auto presetup = CabinetFiles(summary.Packages[0], 0);
  const std::string encrypted = presetup.at("packagedb");
  EXPECT_EQ(encrypted.find("<package"), std::string::npos);  // enciphered
  auto package = TcvPackage::New();
  package->LoadFromString(Deciphered(encrypted), "package");
  EXPECT_EQ(package->ID, "setup");  // the setup file's name, not the project's ID
  EXPECT_EQ(package->FileName, "");  // left to the engine
  EXPECT_FALSE(package->Main);
  ASSERT_EQ(package->Components->Count(), 1);
  const TcvComponent& core = *package->Components->Component(0);
  EXPECT_EQ(core.Dst, "%InstallPath%");
  EXPECT_EQ(core.Files->Count(), 6);
  EXPECT_EQ(core.Registry->Count(), 1);
  ASSERT_EQ(package->FileInfos->Count(), 5);
  const TcvFileInfo* tool = package->FileInfos->FindByName("core\\BIN\\tool.dll");
  ASSERT_NE(tool, nullptr);
  EXPECT_EQ(tool->Version, "5.6.7.8");
  EXPECT_EQ(tool->Size, static_cast<std::int32_t>(Read("project/bin/tool.dll").size()));
  const TcvFileInfo* readme = package->FileInfos->FindByName("Core\\bin\\readme.txt");
  ASSERT_NE(readme, nullptr);
  EXPECT_EQ(readme->Version, "");
  EXPECT_EQ(readme->Size, 10);
  EXPECT_NE(package->FileInfos->FindByName("Core\\docs\\sub\\c.TXT"), nullptr);
  ASSERT_EQ(package->Plugins->Count(), 1);
  EXPECT_EQ(package->Plugins->Plugin(0)->ID, "Wizard");
  EXPECT_EQ(package->Plugins->Plugin(0)->Config->GetParam("pages", "first", ""), "Welcome");
  EXPECT_NE(package->Variables->FindParam("PackageVar"), nullptr);
}

TEST_F(BuilderTest, DatabaseKeyDependsOnTheLength) {
  const std::string text = "<package id=\"x\"/>";
  std::string encrypted = text;
  EncipherDatabaseBytes(encrypted);
  EXPECT_EQ(encrypted.size(), text.size());
  EXPECT_NE(encrypted, text);
  EXPECT_EQ(Deciphered(encrypted), text);
  // The same text one byte longer is keyed differently from its first block on.
  std::string longer = text + " ";
  EncipherDatabaseBytes(longer);
  EXPECT_NE(longer.substr(0, 8), encrypted.substr(0, 8));
}

TEST_F(BuilderTest, HeaderVariablesCarryTheIdentity) {
  BuildSetup(options_);
  const std::string setup = Read("out/setup.exe");
  const auto trailer = ParsePackageTrailer(setup, setup.size());
  ASSERT_TRUE(trailer);
  auto variables = TcvVariables::New();
  variables->LoadFromString(trailer->Variables, "variables");
  EXPECT_NE(variables->FindParam("AppID"), nullptr);
  EXPECT_NE(variables->FindParam("AppName"), nullptr);
  EXPECT_NE(variables->FindParam("Shown"), nullptr);
  EXPECT_EQ(variables->FindParam("AppVersion"), nullptr);  // header="0"
  EXPECT_EQ(variables->FindParam("Secret"), nullptr);
}

TEST_F(BuilderTest, ScrambledCabinetsExtractIdentically) {
  const BuildSummary plain = BuildSetup(options_);
  const auto plainPresetup = CabinetFiles(plain.Packages[0], 0);
  const auto plainData = CabinetFiles(plain.Packages[0], 1);
  options_.Scramble = true;
  const BuildSummary scrambled = BuildSetup(options_);
  const std::string bytes = Read("out/setup.exe");
  const auto trailer = ParsePackageTrailer(bytes, bytes.size());
  ASSERT_TRUE(trailer);
  EXPECT_EQ(trailer->Header.Flags, 3);
  EXPECT_EQ(bytes.find("MSCF"), std::string::npos);
  EXPECT_EQ(bytes.substr(0, engine_.size()), engine_);
  const auto hits = FindEmbeddedCabinets(scrambled.Packages[0].Path, kScrambleKey, 2);
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_EQ(hits[1], scrambled.Packages[0].Result.Cabinet1Offset);
  EXPECT_EQ(CabinetFiles(scrambled.Packages[0], 0, kScrambleKey), plainPresetup);
  EXPECT_EQ(CabinetFiles(scrambled.Packages[0], 1, kScrambleKey), plainData);
}

TEST_F(BuilderTest, PasswordEnciphersOnlyTheDataCabinet) {
  const BuildSummary plain = BuildSetup(options_);
  const std::string plainBytes = Read("out/setup.exe");
  const std::string plainData = test::CabinetAt(plainBytes, plain.Packages[0].Result.Cabinet1Offset, 0);
  options_.Password = "pw";
  const BuildSummary protectedBuild = BuildSetup(options_);
  const std::string bytes = Read("out/setup.exe");
  const std::string data = test::CabinetAt(bytes, protectedBuild.Packages[0].Result.Cabinet1Offset, 0);
  ASSERT_EQ(data.size(), plainData.size());
  EXPECT_NE(data, plainData);
  // Cabinet 0 is read before any password is known: it stays readable.
  EXPECT_TRUE(CabinetFiles(protectedBuild.Packages[0], 0).count("maindb"));
  // Deciphering the payloads in order gives the plain cabinet back.
  GostCipher cipher;
  const auto key = PasswordKey("pw");
  cipher.Init(key.data(), 256);
  std::string deciphered = data;
  auto read16 = [&](std::size_t at) {
    return static_cast<std::size_t>(static_cast<std::uint8_t>(deciphered[at]) |
                                    static_cast<std::uint8_t>(deciphered[at + 1]) << 8);
  };
  std::size_t at = static_cast<std::uint8_t>(deciphered[36]) | read16(37) << 8;
  const std::size_t blocks = read16(40);
  for (std::size_t b = 0; b < blocks; ++b) {
    const std::size_t size = read16(at + 4);
    cipher.DecryptCBC(deciphered.data() + at + 8, deciphered.data() + at + 8, size);
    at += 8 + size;
  }
  EXPECT_EQ(deciphered, plainData);
}

TEST_F(BuilderTest, PasswordProtectedDataFitsOneFolder) {
  Write("project/extra/big2.bin", test::RandomBytes(100000, 6));
  options_.Password = "pw";
  options_.MaxBlocksPerFolder = 7;  // each of the extra package's files needs a folder
  const std::string item = "<file src=\"extra\\big.bin\" dst=\"big.bin\"/>";
  const std::string message =
      InputErrorWith(item, item + "<file src=\"extra\\big2.bin\" dst=\"big2.bin\"/>");
  EXPECT_NE(message.find("one cabinet folder"), std::string::npos) << message;
  EXPECT_TRUE(fs::is_empty(scratch_.File("out")));
  options_.Password.clear();  // without a password several folders are fine
  EXPECT_NO_THROW(BuildSetup(options_));
}

TEST_F(BuilderTest, SameInputSameBytes) {
  options_.Timestamp.reset();
  BuildSetup(options_);
  const std::string first = Read("out/setup.exe");
  const std::string firstExtra = Read("out/extras.cvp");
  BuildSetup(options_);
  EXPECT_EQ(Read("out/setup.exe"), first);
  EXPECT_EQ(Read("out/extras.cvp"), firstExtra);
}

TEST_F(BuilderTest, FixedTimestampIgnoresFileTimes) {
  BuildSetup(options_);
  const std::string first = Read("out/setup.exe");
  fs::last_write_time(scratch_.File("project/bin/readme.txt"),
                      fs::last_write_time(scratch_.File("project/bin/readme.txt")) +
                          std::chrono::hours(50));
  BuildSetup(options_);
  EXPECT_EQ(Read("out/setup.exe"), first);
  options_.Timestamp.reset();
  BuildSetup(options_);
  EXPECT_NE(Read("out/setup.exe"), first);
}


TEST_F(BuilderTest, MissingSourceFileIsNamed) {
  fs::remove(scratch_.File("project/bin/readme.txt"));
  const BuildError error = ErrorOf(options_);
  EXPECT_EQ(error.Kind(), BuildErrorKind::Input);
  EXPECT_NE(std::string(error.what()).find("readme.txt"), std::string::npos) << error.what();
  EXPECT_NE(std::string(error.what()).find("not found"), std::string::npos) << error.what();
  // Nothing is left behind, not even a partial file.
  EXPECT_TRUE(fs::is_empty(scratch_.File("out")));
}

TEST_F(BuilderTest, BadXmlNamesFileLineAndColumn) {
  Write("project/project.xml", "<cv2project>\n\t<variables>\n\t\t<var name=\"x\" value=\"1\">\n"
                               "\t</variables>\n</cv2project>\n");
  const BuildError error = ErrorOf(options_);
  EXPECT_EQ(error.Kind(), BuildErrorKind::Input);
  const std::string expected = options_.ProjectPath + ":4:";
  EXPECT_EQ(std::string(error.what()).rfind(expected, 0), 0u) << error.what();
}

std::string BuilderTest::InputErrorWith(const std::string& text, const std::string& replacement) {
  std::string project = kProject;
  project.replace(project.find(text), text.size(), replacement);
  Write("project/project.xml", project);
  const BuildError error = ErrorOf(options_);
  EXPECT_EQ(error.Kind(), BuildErrorKind::Input);
  return error.what();
}

// The engine lists an installed font under its full name, which the
// builder takes from the font file.
TEST_F(BuilderTest, FontFilesCarryTheirFullName) {
  const fs::path font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!fs::exists(font)) GTEST_SKIP() << font << " is missing (package fonts-dejavu-core)";
  fs::copy_file(font, scratch_.File("project/extra/sans.ttf"));
  std::string project = kProject;
  const std::string item = "<file src=\"extra\\big.bin\" dst=\"big.bin\"/>";
  project.replace(project.find(item), item.size(),
                  item + "<file src=\"extra\\sans.ttf\" dst=\"%Fonts%\\sans.ttf\" flags=\"reg_font\"/>");
  Write("project/project.xml", project);
  const BuildSummary summary = BuildSetup(options_);
  auto package = TcvPackage::New();
  package->LoadFromString(Deciphered(CabinetFiles(summary.Packages[1], 0).at("packagedb")), "package");
  const TcvFileInfo* info = package->FileInfos->FindByName("Extras\\extra\\sans.ttf");
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->FontName, "DejaVu Sans");
  EXPECT_EQ(package->FileInfos->FindByName("Extras\\extra\\big.bin")->FontName, "");
}

TEST_F(BuilderTest, UnknownPackageNamesTheComponentsPosition) {
  const std::string message = InputErrorWith("package=\"extra\"", "package=\"nowhere\"");
  EXPECT_NE(message.find("nowhere"), std::string::npos);
  // The component element is on line 34, its "<" in column 3 (two TABs).
  EXPECT_NE(message.find("project.xml:34:3:"), std::string::npos) << message;
}

TEST_F(BuilderTest, SourcesOutsideTheProjectAreRefused) {
  EXPECT_NE(InputErrorWith("bin\\readme.txt", "..\\engine.exe").find("leaves the project"),
            std::string::npos);
  EXPECT_NE(InputErrorWith("bin\\readme.txt", "/etc/passwd").find("relative"), std::string::npos);
}

TEST_F(BuilderTest, WildcardsOnlyInTheFileName) {
  EXPECT_NE(InputErrorWith("docs\\*.txt", "d*\\*.txt").find("wildcards"), std::string::npos);
}

TEST_F(BuilderTest, DuplicateComponentsAreRefused) {
  EXPECT_NE(InputErrorWith("id=\"Extras\"", "id=\"core\"").find("defined twice"),
            std::string::npos);
}

TEST_F(BuilderTest, UnwritableOutputIsAnOutputError) {
  Write("blocker", "a file where a folder should be");
  options_.OutputPath = scratch_.File("blocker/setup.exe");
  EXPECT_EQ(ErrorOf(options_).Kind(), BuildErrorKind::Output);
}

TEST_F(BuilderTest, FailedBuildKeepsThePreviousOutputs) {
  BuildSetup(options_);
  const std::string previous = Read("out/setup.exe");
  fs::remove(scratch_.File("project/extra/big.bin"));
  EXPECT_EQ(ErrorOf(options_).Kind(), BuildErrorKind::Input);
  EXPECT_EQ(Read("out/setup.exe"), previous);
  for (const auto& entry : fs::directory_iterator(scratch_.File("out"))) {
    EXPECT_EQ(entry.path().string().find("partial"), std::string::npos) << entry.path();
  }
}

TEST_F(BuilderTest, EngineHoldingACabinetSignatureIsRefused) {
  Write("engine.exe", "MZ" + std::string("MSCF\0\0\0\0", 8) + "rest of the program");
  options_.Compression = CabCompression::Stored;
  const BuildError error = ErrorOf(options_);
  EXPECT_EQ(error.Kind(), BuildErrorKind::Input);
  EXPECT_NE(std::string(error.what()).find("engine program"), std::string::npos);
  // Scrambled, the plain signature is no hit.
  options_.Scramble = true;
  EXPECT_NO_THROW(BuildSetup(options_));
}

TEST_F(BuilderTest, StoredPresetupFileHoldingACabinetSignatureIsRefused) {
  Write("project/plugins/wizard.dll", "MZ" + std::string("MSCF\0\0\0\0", 8) + "plug-in");
  options_.Compression = CabCompression::Stored;
  const BuildError error = ErrorOf(options_);
  EXPECT_EQ(error.Kind(), BuildErrorKind::Input);
  EXPECT_NE(std::string(error.what()).find("cabinet 0"), std::string::npos) << error.what();
  EXPECT_FALSE(fs::exists(scratch_.File("out/setup.exe")));
  options_.Compression = CabCompression::Mszip;
  EXPECT_NO_THROW(BuildSetup(options_));
}

TEST_F(BuilderTest, PluginWithoutDllIsRefused) {
  EXPECT_NE(InputErrorWith(" src=\"plugins\\wizard.dll\"", "").find("Wizard"), std::string::npos);
  EXPECT_NE(InputErrorWith("plugins\\wizard.dll", "bin\\readme.txt").find(".dll"),
            std::string::npos);
}

TEST_F(BuilderTest, EmptyDataCabinetStillExtracts) {
  Write("project/project.xml",
        "<cv2project><components><component id=\"Nothing\"/></components></cv2project>");
  const BuildSummary summary = BuildSetup(options_);
  ASSERT_EQ(summary.Packages.size(), 1u);
  const auto data = CabinetFiles(summary.Packages[0], 1);
  ASSERT_EQ(data.size(), 1u);
  EXPECT_EQ(data.begin()->first.rfind("data/", 0), std::string::npos);
  const std::string setup = Read("out/setup.exe");
  EXPECT_EQ(ParsePackageTrailer(setup, setup.size())->Header.DataSize, 0);
  // The implicit main package is named after the setup file.
  auto package = TcvPackage::New();
  package->LoadFromString(Deciphered(CabinetFiles(summary.Packages[0], 0).at("packagedb")),
                          "package");
  EXPECT_EQ(package->ID, "setup");
}

}  // namespace
}  // namespace cv::build
