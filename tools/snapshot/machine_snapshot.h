#pragma once
// The state of the machine, or of pieces of it, taken before and after an
// installation: every key and value of registry trees and every folder and
// file of folder trees. Two snapshots compare into named differences, so a
// test or a person sees exactly what a run left behind; a snapshot saves to
// and loads from a text file, so one taken before a run can be compared
// with one taken by another process after it.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace cv::snapshot {

// One difference: "added", "removed" or "changed", the entry's name
// ("REG HKLM\...\" for a key, "REG HKLM\...\\name" for a value, "DIR
// C:\...\", "FILE C:\...") and a readable description of the later state
// (the earlier one for a removal).
struct Difference {
  std::string Kind;
  std::string Name;
  std::string Detail;
};

class MachineSnapshot {
 public:
  // A whole registry tree; `rootName` ("HKLM", "HKCU") names `root` in the
  // entries. A key that cannot be opened adds nothing.
  void AddRegistry(HKEY root, const std::string& rootName, const std::string& subkey = "");
  // Every folder and file under `folder` (with or without trailing
  // backslash). Files are described by size, attributes and a digest of
  // their bytes (above 1 MB their last write time instead).
  void AddFolder(const std::string& folder);
  // Entries whose names start with one of these (compared without regard
  // to case) are neither taken nor compared: what changes by itself.
  void Exclude(const std::string& namePrefix);

  std::vector<Difference> DifferencesTo(const MachineSnapshot& later) const;

  bool Save(const std::string& file) const;
  bool Load(const std::string& file);

  const std::map<std::string, std::string>& Entries() const { return entries_; }

 private:
  bool Excluded(const std::string& name) const;
  void AddKey(HKEY key, const std::string& name);
  void AddTree(const std::string& folder);

  std::map<std::string, std::string> entries_;
  std::vector<std::string> excluded_;  // upper case
};

// The whole Wine prefix as Windows programs see it: HKLM, HKCU and drive C:,
// without what Wine and the session change by themselves and without
// `alsoExclude` (the caller's own folders, for example).
MachineSnapshot TakeMachineSnapshot(const std::vector<std::string>& alsoExclude = {});

// "added FILE C:\x\a.txt: 12 bytes, ...", one line a difference. `brief`
// keeps what a person reads: a file's size, a value's type and text.
std::string DescribeDifferences(const std::vector<Difference>& differences, bool brief = false);

}  // namespace cv::snapshot
