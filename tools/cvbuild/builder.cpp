#include "builder.h"

#include <filesystem>

#include "build_error.h"
#include "databases.h"
#include "engine/package_database.h"
#include "engine/package_header.h"
#include "package_plan.h"
#include "project.h"
#include "script/package_password.h"

namespace cv::build {
namespace fs = std::filesystem;
namespace {

const char* const kTemporarySuffix = ".cvbuild-partial";

// Outputs being written; whatever is not committed is removed.
class PendingOutputs {
 public:
  PendingOutputs() = default;
  PendingOutputs(const PendingOutputs&) = delete;
  PendingOutputs& operator=(const PendingOutputs&) = delete;
  ~PendingOutputs() {
    for (const auto& [temporary, final] : outputs_) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
    }
  }

  std::string Add(const std::string& path) {
    const std::string temporary = path + kTemporarySuffix;
    outputs_.emplace_back(temporary, path);
    return temporary;
  }

  void Commit() {
    for (const auto& [temporary, final] : outputs_) {
      std::error_code error;
      fs::rename(temporary, final, error);
      if (error) ThrowOutput("cannot create " + final + ": " + error.message());
    }
    outputs_.clear();
  }

 private:
  std::vector<std::pair<std::string, std::string>> outputs_;
};

// A database file as the engine's ParseDatabaseFile reads it.
std::string Enciphered(std::string text) {
  EncipherDatabaseBytes(text);
  return text;
}

CabMember Generated(const ProjectPlan& plan, const std::string& name, std::string bytes) {
  CabMember member;
  member.Name = name;
  member.Size = bytes.size();
  member.Data = std::move(bytes);
  member.DosDate = plan.GeneratedDate;
  member.DosTime = plan.GeneratedTime;
  return member;
}

// The engine finds cabinet N as the N+1-th signature in the file: nothing
// before a cabinet (the engine program, or a stored file of cabinet 0) may
// look like one.
void CheckCabinetsFindable(const std::string& written, const std::string& path,
                           const PackageResult& result, bool scrambled) {
  const auto hits = FindEmbeddedCabinets(written, scrambled ? kScrambleKey : 0, 2);
  if (hits.size() == 2 && hits[0] == result.Cabinet0Offset && hits[1] == result.Cabinet1Offset) {
    return;
  }
  if (hits.empty() || hits[0] != result.Cabinet0Offset) {
    ThrowInput(path + ": the engine program holds bytes that read as a cabinet signature, so "
               "the engine would not find the package's cabinets; build with --scramble");
  }
  ThrowInput(path + ": a file of cabinet 0 holds bytes that read as a cabinet signature, so "
             "the engine would not find the data cabinet; build with --compression mszip or "
             "--scramble");
}

}  // namespace

BuildSummary BuildSetup(const BuildOptions& options) {
  if (options.EnginePath.empty()) throw BuildError(BuildErrorKind::Usage, "no engine program given");
  if (options.OutputPath.empty()) throw BuildError(BuildErrorKind::Usage, "no output file given");
  std::error_code error;
  if (!fs::is_regular_file(options.EnginePath, error)) {
    ThrowInput("file not found: " + options.EnginePath);
  }
  auto project = Project::Load(options.ProjectPath);

  PlanOptions planOptions;
  planOptions.MainPackageId = fs::path(options.OutputPath).stem().string();
  planOptions.Timestamp = options.Timestamp;
  planOptions.Warning = options.Warning;
  const ProjectPlan plan = PlanProject(*project, planOptions);

  const std::string passwordCheck =
      options.Password.empty() ? std::string() : PasswordCheckValue(options.Password);
  const fs::path outputFolder = fs::path(options.OutputPath).parent_path();

  PendingOutputs pending;
  BuildSummary summary;
  for (const PackagePlan& package : plan.Packages) {
    PackageContent content;
    std::string path = options.OutputPath;
    if (package.Main) {
      content.EnginePath = options.EnginePath;
    } else {
      path = (outputFolder / PackageFileName(package.FileName)).string();
    }
    content.Presetup = package.Pictures;
    if (package.Main) {
      content.Presetup.push_back(Generated(plan, "languages", plan.Languages));
      content.Presetup.push_back(
          Generated(plan, "maindb", Enciphered(MainDatabaseXml(*project, plan, passwordCheck))));
    }
    content.Presetup.push_back(
        Generated(plan, "packagedb", Enciphered(PackageDatabaseXml(*project, package))));
    content.Presetup.insert(content.Presetup.end(), package.Plugins.begin(), package.Plugins.end());
    content.Data = package.Data;
    content.Flags = package.Flags;
    content.Scramble = options.Scramble;
    content.Password = options.Password;
    content.Cabinet.Compression = options.Compression;
    content.Cabinet.Level = options.Level;
    content.Cabinet.MaxBlocksPerFolder = options.MaxBlocksPerFolder;
    content.HeaderVariables = HeaderVariablesXml(*project, package);
    if (options.Progress) {
      std::uint64_t total = 0;
      for (const CabMember& member : content.Data) total += member.Size;
      const std::string name = fs::path(path).filename().string();
      content.Cabinet.Progress = [&options, name, total](std::uint64_t done) {
        options.Progress(name, done, total);
      };
    }

    const std::string temporary = pending.Add(path);
    FileSink sink(temporary);
    BuiltPackage built;
    built.Path = path;
    built.Result = WritePackage(content, sink);
    sink.Close();
    CheckCabinetsFindable(temporary, path, built.Result, options.Scramble);
    summary.Packages.push_back(std::move(built));
  }
  pending.Commit();
  return summary;
}

}  // namespace cv::build
