#pragma once
// The payload of the extraction and installation benchmarks: what a setup
// typically carries, about 2,000 small files (1-64 KiB, text and binary) and
// three 40 MiB files of mixed compressible and incompressible data, about
// 200 MB in all, the same bytes on every run.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace cv::bench {

namespace fs = std::filesystem;

constexpr int kSmallFiles = 2000;
constexpr std::size_t kLargeFileSize = 40u * 1024 * 1024;
constexpr int kLargeFiles = 3;

// A small, fast generator: the payload must be the same on every run.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  std::uint64_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(Next() % bound); }

 private:
  std::uint64_t state_;
};

inline void AppendText(std::string& bytes, std::size_t size, Random& random) {
  static const char* const kWords[] = {"setup ",   "engine ",   "cabinet ", "folder\r\n",
                                       "data ",    "package ",  "install ", "registry ",
                                       "value=1 ", "<item/>\n", "path\\",   "version "};
  const std::size_t end = bytes.size() + size;
  while (bytes.size() < end) bytes += kWords[random.Below(12)];
  bytes.resize(end);
}

inline void AppendNoise(std::string& bytes, std::size_t size, Random& random) {
  const std::size_t start = bytes.size();
  bytes.resize(start + size);
  for (std::size_t i = 0; i < size; i += 8) {
    const std::uint64_t word = random.Next();
    std::memcpy(&bytes[start + i], &word, std::min<std::size_t>(8, size - i));
  }
}

// Binary with structure: little records of a few varying fields and padding,
// as in executables and resources; compresses well but not as text does.
inline void AppendRecords(std::string& bytes, std::size_t size, Random& random) {
  const std::size_t end = bytes.size() + size;
  std::uint32_t counter = static_cast<std::uint32_t>(random.Next());
  while (bytes.size() < end) {
    char record[16] = {};
    counter += 1 + static_cast<std::uint32_t>(random.Below(4));
    std::memcpy(record, &counter, 4);
    record[4] = static_cast<char>(random.Below(8));
    bytes.append(record, sizeof record);
  }
  bytes.resize(end);
}

// Runs of text, noise and structured binary, each kind about a third.
inline std::string MixedBytes(std::size_t size, std::uint64_t seed, std::size_t longestRun) {
  Random random(seed);
  std::string bytes;
  bytes.reserve(size);
  while (bytes.size() < size) {
    const std::size_t run = std::min(size - bytes.size(), 512 + random.Below(longestRun));
    switch (random.Below(3)) {
      case 0: AppendText(bytes, run, random); break;
      case 1: AppendNoise(bytes, run, random); break;
      default: AppendRecords(bytes, run, random); break;
    }
  }
  return bytes;
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::error_code error;
  const auto size = fs::file_size(path, error);
  if (!in || error) return "<missing>";
  std::string bytes(size, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  return bytes;
}

struct Payload {
  fs::path folder;
  std::vector<std::string> names;
  std::size_t bytes = 0;
};

inline Payload MakePayload(const fs::path& folder) {
  Payload payload;
  payload.folder = folder;
  fs::create_directories(folder);
  Random sizes(7);
  for (int i = 0; i < kSmallFiles; ++i) {
    const std::size_t size = 1024 + sizes.Below(63 * 1024 + 1);
    // Small files are mostly of one kind: short runs mix them within a file.
    const std::size_t longestRun = (i % 4 == 0) ? 2048 : 16384;
    char name[32];
    std::snprintf(name, sizeof name, "file%04d.%s", i, i % 3 == 0 ? "txt" : "dat");
    WriteFile(folder / name, MixedBytes(size, 1000 + static_cast<std::uint64_t>(i), longestRun));
    payload.names.push_back(name);
    payload.bytes += size;
  }
  for (int i = 0; i < kLargeFiles; ++i) {
    const std::string name = "large" + std::to_string(i) + ".bin";
    WriteFile(folder / name, MixedBytes(kLargeFileSize, 50 + static_cast<std::uint64_t>(i), 1 << 20));
    payload.names.push_back(name);
    payload.bytes += kLargeFileSize;
  }
  return payload;
}

// Every file of the payload, byte for byte, in an output folder.
inline bool SameFiles(const Payload& payload, const fs::path& output) {
  for (const auto& name : payload.names) {
    if (ReadFile(payload.folder / name) != ReadFile(output / name)) {
      std::printf("%s differs in %s\n", name.c_str(), output.string().c_str());
      return false;
    }
  }
  return true;
}

}  // namespace cv::bench
