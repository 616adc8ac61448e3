#pragma once
// Helpers of the unpack library's host tests: a scratch folder, files, the
// independent tools (cabextract, gcab), and a harness that turns the
// library's plain callbacks into per-test routines.

#include <gtest/gtest.h>

#include <cstdint>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "unpack/unpack_api.h"
#include "unpack/extraction.h"
#include "unpack/unpack_library.h"

namespace cv::test {

namespace fs = std::filesystem;

class Scratch {
 public:
  Scratch() {
    std::random_device random;
    const auto base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const auto candidate = base / ("corvane-unpack-" + std::to_string(random()));
      if (fs::create_directory(candidate)) path_ = candidate;
    }
    if (path_.empty()) throw std::runtime_error("cannot create a scratch folder");
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  ~Scratch() {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored)) {
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
  }
  std::string Path(const std::string& name = "") const {
    return name.empty() ? path_.string() + "/" : (path_ / name).string();
  }

 private:
  fs::path path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every regular file under folder: relative path (with '/') -> contents.
inline std::map<std::string, std::string> Tree(const std::string& folder) {
  std::map<std::string, std::string> tree;
  if (!fs::exists(folder)) return tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      tree[fs::relative(entry.path(), folder).generic_string()] = ReadFile(entry.path().string());
    }
  }
  return tree;
}

inline std::string Quote(const std::string& text) { return "'" + text + "'"; }

inline int RunCommand(const std::string& command) {
  const int status = std::system((command + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline bool HaveTool(const std::string& name) { return RunCommand("command -v " + name) == 0; }

inline std::string MspackTestFiles() { return CV_MSPACK_TEST_FILES; }

inline std::string Scramble(std::string bytes) {
  for (auto& c : bytes) c = static_cast<char>(c ^ 0xA7);
  return bytes;
}

inline std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (auto& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// Compressible text with some variety.
inline std::string TextBytes(std::size_t size, unsigned seed) {
  static const char* words[] = {"setup ", "cabinet ", "folder ", "engine ", "file\r\n", "data ",
                                "package ", "Corvane "};
  std::mt19937 random(seed);
  std::string text;
  while (text.size() < size) text += words[random() % 8];
  text.resize(size);
  return text;
}

// Routes the library's callbacks to the routines of the running test.
struct Harness {
  // Default for type 1: extract into `output` under the entry's name.
  std::string output;
  std::function<std::int32_t(unpack::FileRecord&)> onFile;
  std::function<std::int32_t(unpack::FileRecord&)> onComplete;
  std::function<std::int32_t(unpack::ProgressRecord&)> onWrite;
  std::function<std::int32_t(unpack::CabinetRecord&)> onCabinet;
  std::function<void(std::string&)> onHook;
  std::vector<std::string> files;      // names offered (type 1)
  std::vector<std::string> completed;  // names completed (type 2)
  std::vector<std::string> cabinets;   // cabinets asked for (type 4)
  std::vector<std::string> hooked;     // payloads the hook saw
  std::int32_t lastType = 0;

  Harness() { Current() = this; }
  ~Harness() { Current() = nullptr; }
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;

  static Harness*& Current() {
    static Harness* current = nullptr;
    return current;
  }

  static std::string TargetPath(const std::string& folder, const std::string& name) {
    std::string relative = name;
    for (auto& c : relative) if (c == '\\') c = '/';
    const std::string path = folder + relative;
    fs::create_directories(fs::path(path).parent_path());
    return path;
  }

  static std::int32_t CV_STDCALL Notify(std::int32_t type, void* record) {
    Harness& h = *Current();
    h.lastType = type;
    switch (type) {
      case unpack::kFileToExtract: {
        auto& file = *static_cast<unpack::FileRecord*>(record);
        h.files.push_back(file.Name);
        if (h.onFile) return h.onFile(file);
        const std::string path = TargetPath(h.output, file.Name);
        std::snprintf(file.OutputPath, sizeof file.OutputPath, "%s", path.c_str());
        return 1;
      }
      case unpack::kFileComplete: {
        auto& file = *static_cast<unpack::FileRecord*>(record);
        h.completed.push_back(file.Name);
        return h.onComplete ? h.onComplete(file) : 1;
      }
      case unpack::kDataWritten: {
        auto& progress = *static_cast<unpack::ProgressRecord*>(record);
        return h.onWrite ? h.onWrite(progress) : 1;
      }
      case unpack::kCabinetNeeded: {
        auto& cabinet = *static_cast<unpack::CabinetRecord*>(record);
        h.cabinets.push_back(cabinet.CabinetName);
        return h.onCabinet ? h.onCabinet(cabinet) : -1;
      }
      default:
        ADD_FAILURE() << "unknown notification " << type;
        return 0;
    }
  }

  static void CV_STDCALL Hook(void* buffer, std::int32_t count) {
    Harness& h = *Current();
    std::string bytes(static_cast<char*>(buffer), static_cast<std::size_t>(count));
    if (h.onHook) {
      h.onHook(bytes);
      std::memcpy(buffer, bytes.data(), bytes.size());
    }
    h.hooked.push_back(bytes);
  }

  // Open, Enumerate and Close on the library's process-wide context.
  std::int32_t Extract(const std::string& container, std::int32_t index = 0,
                       bool scrambled = false, bool withHook = false) {
    if (unpack::LibraryOpen(container.c_str(), index, scrambled ? -1 : 0) != 1) return -100;
    const std::int32_t result = unpack::LibraryEnumerate(&Notify, withHook ? &Hook : nullptr);
    EXPECT_EQ(unpack::LibraryClose(), 1);
    return result;
  }
};

}  // namespace cv::test
