#pragma once
// The state of a piece of the machine, taken before and after: every key and
// value of a registry subtree and every file (with its bytes) and folder of
// a folder tree. Two snapshots compare into named differences, so a test
// says exactly what an installation left behind.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace cv::test {

class MachineSnapshot {
 public:
  // Each key as "REG <path>\", each value as "REG <path>\<name>" with its
  // type and bytes.
  void AddRegistry(HKEY root, const std::string& subkey);
  // Each folder as "DIR <path>\", each file as "FILE <path>" with its bytes.
  void AddFolder(const std::string& folder);

  // "added X", "removed X", "changed X" for every entry that differs.
  std::vector<std::string> DifferencesTo(const MachineSnapshot& later) const;

  const std::map<std::string, std::string>& Entries() const { return entries_; }

 private:
  std::map<std::string, std::string> entries_;
};

}  // namespace cv::test
