#include "builder_test_support.h"

#include <cstdio>
#include <fstream>
#include <random>

namespace cv::test {
namespace fs = std::filesystem;

build::BuildOptions ScratchBuildOptions(const ScratchFolder& scratch) {
  build::BuildOptions options;
  options.ProjectPath = scratch.File("project/project.xml");
  options.EnginePath = scratch.File("engine.exe");
  options.OutputPath = scratch.File("out/setup.exe");
  options.Timestamp = 1700000000;
  return options;
}

CommandResult RunCommand(const std::string& commandLine) {
  CommandResult result;
  std::FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.Output.append(buffer, got);
  const int status = pclose(pipe);
  result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

bool HaveProgram(const std::string& name) {
  return RunCommand("command -v " + name + " >/dev/null").ExitCode == 0;
}

std::map<std::string, std::string> FolderFiles(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    files[entry.path().lexically_relative(folder).generic_string()] =
        ReadBytes(entry.path().string());
  }
  return files;
}

std::map<std::string, std::string> CabextractFiles(const ScratchFolder& scratch,
                                                   const std::string& cabinet, bool& ok) {
  static int counter = 0;
  const std::string name = "extract" + std::to_string(++counter);
  const fs::path folder = scratch.File(name);
  fs::create_directories(folder);
  const std::string cab = scratch.File(name + ".cab");
  WriteBytes(cab, cabinet);
  const CommandResult run = RunCommand("cabextract -q -d " + ShellQuote(folder.string()) + " " +
                                       ShellQuote(cab));
  ok = run.ExitCode == 0;
  return FolderFiles(folder);
}

std::string CabinetAt(const std::string& file, std::size_t offset, std::uint8_t key) {
  if (offset + 12 > file.size()) return {};
  std::uint32_t length = 0;
  for (int i = 3; i >= 0; --i) {
    length = (length << 8) | static_cast<std::uint8_t>(file[offset + 8 + static_cast<std::size_t>(i)] ^ key);
  }
  std::string cabinet = file.substr(offset, length);
  for (char& c : cabinet) c = static_cast<char>(c ^ key);
  return cabinet;
}

std::string RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

namespace {

void Put(std::string& image, std::size_t at, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) {
    image[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

}  // namespace

std::string TinyPeWithVersion(std::uint16_t major, std::uint16_t minor, std::uint16_t release,
                              std::uint16_t build, bool wide) {
  // Layout: DOS header, PE header at 0x80, one section ".rsrc" at file offset
  // 0x200, mapped at RVA 0x1000.
  std::string image(0x400, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  Put(image, 0x3C, 0x80, 4);
  Put(image, 0x80, 0x00004550, 4);
  const std::size_t fileHeader = 0x84;
  Put(image, fileHeader, wide ? 0x8664 : 0x14C, 2);
  Put(image, fileHeader + 2, 1, 2);  // one section
  const std::size_t optionalSize = wide ? 240 : 224;
  Put(image, fileHeader + 16, static_cast<std::uint32_t>(optionalSize), 2);
  const std::size_t optional = fileHeader + 20;
  Put(image, optional, wide ? 0x20B : 0x10B, 2);
  const std::size_t countField = optional + (wide ? 108 : 92);
  Put(image, countField, 16, 4);
  const std::size_t directories = optional + (wide ? 112 : 96);
  Put(image, directories + 16, 0x1000, 4);  // resource directory RVA
  Put(image, directories + 20, 0x200, 4);
  const std::size_t section = optional + optionalSize;
  image.replace(section, 5, ".rsrc");
  Put(image, section + 8, 0x200, 4);    // virtual size
  Put(image, section + 12, 0x1000, 4);  // virtual address
  Put(image, section + 16, 0x200, 4);   // raw size
  Put(image, section + 20, 0x200, 4);   // raw offset

  // Resource tree: type 16 -> name 1 -> language 0x409 -> data entry.
  const std::size_t root = 0x200;
  auto directory = [&](std::size_t at, std::uint32_t id, std::uint32_t target) {
    Put(image, at + 14, 1, 2);  // one numbered entry
    Put(image, at + 16, id, 4);
    Put(image, at + 20, target, 4);
  };
  directory(root, 16, 0x80000000u | 0x18);
  directory(root + 0x18, 1, 0x80000000u | 0x30);
  directory(root + 0x30, 0x409, 0x48);
  const std::size_t dataEntry = root + 0x48;
  const std::size_t info = 0x60;  // version data at resource offset 0x60
  Put(image, dataEntry, 0x1000 + info, 4);
  Put(image, dataEntry + 4, 92, 4);
  const std::size_t vs = root + info;
  Put(image, vs, 92, 2);
  Put(image, vs + 2, 52, 2);
  const char key[] = "VS_VERSION_INFO";
  for (std::size_t i = 0; i < sizeof key; ++i) Put(image, vs + 6 + 2 * i, static_cast<std::uint8_t>(key[i]), 2);
  const std::size_t fixed = vs + 40;
  Put(image, fixed, 0xFEEF04BD, 4);
  Put(image, fixed + 4, 0x00010000, 4);
  Put(image, fixed + 8, (std::uint32_t{major} << 16) | minor, 4);
  Put(image, fixed + 12, (std::uint32_t{release} << 16) | build, 4);
  return image;
}

}  // namespace cv::test
