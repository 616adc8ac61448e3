// The installation run's copy step against a plain extraction of the same
// cabinet, under Wine: a product made of the extraction benchmark's payload
// (2,003 files, about 200 MB) is built by cvbuild.exe, then installed by the
// copy step in-process (item lookup, version and date checks, actions,
// progress, the log) into a folder that does not exist yet, as in a first
// installation, taking turns with the unpack library extracting the same
// cabinet into an empty folder. The median
// of the runs counts; the copy step's cost beyond the extraction is printed
// as a ratio and per file. Nothing is compared against a threshold.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench_payload.h"
#include "child_process.h"
#include "copy_step_host.h"
#include "engine/run_state.h"
#include "engine/win/cv_unpacker.h"
#include "engine/win/file_copy_step.h"
#include "install/install_log.h"
#include "install/win/action_list.h"
#include "platform/ini_cache.h"
#include "registry_sandbox.h"
#include "setup_files.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 5;

double Seconds(const std::function<bool()>& work, bool& ok) {
  const auto start = std::chrono::steady_clock::now();
  ok = work() && ok;
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::string Slashed(const fs::path& path) {
  std::string text = path.string();
  std::replace(text.begin(), text.end(), '/', '\\');
  if (text.back() != '\\') text += '\\';
  return text;
}

void FreshFolder(const fs::path& folder) {
  std::error_code error;
  fs::remove_all(folder, error);
  fs::create_directories(folder);
}

bool Extract(const std::string& setup, const std::string& folder) {
  cv::UnpackRoutines routines;
  routines.onFileToExtract = [&](const std::string& name, std::uint32_t, std::uint32_t,
                                 const cv::LocalTime&, std::string& outputPath) {
    outputPath = folder + name.substr(name.find_last_of('\\') + 1);
    return 1;
  };
  cv::TcvUnpacker unpacker(setup, false, 1);
  return unpacker.Enumerate(routines);
}

bool Install(const std::string& setup, const std::string& folder, const std::string& backups) {
  cv::test::CopyStepHost host;
  cv::TcvMainDatabase& database = *host.database;
  database.TempBackupPath = backups;
  cv::SetMainDatabase(&database);
  auto package = cv::TcvPackage::New();
  package->FullFileName = setup;
  database.Packages->Add(std::move(package));
  auto component = cv::TcvComponent::New();
  component->SetID("Core");
  auto item = cv::TcvFile::New();
  item->Src = "files\\*";
  item->Dst = folder + "*";
  component->Files->Add(std::move(item));
  database.Components->Add(std::move(component));
  const bool copied = cv::CopyProjectFiles(host);
  cv::ActionList().ClearItems();
  cv::FlushIniCache();
  cv::SetMainDatabase(nullptr);
  return copied;
}

}  // namespace

int main() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const fs::path root = fs::path(temp) / ("corvane-install-bench-" + std::to_string(GetCurrentProcessId()));
  const cv::bench::Payload payload = cv::bench::MakePayload(root / "files");
  std::printf("payload: %zu files, %.1f MB\n", payload.names.size(), payload.bytes / 1e6);

  const std::string project = Slashed(root) + "bench.cv2project";
  cv::bench::WriteFile(project, R"(<cv2project version="1.0">
	<build languages="languages.xml"/>
	<variables>
		<var name="AppID" value="CorvaneInstallBench"/>
		<var name="AppName" value="Install Bench"/>
	</variables>
	<packages>
		<package id="bench-setup" main="1"/>
	</packages>
	<components>
		<component id="Core" name="Core">
			<files>
				<file src="files\*" dst="*"/>
			</files>
		</component>
	</components>
</cv2project>
)");
  CopyFileA(cv::test::ExampleFile("hello\\languages.xml").c_str(),
            (Slashed(root) + "languages.xml").c_str(), FALSE);
  const std::string setup = Slashed(root) + "bench-setup.exe";
  if (cv::test::BuildSetupFile(project, setup) != 0) {
    std::printf("install_bench: cvbuild failed\n");
    return 1;
  }

  cv::test::RegistrySandbox registry("InstallBench");
  cv::Run().UnpackLibraryPath = cv::test::TestProgramFolder() + "unpack.dll";
  cv::ResetInstallLog();
  cv::SetLogFileName(Slashed(root) + "install.log");
  cv::SetLoggingEnabled(true);

  const fs::path extracted = root / "extracted";
  const fs::path installed = root / "installed";
  const fs::path backups = root / "backups";
  std::vector<double> extraction;
  std::vector<double> installation;
  bool ok = true;
  for (int run = 0; run < kRuns; ++run) {
    FreshFolder(extracted);
    extraction.push_back(Seconds([&] { return Extract(setup, Slashed(extracted)); }, ok));
    if (run == 0) ok = cv::bench::SameFiles(payload, extracted) && ok;
    // A first installation: the install folder does not exist yet, the copy
    // step creates it.
    std::error_code gone;
    fs::remove_all(installed, gone);
    FreshFolder(backups);
    cv::ResetInstallLog();
    installation.push_back(
        Seconds([&] { return Install(setup, Slashed(installed), Slashed(backups)); }, ok));
    if (run == 0) ok = cv::bench::SameFiles(payload, installed) && ok;
  }
  cv::ResetInstallLog();
  std::error_code error;
  fs::remove_all(root, error);
  if (!ok) {
    std::printf("install_bench: extraction or installation failed or differs\n");
    return 1;
  }
  const double extract = Median(extraction);
  const double install = Median(installation);
  std::printf("median of %d alternating runs under Wine\n", kRuns);
  std::printf("plain extraction  %.3f s\n", extract);
  std::printf("installation      %.3f s\n", install);
  std::printf("installation against extraction: %.2f (copy step adds %.0f%%)\n", install / extract,
              (install / extract - 1) * 100);
  std::printf("copy step per file: %.1f microseconds\n",
              (install - extract) / static_cast<double>(payload.names.size()) * 1e6);
  return 0;
}
