#pragma once
// Helpers of the builder's tests: scratch folders, running the independent
// cabinet tools, cutting cabinets out of package files, and a tiny PE image
// with a version resource.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "../database/scratch_folder.h"
#include "builder.h"

namespace cv::test {

struct CommandResult {
  int ExitCode = -1;
  std::string Output;  // stdout and stderr together
};

// Options for a build of the scratch folder's "project/project.xml" with its
// "engine.exe" into "out/setup.exe", dated with a fixed time.
build::BuildOptions ScratchBuildOptions(const ScratchFolder& scratch);

// Runs a shell command line and collects its output.
CommandResult RunCommand(const std::string& commandLine);
// Quotes a path for the shell.
std::string ShellQuote(const std::string& text);
// Whether a program is on PATH.
bool HaveProgram(const std::string& name);

// Every regular file below `folder` by its path relative to it ("/"
// separated), with its bytes.
std::map<std::string, std::string> FolderFiles(const std::filesystem::path& folder);

// Extracts a cabinet's bytes with cabextract into a fresh folder below
// `scratch` and answers the files it wrote; `ok` tells whether cabextract
// succeeded.
std::map<std::string, std::string> CabextractFiles(const ScratchFolder& scratch,
                                                   const std::string& cabinet, bool& ok);

// The cabinet that starts at `offset` of `file` (its length read from its
// header), each byte XOR `key`.
std::string CabinetAt(const std::string& file, std::size_t offset, std::uint8_t key);

// Deterministic pseudo-random bytes (incompressible).
std::string RandomBytes(std::size_t size, std::uint32_t seed);

// A minimal PE image (PE32, or PE32+ when `wide`) whose resource section holds
// one version resource with the given file version words.
std::string TinyPeWithVersion(std::uint16_t major, std::uint16_t minor, std::uint16_t release,
                              std::uint16_t build, bool wide);

}  // namespace cv::test
