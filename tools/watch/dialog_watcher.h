#pragma once
// Finds the dialog boxes (window class "#32770") that a process shows, records
// what a user would see in each — caption, text, icon, place — and answers
// them as a user would, by pressing a button. Runs on its own thread, so it
// works for boxes shown by the test itself as well as by a child process.

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace cv::test {

enum class DialogIcon { None, Error, Warning, Information, Question, Other };

const char* DialogIconName(DialogIcon icon);

struct SeenDialog {
  std::string Caption;
  std::string Text;  // the static texts of the box, joined by "\n"
  DialogIcon Icon = DialogIcon::None;
  RECT Rect = {};
  HWND Owner = nullptr;
};

class DialogWatcher {
 public:
  // Watches the boxes of `processId` (0: every process) and presses `button`
  // in each (IDOK, IDCANCEL, IDYES...).
  explicit DialogWatcher(DWORD processId = GetCurrentProcessId(), int button = IDOK);
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;
  ~DialogWatcher();

  void SetProcess(DWORD processId);
  // While held, boxes are recorded but left open, so a test can look at the
  // state of the program while the user reads its message.
  void Hold(bool hold);

  // Waits until `count` boxes have been seen; false on time-out.
  bool WaitForCount(std::size_t count, DWORD timeoutMs);
  std::vector<SeenDialog> Seen() const;

 private:
  void Run();
  void Scan();

  std::atomic<DWORD> processId_;
  const int button_;
  std::atomic<bool> hold_{false};
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<SeenDialog> seen_;
  std::set<HWND> recorded_;
  std::set<HWND> settling_;  // seen once, not yet active (watcher thread only)
  std::thread thread_;
};

}  // namespace cv::test
