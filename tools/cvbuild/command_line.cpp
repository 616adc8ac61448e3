#include "command_line.h"

#include <chrono>
#include <memory>
#include <filesystem>

#include "build_error.h"

namespace cv::build {
namespace {

[[noreturn]] void Usage(const std::string& message) {
  throw BuildError(BuildErrorKind::Usage, message);
}

// Digits only, 1 to 12 of them.
bool IsNumber(const std::string& text) {
  if (text.empty() || text.size() > 12) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Seconds since 1970 (UTC): a number, or YYYY-MM-DD[THH:MM[:SS]].
std::int64_t ParseTimestamp(const std::string& text) {
  if (IsNumber(text)) return std::stoll(text);
  auto field = [&](std::size_t at, std::size_t width) {
    const std::string part = text.substr(at, width);
    if (part.size() != width || !IsNumber(part)) Usage("bad timestamp \"" + text + "\"");
    return std::stoi(part);
  };
  const bool shapeOk = (text.size() == 10 || text.size() == 16 || text.size() == 19) &&
                       text[4] == '-' && text[7] == '-' &&
                       (text.size() == 10 || ((text[10] == 'T' || text[10] == ' ') &&
                                              text[13] == ':')) &&
                       (text.size() != 19 || text[16] == ':');
  if (!shapeOk) Usage("bad timestamp \"" + text + "\"");
  using namespace std::chrono;
  const year_month_day date{year{field(0, 4)}, month{unsigned(field(5, 2))},
                            day{unsigned(field(8, 2))}};
  const int hour = text.size() > 10 ? field(11, 2) : 0;
  const int minute = text.size() > 10 ? field(14, 2) : 0;
  const int second = text.size() > 16 ? field(17, 2) : 0;
  if (!date.ok() || hour > 23 || minute > 59 || second > 59) {
    Usage("bad timestamp \"" + text + "\"");
  }
  return sys_days{date}.time_since_epoch() / seconds{1} + hour * 3600 + minute * 60 + second;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments,
                             const char* sourceDateEpoch) {
  CommandLine command;
  BuildOptions& build = command.Build;
  std::vector<std::string> positional;
  bool options = true;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string argument = arguments[i];
    if (!options || argument.size() < 2 || argument[0] != '-') {
      positional.push_back(argument);
      continue;
    }
    if (argument == "--") {
      options = false;
      continue;
    }
    std::string value;
    bool hasValue = false;
    const std::size_t equals = argument.find('=');
    if (argument.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = argument.substr(equals + 1);
      argument.resize(equals);
      hasValue = true;
    }
    auto take = [&]() -> std::string {
      if (hasValue) return value;
      if (i + 1 >= arguments.size()) Usage("option " + argument + " needs a value");
      return arguments[++i];
    };
    if (argument == "-h" || argument == "--help") {
      command.Help = true;
    } else if (argument == "--version") {
      command.Version = true;
    } else if (argument == "-o" || argument == "--output") {
      build.OutputPath = take();
    } else if (argument == "-e" || argument == "--engine") {
      build.EnginePath = take();
    } else if (argument == "-c" || argument == "--compression") {
      const std::string kind = take();
      if (kind == "stored") {
        build.Compression = CabCompression::Stored;
      } else if (kind == "mszip") {
        build.Compression = CabCompression::Mszip;
      } else {
        Usage("unknown compression \"" + kind + "\" (stored or mszip)");
      }
    } else if (argument == "--level") {
      const std::string level = take();
      if (level.size() != 1 || level[0] < '1' || level[0] > '9') Usage("level must be 1 to 9");
      build.Level = level[0] - '0';
    } else if (argument == "-s" || argument == "--scramble") {
      build.Scramble = true;
    } else if (argument == "-p" || argument == "--password") {
      build.Password = take();
      if (build.Password.empty()) Usage("the password is empty");
    } else if (argument == "--password-file") {
      // Keeps the password out of process listings: the file's first line.
      const std::string path = take();
      std::FILE* file = std::fopen(path.c_str(), "rb");
      if (!file) Usage("cannot read the password file " + path);
      std::string line;
      int c;
      while ((c = std::fgetc(file)) != EOF && c != '\n' && c != '\r') line += static_cast<char>(c);
      std::fclose(file);
      if (line.empty()) Usage("the password file " + path + " holds no password");
      build.Password = line;
    } else if (argument == "--timestamp") {
      build.Timestamp = ParseTimestamp(take());
    } else if (argument == "--progress") {
      const std::string mode = take();
      if (mode == "auto") {
        command.Progress = ProgressMode::Auto;
      } else if (mode == "always") {
        command.Progress = ProgressMode::Always;
      } else if (mode == "never") {
        command.Progress = ProgressMode::Never;
      } else {
        Usage("unknown progress mode \"" + mode + "\" (auto, always or never)");
      }
    } else if (argument == "-q" || argument == "--quiet") {
      command.Progress = ProgressMode::Never;
    } else {
      Usage("unknown option " + argument);
    }
  }
  if (command.Help || command.Version) return command;
  if (positional.size() != 1) {
    Usage(positional.empty() ? "no project document given" : "more than one project document given");
  }
  build.ProjectPath = positional[0];
  if (build.EnginePath.empty()) Usage("no engine program given (--engine)");
  if (build.OutputPath.empty()) {
    build.OutputPath = (std::filesystem::path(build.ProjectPath).parent_path() / "setup.exe").string();
  }
  if (!build.Timestamp && sourceDateEpoch && *sourceDateEpoch) {
    if (!IsNumber(sourceDateEpoch)) {
      Usage("SOURCE_DATE_EPOCH is not a number of seconds");
    }
    build.Timestamp = std::stoll(sourceDateEpoch);
  }
  return command;
}

std::string HelpText() {
  return R"(Usage: cvbuild [options] PROJECT

Builds a setup file (the engine program with the main package appended) and
one PACKAGE.cvp file per further package, next to the setup file, from a
project document (root element "cv2project"). File paths in the document are
relative to its folder.

Options:
  -e, --engine PATH        the engine program (CVEngine.exe); required
  -o, --output PATH        the setup file (default: setup.exe beside PROJECT)
  -c, --compression KIND   stored or mszip (default mszip)
      --level N            MSZIP compression level 1-9 (default 6)
  -s, --scramble           scramble the cabinets
  -p, --password TEXT      protect the packages' data with a password
      --password-file PATH the password is the first line of PATH
      --timestamp TIME     date every packed file with TIME (seconds since
                           1970 UTC, or YYYY-MM-DD[THH:MM[:SS]] UTC) for
                           reproducible builds; SOURCE_DATE_EPOCH does the
                           same when this option is not given
      --progress MODE      auto (large packages only), always or never
  -q, --quiet              no progress display
  -h, --help               this text
      --version            the builder's version

Exit codes: 0 built, 2 wrong command line, 3 a problem in the project or a
file it names, 4 an output file cannot be written, 5 internal error.
)";
}

int RunBuild(const CommandLine& command, std::FILE* messages) {
  BuildOptions build = command.Build;
  build.Warning = [messages](const std::string& text) {
    std::fprintf(messages, "cvbuild: warning: %s\n", text.c_str());
  };
  if (command.Progress != ProgressMode::Never) {
    const bool always = command.Progress == ProgressMode::Always;
    // One line per tenth, so that logs stay readable.
    auto lastTenth = std::make_shared<int>(-1);
    auto lastName = std::make_shared<std::string>();
    build.Progress = [messages, always, lastTenth, lastName](const std::string& name,
                                                             std::uint64_t done,
                                                             std::uint64_t total) {
      if (total == 0 || (!always && total < kProgressThreshold)) return;
      if (name != *lastName) {
        *lastName = name;
        *lastTenth = -1;
      }
      const int tenth = static_cast<int>(done * 10 / total);
      if (tenth == *lastTenth) return;
      *lastTenth = tenth;
      std::fprintf(messages, "cvbuild: %s: %3d%% of %.1f MiB\n", name.c_str(), tenth * 10,
                   static_cast<double>(total) / (1024.0 * 1024.0));
      std::fflush(messages);
    };
  }
  try {
    const BuildSummary summary = BuildSetup(build);
    for (const BuiltPackage& package : summary.Packages) {
      std::fprintf(messages, "cvbuild: wrote %s (%llu bytes)\n", package.Path.c_str(),
                   static_cast<unsigned long long>(package.Result.FileSize));
    }
    return kExitOk;
  } catch (const BuildError& error) {
    std::fprintf(messages, "cvbuild: error: %s\n", error.what());
    switch (error.Kind()) {
      case BuildErrorKind::Usage:
        return kExitUsage;
      case BuildErrorKind::Input:
        return kExitInput;
      case BuildErrorKind::Output:
        return kExitOutput;
    }
    return kExitInternal;
  } catch (const std::exception& error) {
    std::fprintf(messages, "cvbuild: internal error: %s\n", error.what());
    return kExitInternal;
  }
}

}  // namespace cv::build
