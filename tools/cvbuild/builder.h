#pragma once
// A whole build: the project document in, the setup file (engine program and
// main package) and one ".cvp" file per further package out, next to it.
// Every output is written under a temporary name and renamed into place only
// when all of them are complete, so a failed build leaves no partial file.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cab_writer.h"
#include "package_file.h"

namespace cv::build {

struct BuildOptions {
  std::string ProjectPath;
  std::string OutputPath;  // the setup file
  std::string EnginePath;
  CabCompression Compression = CabCompression::Mszip;
  int Level = 6;
  bool Scramble = false;
  std::string Password;
  // Date and time of every cabinet member (seconds since 1970, UTC); without
  // it each file's own modification time, and the project document's for
  // generated members.
  std::optional<std::int64_t> Timestamp;
  std::size_t MaxBlocksPerFolder = kCabMaxBlocksPerFolder;
  std::function<void(const std::string&)> Warning;
  // Called while a data cabinet is written: package file name, bytes done, total.
  std::function<void(const std::string&, std::uint64_t, std::uint64_t)> Progress;
};

struct BuiltPackage {
  std::string Path;
  PackageResult Result;
};

struct BuildSummary {
  std::vector<BuiltPackage> Packages;  // the setup file first
};

BuildSummary BuildSetup(const BuildOptions& options);

}  // namespace cv::build
