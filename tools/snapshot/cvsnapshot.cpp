// cvsnapshot: the state of the Wine prefix (or a Windows machine) before and
// after an installation.
//
//   cvsnapshot take FILE [--exclude PREFIX]...   saves the registry and drive C:
//   cvsnapshot diff BEFORE AFTER                 prints each difference; exit 1 when any
//   cvsnapshot diff BEFORE                       compares with the machine now
//   --brief                                      sizes and value texts only
//
// PREFIX is an entry name's start: "REG HKCU\Software\X", "DIR C:\work\",
// "FILE C:\work\".

#include <cstdio>
#include <string>
#include <vector>

#include "machine_snapshot.h"

namespace {

int Usage() {
  std::fputs("usage: cvsnapshot take FILE [--exclude PREFIX]...\n"
             "       cvsnapshot diff BEFORE [AFTER] [--brief] [--exclude PREFIX]...\n",
             stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using cv::snapshot::MachineSnapshot;
  std::vector<std::string> args(argv + 1, argv + argc);
  std::vector<std::string> excluded, files;
  bool brief = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--brief") {
      brief = true;
    } else if (args[i] == "--exclude" && i + 1 < args.size()) {
      excluded.push_back(args[++i]);
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() == 2 && files[0] == "take") {
    if (cv::snapshot::TakeMachineSnapshot(excluded).Save(files[1])) return 0;
    std::fprintf(stderr, "cvsnapshot: cannot write %s\n", files[1].c_str());
    return 3;
  }
  if ((files.size() == 2 || files.size() == 3) && files[0] == "diff") {
    MachineSnapshot before, after;
    if (!before.Load(files[1])) {
      std::fprintf(stderr, "cvsnapshot: cannot read %s\n", files[1].c_str());
      return 3;
    }
    if (files.size() == 3) {
      if (!after.Load(files[2])) {
        std::fprintf(stderr, "cvsnapshot: cannot read %s\n", files[2].c_str());
        return 3;
      }
    } else {
      after = cv::snapshot::TakeMachineSnapshot(excluded);
    }
    for (const std::string& prefix : excluded) before.Exclude(prefix);
    const auto differences = before.DifferencesTo(after);
    std::fputs(cv::snapshot::DescribeDifferences(differences, brief).c_str(), stdout);
    return differences.empty() ? 0 : 1;
  }
  return Usage();
}
