#pragma once
// Where the copy step writes a file until its content is complete, so that an
// interrupted extraction never leaves a truncated target: a folder of its own
// inside the target's folder (the same volume, so the finished file is renamed
// into place), holding one file at a time. Creating each partial file beside
// the targets would make the file system search the target folder for its
// name once more per file; in the private folder, which only the step writes
// to, a counter gives free names without asking. The folder is made again
// when the target folder changes and removed when no longer needed.

#include <string>

namespace cv {

class PartialFiles {
 public:
  PartialFiles() = default;
  PartialFiles(const PartialFiles&) = delete;
  PartialFiles& operator=(const PartialFiles&) = delete;
  ~PartialFiles() { Release(); }

  // A free path for content bound for `targetFolder`: in the private folder,
  // or, when none can be made there, a new empty file in `targetFolder`
  // itself (ClaimPartialFile).
  std::string Claim(const std::string& targetFolder);
  // Removes the private folder; a file still in it keeps it.
  void Release();

 private:
  std::string parent_;  // the target folder the private folder lies in
  std::string folder_;  // the private folder, with trailing backslash
  unsigned count_ = 0;  // names given in it so far
};

// A new, empty file in `folder` under a name nobody uses, created to take the
// name: one look at the folder where a test and a later creation take two.
std::string ClaimPartialFile(const std::string& folder);

// Removes the private folders a copy step that died left in `folder`, with
// the unfinished files in them. A folder holding anything the step would not
// have written there stays.
void RemoveAbandonedPartialFiles(const std::string& folder);

}  // namespace cv
