#pragma once
// What goes into each package: the project's packages in order (the main
// package first), the components each one holds, the files each one packs
// and the descriptions of those files. Reading the file system happens here;
// writing happens in package_file.h.
//
// Authoring-only attributes (ignored by the engine):
// - on the child element "build" of the root, for the main package, and on
//   a "package" element for that package: splash (picture), splashtime
//   (seconds the splash stays at least), splashopacity (percent, 100 is
//   opaque), splashregion, presetup (progress picture), presetupregion,
//   noprogress="1" (no progress window), silentpresetup="1" (neither
//   window); on "build" also languages (a "languages" document; without it
//   the project's own "languages" element is used);
// - on a "plugin" element: src, the plug-in DLL (wildcards allowed: every
//   match is offered to the engine in name order);
// - on a "var" element of the project: header="1" puts the variable into
//   the package header as well, header="0" keeps it out.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cab_writer.h"
#include "project.h"

namespace cv::build {

struct FileInfoRecord {
  std::string Name;  // the member name without "data\"
  std::int32_t Size = 0;
  std::string Version;
  std::string FontName;  // of a file installed as a font
};

struct PackagePlan {
  TcvPackage* Entry = nullptr;  // the project's entry; null for an implicit main package
  // The package's name in the built databases, both as ID and as file name
  // (without extension): the setup file's name for the main package, else
  // the entry's file name (or its ID).
  std::string Id;
  std::string FileName;
  bool Main = false;
  std::int32_t Flags = 0;  // presetup window bits; scrambling is added when writing
  std::vector<CabMember> Pictures;  // splash and presetup pictures and regions, the assembly tool
  std::vector<CabMember> Plugins;   // "plugins\<entry index>\<name>.dll"
  std::vector<CabMember> Data;      // "data\<component ID>\<Src>"
  std::vector<FileInfoRecord> FileInfos;
  std::vector<TcvComponent*> Components;
};

struct ProjectPlan {
  std::vector<PackagePlan> Packages;  // the main package first
  std::string Languages;              // the "languages" document of the main package
  std::uint16_t GeneratedDate = 0x21;  // DOS date and time of generated members
  std::uint16_t GeneratedTime = 0;
};

struct PlanOptions {
  std::string MainPackageId;              // for a project without a main package entry
  std::optional<std::int64_t> Timestamp;  // fixed time of every member (seconds, UTC)
  std::function<void(const std::string&)> Warning;
};

// Also completes the model: each component's Package becomes its package's
// ID, and a component Size of 0 becomes the KiB its packed files take.
ProjectPlan PlanProject(Project& project, const PlanOptions& options);

// DOS date and time of a moment (seconds since 1970, UTC), clamped to the
// range the format holds (1980 to 2107).
std::pair<std::uint16_t, std::uint16_t> DosDateTime(std::int64_t secondsUtc);

}  // namespace cv::build
