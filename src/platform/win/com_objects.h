#pragma once
// COM on the calling thread, and asking it whether a class is available on
// this system.

#include <windows.h>

namespace cv {

// COM initialised (single-threaded apartment) for the object's life when the
// thread has not initialised it yet; a thread that already has, in either
// mode, keeps what it has.
class ComScope {
 public:
  ComScope();
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope();

 private:
  bool initialised_ = false;
};

// Whether an in-process object of `classId` can be created and answers
// `interfaceId`; the object is released at once.
bool CanCreateInProcessObject(const CLSID& classId, const IID& interfaceId);

}  // namespace cv
