#pragma once
// The open file behind an ini-file object, and where a bare ini file name
// lives. Ini objects that may write keep their file open for their whole life
// so that no other program (or other ini object) can change it underneath
// them, while readers stay welcome; how that is enforced is the platform's.

#include <string>
#include <string_view>

namespace cv {

// The full name of an ini file given as `name`. A name without any folder
// part ("setup.ini") is looked up where Windows keeps its own ini files: the
// Windows folder. Any other name is returned unchanged. The native Linux build
// has no Windows folder and leaves every name as it is (a bare name is then
// relative to the current directory).
std::string IniFullFileName(const std::string& name);

// Whether `path` names something that exists (a file or a folder). Paths are
// ANSI texts on Windows, so they go to the system as they are.
bool IniPathExists(const std::string& path);

// Creates the folder of the file `path` with all missing parents. Failures
// are not reported: they show when the file is opened.
void IniCreateFolderOf(const std::string& path);

class IniFileHandle {
 public:
  enum class Mode {
    // Read access; others may read and write. Fails when the file is absent.
    Read,
    // Read and write access; others may only read. Opens or creates.
    ReadWrite,
  };

  IniFileHandle() = default;
  IniFileHandle(const IniFileHandle&) = delete;
  IniFileHandle& operator=(const IniFileHandle&) = delete;
  ~IniFileHandle() { Close(); }

  // Opens `path`; false when it cannot be opened in that mode (among others
  // when another writer holds it). An open handle is closed first.
  //
  // Windows enforces the sharing through the share mode of the open. The
  // native Linux build opens with open(2) and, for ReadWrite, takes a
  // non-blocking exclusive flock(2) lock on the open file: another ReadWrite
  // open (from this process or any other that asks for the lock) is refused,
  // readers take no lock and are allowed. Linux locks are advisory, so
  // programs that do not ask for the lock can still write.
  bool Open(const std::string& path, Mode mode);
  bool IsOpen() const;
  void Close();

  // The whole content from the start of the file. False on a read error.
  bool ReadAll(std::string& bytes);

  // Replaces the content: writes `bytes` from the start of the file and cuts
  // it after them. False when any step fails.
  bool Rewrite(std::string_view bytes);

 private:
#ifdef _WIN32
  void* handle_ = nullptr;  // a Windows HANDLE; never INVALID_HANDLE_VALUE
#else
  int fd_ = -1;
#endif
};

}  // namespace cv
