// Extraction speed of the unpack library's core against cabextract on the
// same cabinet: about 64 MiB of mixed data (text, random bytes, zeros) in
// MSZIP made by gcab. Both write their files to disk. The core is also
// measured on the same cabinet scrambled behind a prefix, as it sits in a
// setup file.

#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "bench_timing.h"
#include "unpack/extraction.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kFileSize = 4 * 1024 * 1024;
constexpr int kFiles = 16;
constexpr int kRuns = 3;

std::string gOutput;

std::string MixedBytes(std::size_t size, unsigned seed) {
  static const char* const kWords[] = {"setup ", "engine ", "cabinet ", "folder\r\n", "data ",
                                       "package ", "install ", "registry "};
  std::mt19937 random(seed);
  std::string bytes;
  bytes.reserve(size);
  while (bytes.size() < size) {
    const unsigned kind = random() % 3;
    const std::size_t run = 4096 + random() % 65536;
    for (std::size_t i = 0; i < run && bytes.size() < size; ++i) {
      if (kind == 0) {
        bytes += kWords[random() % 8];
      } else if (kind == 1) {
        bytes.push_back(static_cast<char>(random()));
      } else {
        bytes.push_back('\0');
      }
    }
  }
  bytes.resize(size);
  return bytes;
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Run(const std::string& command) {
  const int status = std::system((command + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::int32_t CV_STDCALL Notify(std::int32_t type, void* record) {
  if (type == cv::unpack::kFileToExtract) {
    auto& file = *static_cast<cv::unpack::FileRecord*>(record);
    std::snprintf(file.OutputPath, sizeof file.OutputPath, "%s%s", gOutput.c_str(), file.Name);
    return 1;
  }
  return type == cv::unpack::kCabinetNeeded ? -1 : 1;
}

bool Extract(const std::string& container, bool scrambled) {
  cv::unpack::Extraction extraction(container, 0, scrambled);
  return extraction.Enumerate(&Notify, nullptr) == 1;
}

}  // namespace

int main() {
  if (Run("command -v gcab") != 0 || Run("command -v cabextract") != 0) {
    std::printf("unpack_bench: gcab and cabextract are needed; skipped\n");
    return 0;
  }
  const fs::path root = fs::temp_directory_path() / ("corvane-unpack-bench-" + std::to_string(std::random_device()()));
  fs::create_directories(root / "in");
  std::string list;
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = "part" + std::to_string(i) + ".bin";
    Write((root / "in" / name).string(), MixedBytes(kFileSize, static_cast<unsigned>(i)));
    list += " " + name;
  }
  const std::string cabinet = (root / "bench.cab").string();
  if (Run("cd '" + (root / "in").string() + "' && gcab -c -z '" + cabinet + "'" + list) != 0) {
    std::printf("unpack_bench: gcab failed\n");
    fs::remove_all(root);
    return 1;
  }
  std::string bytes = Read(cabinet);
  std::string scrambled = std::string(1 << 20, 'x');
  for (char c : bytes) scrambled.push_back(static_cast<char>(c ^ 0xA7));
  const std::string container = (root / "setup.exe").string();
  Write(container, scrambled);
  const std::size_t total = kFileSize * kFiles;
  std::printf("cabinet: %.2f MB of files in %.2f MB (MSZIP)\n", total / 1e6, bytes.size() / 1e6);

  gOutput = (root / "core").string() + "/";
  fs::create_directories(gOutput);
  bool ok = true;
  const double core = cv::bench::BestSeconds(kRuns, [&] { ok = Extract(cabinet, false) && ok; });
  const double embedded = cv::bench::BestSeconds(kRuns, [&] { ok = Extract(container, true) && ok; });
  const std::string reference = (root / "cabextract").string();
  fs::create_directories(reference);
  const double tool = cv::bench::BestSeconds(kRuns, [&] {
    ok = Run("cabextract -q -d '" + reference + "' '" + cabinet + "'") == 0 && ok;
  });
  if (!ok || Read(gOutput + "part7.bin") != Read(reference + "/part7.bin")) {
    std::printf("unpack_bench: extraction failed or differs\n");
    fs::remove_all(root);
    return 1;
  }
  cv::bench::ReportThroughput("core", total, core);
  cv::bench::ReportThroughput("core embedded", total, embedded);
  cv::bench::ReportThroughput("cabextract", total, tool);
  std::printf("core / cabextract: %.2f\n", tool / core);
  fs::remove_all(root);
  return 0;
}
