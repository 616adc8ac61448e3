#pragma once
// The uninstall run: reads the install log the installation wrote and undoes
// every logged change, section by section in a fixed order, on a worker
// thread while the calling thread keeps the windows alive. Nothing is
// recorded and nothing is rolled back: every change is final.

#include <string>

#include "database/main_database.h"

namespace cv {

class UninstallRunHost {
 public:
  virtual ~UninstallRunHost() = default;
  virtual TcvMainDatabase& Database() = 0;
  // Variables and expressions resolved.
  virtual std::string Resolve(const std::string& text);
  // The running engine program ("Uninstall.exe" when started from the
  // product's entry).
  virtual std::string EngineProgram();
  // Removes the running program when it lies in the installation folder:
  // at the next start of Windows when one is due, else, with its folder,
  // once the process has ended.
  virtual void RemoveEngineProgram(bool atRestart);
};

// The whole run on a worker thread; true when the thread ended with success.
bool RunUninstall(UninstallRunHost& host);

// The same work on the calling thread (the worker's body).
bool UninstallWork(UninstallRunHost& host);

}  // namespace cv
