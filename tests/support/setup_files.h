#pragma once
// Setup files for tests: projects built by the repository's own cvbuild.exe
// around its own CVEngine.exe, as a product author builds them.

#include <string>

namespace cv::test {

std::string Quoted(const std::string& text);

// A path of the host's file system as Wine shows it: on drive Z:.
std::string WinePathOfHost(const std::string& hostPath);

// A file of the repository's examples folder (CV_EXAMPLES_DIR), relative
// path with backslashes, as Wine shows it.
std::string ExampleFile(const std::string& relative);

// Builds `project` into `setupFile` with the extra cvbuild `options`
// around `engine` (the test programs' CVEngine.exe when empty); answers
// cvbuild's exit code (0xFFFFFFFF when it did not run or end).
unsigned BuildSetupFile(const std::string& project, const std::string& setupFile,
                        const std::string& options = "", const std::string& engine = "");

// The UninstallString a product registered under its ID, per machine or
// per user; empty when it registered none.
std::string UninstallCommand(const std::string& appId);

// What the hello example installs (its default folder, its registry key,
// its Start menu folder and its uninstall entry), removed when the object is
// made and again when it goes, so that a test leaves the prefix as it found
// it.
class HelloExampleTraces {
 public:
  HelloExampleTraces() { Remove(); }
  HelloExampleTraces(const HelloExampleTraces&) = delete;
  HelloExampleTraces& operator=(const HelloExampleTraces&) = delete;
  ~HelloExampleTraces() { Remove(); }

  static std::string StartMenuFolder();  // with trailing backslash
  static std::string InstallFolder();    // the default one, with trailing backslash
  static void Remove();
};

}  // namespace cv::test
