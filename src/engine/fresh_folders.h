#pragma once
// Which targets of the copy step are known not to exist without asking the
// file system: a folder the step itself created started empty, so a file in
// it is missing unless the step has put a file of that name somewhere. Where
// names are matched without case (and file systems that are not are made to
// behave so), each look for a missing name searches the whole folder, which
// made installing into a new folder cost a search per file.
//
// Every doubt answers "unknown", after which the caller looks: names of
// written files are compared by their last element only (the same folder can
// be spelled in more than one way), and short names with "~" and folders
// spelled with "." or ".." elements are never vouched for.

#include <string>
#include <string_view>
#include <unordered_set>

namespace cv {

class FreshFolders {
 public:
  // `folder` (with or without trailing backslash) did not exist and was
  // created by the step.
  void AddCreated(std::string_view folder);
  // A file the step is about to write or has written, wherever it lies.
  void AddTarget(std::string_view path);
  // True only when `path` certainly does not exist: its folder was created
  // by the step and no file of its name has been written.
  bool KnownMissing(std::string_view path) const;

 private:
  std::unordered_set<std::string> folders_;
  std::unordered_set<std::string> names_;
};

}  // namespace cv
