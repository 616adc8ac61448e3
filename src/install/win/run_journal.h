#pragma once
// A record on disk of the changes an installation run has made so far, for
// the case where the process dies without rolling back (killed, crashed,
// Windows gone without a shutdown): the next setup of the same product finds
// it and undoes those changes before it starts its own run.
//
// The record lives in the run's work folder, beside the backups it refers
// to, and the registry names it under the product's ID
// ("HKCU\Software\Corvane\Interrupted Runs"). While the run is alive it holds
// the file open for writing without sharing writes, which tells a second
// setup that the run is not dead but still going.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "install/install_actions.h"

namespace cv {

class RunJournal {
 public:
  RunJournal() = default;
  RunJournal(const RunJournal&) = delete;
  RunJournal& operator=(const RunJournal&) = delete;
  ~RunJournal() { Close(); }

  // Starts the record of the run of `appId` in `workFolder` (with its
  // trailing backslash). False, and nothing recorded, without an ID or when
  // the file or its registry entry cannot be written.
  bool Begin(const std::string& appId, const std::string& workFolder);
  bool Active() const { return file_ != INVALID_HANDLE_VALUE; }
  // Appends the actions `list` gained since the last call. A list that got
  // shorter (a rollback took actions away) is recorded from its new end.
  void Record(const TInstallActions& list);
  // The last action of `list`, already recorded, has changed (its font name
  // or temporary file came later): its line is written again.
  void Amend(const TInstallActions& list);
  // The run ended its own way (finished, rolled back, or suspended with its
  // state saved for a resume): the record and its registry entry go.
  void End();

 private:
  void Close();
  void CutBackTo(std::uint64_t size);

  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::string appId_;
  std::string path_;
  int recorded_ = 0;  // actions of the list written so far
  std::uint64_t size_ = 0;  // bytes of the file up to its last whole line
  int lastIndex_ = -1;  // the action whose line ends the file, if one does
  std::uint64_t lastStart_ = 0;  // where that line begins
};

// The engine's one journal: SendRunEvent records into it before each event
// (the action list is then whole), AddFile and AddAbsentFile before a
// target is deleted or written.
RunJournal& CurrentRunJournal();

// When a setup of `appId` died in the middle of its run, rolls back what its
// journal recorded, hands every folder it wrote files into to
// `removeUnfinished` (for the copy step's files that never got complete),
// removes the dead run's work folder and forgets the record. A run still
// alive, or none at all, is left alone.
void RecoverInterruptedRun(const std::string& appId,
                           const std::function<void(const std::string& folder)>& removeUnfinished);

}  // namespace cv
