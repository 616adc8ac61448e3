// Extraction speed of the unpack library's core against cabextract on the
// same cabinets. The payload is what a setup typically carries: about 2,000
// small files (1-64 KiB, text and binary) and three 40 MiB files of mixed
// compressible and incompressible data, about 200 MB in all, packed by gcab
// once stored and once in MSZIP. Every run writes the files into a folder of
// its own, once in memory (a tmpfs, when the machine has one) and once on
// disk (see OutputPlace), and the extractors take turns so that all see the
// same conditions; the median of the runs counts. Each run is a process of its own (this program started
// again for the core), so that its peak memory can be told: the core's
// background writer must not cost much more than cabextract. The core's write
// calls are counted through its file routines. The processor seconds of each
// side are printed too: on a shared machine they vary less than wall time.

#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench_payload.h"
#include "bench_timing.h"
#include "unpack/extraction.h"
#include "unpack/file_system.h"

namespace {

namespace fs = std::filesystem;
using cv::bench::MakePayload;
using cv::bench::Payload;
using cv::bench::ReadFile;
using cv::bench::SameFiles;

constexpr int kRuns = 7;

int Run(const std::string& command) {
  const int status = std::system((command + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The native file system, counting the writes into output files.
class CountingFileSystem final : public cv::unpack::FileSystem {
 public:
  long writes = 0;

  std::unique_ptr<cv::unpack::File> OpenForReading(const std::string& path) override {
    return native_.OpenForReading(path);
  }
  std::unique_ptr<cv::unpack::File> CreateForWriting(const std::string& path) override {
    auto file = native_.CreateForWriting(path);
    if (!file) return nullptr;
    return std::make_unique<CountedFile>(std::move(file), writes);
  }
  bool SetDosTime(const std::string& path, std::uint16_t date, std::uint16_t time) override {
    return native_.SetDosTime(path, date, time);
  }
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
    return native_.SetAttributes(path, attributes);
  }
  bool Remove(const std::string& path) override { return native_.Remove(path); }

 private:
  class CountedFile final : public cv::unpack::File {
   public:
    CountedFile(std::unique_ptr<cv::unpack::File> file, long& writes)
        : file_(std::move(file)), writes_(writes) {}
    int Read(void* buffer, int count) override { return file_->Read(buffer, count); }
    int Write(const void* data, int count) override {
      ++writes_;
      return file_->Write(data, count);
    }
    bool Seek(std::int64_t offset, cv::unpack::SeekOrigin origin) override {
      return file_->Seek(offset, origin);
    }
    std::int64_t Tell() override { return file_->Tell(); }

   private:
    std::unique_ptr<cv::unpack::File> file_;
    long& writes_;
  };

  cv::unpack::FileSystem& native_ = cv::unpack::NativeFileSystem();
};

std::string gOutput;

std::int32_t CV_STDCALL Notify(std::int32_t type, void* record) {
  if (type == cv::unpack::kFileToExtract) {
    auto& file = *static_cast<cv::unpack::FileRecord*>(record);
    std::snprintf(file.OutputPath, sizeof file.OutputPath, "%s%s", gOutput.c_str(), file.Name);
    return 1;
  }
  return type == cv::unpack::kCabinetNeeded ? -1 : 1;
}


// Where the runs write their output. On a disk, each run writes into a new
// folder of its own, after the earlier runs' data is flushed, and all are
// removed at the end: removing a run's files before the next would make that
// run pay for them (ext4 without a journal passes over every inode freed in
// the last twelve hours when it allocates one, reading its table block). In
// memory each run's output is removed as soon as it is checked.
struct OutputPlace {
  const char* name;
  fs::path folder;
  bool inMemory;
};

// A new, empty output folder for one run.
fs::path NewRunFolder(const OutputPlace& place, const std::string& name) {
  const fs::path folder = place.folder / name;
  ::sync();
  fs::create_directories(folder);
  return folder;
}

void DoneWithRun(const OutputPlace& place, const fs::path& folder) {
  if (place.inMemory) fs::remove_all(folder);
}

// One finished process: its wall time, processor time, peak memory and
// what it printed.
struct ProcessRun {
  bool ok = false;
  double wall = 0;
  double cpu = 0;
  double peakMb = 0;
  std::string output;
};

ProcessRun RunProcess(const std::vector<std::string>& arguments) {
  ProcessRun run;
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return run;
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipeEnds[1], STDOUT_FILENO);
    ::dup2(pipeEnds[1], STDERR_FILENO);
    ::close(pipeEnds[0]);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(pipeEnds[1]);
  if (child < 0) {
    ::close(pipeEnds[0]);
    return run;
  }
  char buffer[4096];
  for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
    run.output.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(pipeEnds[0]);
  int status = 0;
  rusage usage{};
  if (::wait4(child, &status, 0, &usage) != child) return run;
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  const auto seconds = [](const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; };
  run.wall = elapsed.count();
  run.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  run.peakMb = usage.ru_maxrss / 1024.0;  // kilobytes on Linux
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The runs of one extractor.
struct Runs {
  std::vector<double> wall;
  std::vector<double> cpu;
  std::vector<double> peakMb;
  void Add(const ProcessRun& run) {
    wall.push_back(run.wall);
    cpu.push_back(run.cpu);
    peakMb.push_back(run.peakMb);
  }
};

struct Timing {
  Runs core;
  Runs scrambled;
  Runs tool;
  long writes = 0;
  bool ok = true;
};

// This program, started again to extract one cabinet with the core.
ProcessRun RunCore(const std::string& self, const std::string& cabinet, bool scrambled,
                   const fs::path& output, long& writes) {
  ProcessRun run = RunProcess({self, "--extract", cabinet, scrambled ? "1" : "0", output.string()});
  writes = std::atol(run.output.c_str());
  return run;
}

Timing Measure(const std::string& self, const Payload& payload, const OutputPlace& place,
               const std::string& cabinet, const std::string& container) {
  Timing timing;
  for (int run = 0; run < kRuns; ++run) {
    const std::string number = std::to_string(run);
    const fs::path coreOut = NewRunFolder(place, "core-" + number);
    const ProcessRun core = RunCore(self, cabinet, false, coreOut, timing.writes);
    timing.ok = core.ok && timing.ok;
    timing.core.Add(core);
    if (run == 0) timing.ok = SameFiles(payload, coreOut) && timing.ok;
    DoneWithRun(place, coreOut);

    const fs::path scrambledOut = NewRunFolder(place, "scrambled-" + number);
    long scrambledWrites = 0;
    const ProcessRun scrambled = RunCore(self, container, true, scrambledOut, scrambledWrites);
    timing.ok = scrambled.ok && timing.ok;
    timing.scrambled.Add(scrambled);
    if (run == 0) timing.ok = SameFiles(payload, scrambledOut) && timing.ok;
    DoneWithRun(place, scrambledOut);

    const fs::path toolOut = NewRunFolder(place, "cabextract-" + number);
    const ProcessRun tool = RunProcess({"cabextract", "-q", "-d", toolOut.string(), cabinet});
    timing.ok = tool.ok && timing.ok;
    timing.tool.Add(tool);
    if (run == 0) timing.ok = SameFiles(payload, toolOut) && timing.ok;
    DoneWithRun(place, toolOut);
  }
  fs::remove_all(place.folder);
  return timing;
}

// Memory (a tmpfs) when the machine has one with room, so that the figures
// show the extractors' own work and the kernel's copies; and the disk, where
// the file system's own costs come on top for both.
std::vector<OutputPlace> OutputPlaces(const fs::path& root) {
  std::vector<OutputPlace> places;
  const fs::path shm = "/dev/shm";
  std::error_code error;
  const fs::space_info space = fs::space(shm, error);
  if (!error && space.available > (std::uintmax_t{2} << 30)) {
    places.push_back({"in memory (tmpfs)", shm / ("corvane-unpack-bench-" + std::to_string(::getpid())), true});
  }
  places.push_back({"on disk", root / "out", false});
  return places;
}

void Report(const char* what, std::size_t bytes, const Runs& runs) {
  cv::bench::ReportThroughput(what, bytes, Median(runs.wall));
  std::printf("%-12s processor %.3f s, peak memory %.1f MB\n", "", Median(runs.cpu),
              Median(runs.peakMb));
}

void ReportRatios(const Timing& timing, std::size_t bytes) {
  std::printf("median of %d alternating runs, each a process of its own\n", kRuns);
  Report("core", bytes, timing.core);
  Report("core scrambled", bytes, timing.scrambled);
  Report("cabextract", bytes, timing.tool);
  std::printf("core write calls: %ld\n", timing.writes);
  std::printf("ratio vs cabextract: %.2f\n", Median(timing.tool.wall) / Median(timing.core.wall));
  std::printf("scrambled ratio vs cabextract: %.2f\n",
              Median(timing.tool.wall) / Median(timing.scrambled.wall));
  std::printf("processor ratio vs cabextract: %.2f\n",
              Median(timing.tool.cpu) / Median(timing.core.cpu));
  std::printf("peak memory: core %.1f MB, cabextract %.1f MB\n", Median(timing.core.peakMb),
              Median(timing.tool.peakMb));
}


// The child's side of RunCore: extracts a cabinet into a folder and prints
// the number of write calls.
int ExtractOnce(const std::string& cabinet, bool scrambled, const std::string& output) {
  CountingFileSystem files;
  gOutput = output + "/";
  cv::unpack::Extraction extraction(cabinet, 0, scrambled, files);
  const bool ok = extraction.Enumerate(&Notify, nullptr) == 1;
  std::printf("%ld\n", files.writes);
  return ok ? 0 : 1;
}

// The cabinet's bytes scrambled behind a prefix, as it sits in a setup file.
void WriteContainer(const std::string& cabinet, const std::string& container) {
  std::string bytes = ReadFile(cabinet);
  for (char& c : bytes) c = static_cast<char>(c ^ cv::unpack::Extraction::kScrambleKey);
  std::ofstream out(container, std::ios::binary | std::ios::trunc);
  const std::string prefix(1 << 20, 'x');
  out.write(prefix.data(), static_cast<std::streamsize>(prefix.size()));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--extract") {
    return ExtractOnce(argv[2], std::string(argv[3]) == "1", argv[4]);
  }
  const std::string self = fs::canonical("/proc/self/exe").string();
  if (Run("command -v gcab") != 0 || Run("command -v cabextract") != 0) {
    std::printf("unpack_bench: gcab and cabextract are needed; skipped\n");
    return 0;
  }
  const fs::path root =
      fs::temp_directory_path() / ("corvane-unpack-bench-" + std::to_string(::getpid()));
  const Payload payload = MakePayload(root / "in");
  std::string list;
  for (const auto& name : payload.names) list += " " + name;
  std::printf("payload: %zu files, %.1f MB\n", payload.names.size(), payload.bytes / 1e6);

  bool ok = true;
  for (const bool compressed : {false, true}) {
    const char* kind = compressed ? "MSZIP" : "stored";
    const std::string cabinet = (root / (std::string(kind) + ".cab")).string();
    const std::string container = (root / (std::string(kind) + ".exe")).string();
    if (Run("cd '" + payload.folder.string() + "' && gcab -c " + (compressed ? "-z " : "") + "'" +
            cabinet + "'" + list) != 0) {
      std::printf("unpack_bench: gcab failed\n");
      ok = false;
      break;
    }
    WriteContainer(cabinet, container);
    std::printf("\n%s: cabinet of %.1f MB\n", kind, fs::file_size(cabinet) / 1e6);
    for (const OutputPlace& place : OutputPlaces(root)) {
      const Timing timing = Measure(self, payload, place, cabinet, container);
      if (!timing.ok) {
        std::printf("unpack_bench: %s extraction %s failed or differs\n", kind, place.name);
        ok = false;
        break;
      }
      std::printf("%s, output %s:\n", kind, place.name);
      ReportRatios(timing, payload.bytes);
    }
    fs::remove(cabinet);
    fs::remove(container);
    if (!ok) break;
  }
  fs::remove_all(root);
  return ok ? 0 : 1;
}
