#pragma once
// A folder of the test's own under the temporary root, removed with
// everything in it when the test ends.

#include <string>
#include <vector>

namespace cv::test {

class TempFolder {
 public:
  TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();

  // With trailing backslash.
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Small file helpers for tests.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
bool PathExists(const std::string& path);
// Names in `folder` (no "." or ".."), sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

}  // namespace cv::test
