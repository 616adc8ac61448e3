#pragma once
// The operations of the action list: recording changes as the installation
// makes them, undoing them after a failure, and carrying them across a
// restart.

#include <memory>
#include <string>

#include "database/project_enums.h"
#include "install/install_actions.h"

namespace cv {

class TcvMainDatabase;

// The engine's one action list, from start-up to shutdown.
TInstallActions& ActionList();

// Records a file that is about to be written, replaced or removed. An
// existing target is first copied into the database's backup folder; with
// `removeExisting` it is then deleted, and when it is locked the action
// becomes pending: the new content goes to `TmpFileName` and replaces the
// target at the next start (variable `Reboot` is set). Null when the target
// exists but could not be backed up (or a locked one given a temporary
// file): nothing was changed and nothing recorded, and the caller must not
// write the file, since a rollback could not give the user's file back.
TInstallFile* AddFile(TInstallActions& list, const std::string& path, TcvFlags flags,
                      bool removeExisting);

// AddFile with `removeExisting` for a file that goes without a successor: a
// locked one is pending without a temporary file, and so is deleted at the
// next start rather than replaced by an empty file.
TInstallFile* AddRemovedFile(TInstallActions& list, const std::string& path, TcvFlags flags);

// AddFile for a target the caller has just found missing: nothing to back up
// or remove, so the file system is not asked again.
TInstallFile* AddAbsentFile(TInstallActions& list, const std::string& path, TcvFlags flags);

// The first file action for `path`, compared without regard to case.
TInstallFile* FindFile(const TInstallActions& list, const std::string& path);

// Creates the missing folders (keys) of the path from the top down; with
// `record` each created one is appended as an action, parents first.
void AddFolderChain(TInstallActions& list, const std::string& path, bool record);
void AddKeyChain(TInstallActions& list, const std::string& path, bool record);

// Notes the value `Param` of `Key` as it is now in `reg`: Existed, OldType,
// OldValue in its textual form (an expandable string as stored, so that its
// references come back as references) and, when that form would not give
// the same bytes back, OldData. Nothing but Existed false for a missing one.
void RecordRegistryValue(TInstallReg& reg);

// For every pending file: at the next start its new content replaces it, or,
// with no new content, it is deleted.
void ScheduleReplacements(const TInstallActions& list);

// Undoes every action from the last to the first (except those marked
// DontRollback) and empties the list. Never stops at an error: a file that
// cannot be deleted or restored is reported in a box and the rest goes on.
void RollbackAll(TInstallActions& list);
void RollbackAction(TInstallAction& action);

// "MainDB" (root "cv2project") and "InstallActions" (root "installactions")
// in `workFolder` (with its trailing backslash); each step only when the one
// before it succeeded.
bool SaveResumeState(const std::string& workFolder, const TcvMainDatabase& database,
                     const TInstallActions& list);
bool LoadResumeState(const std::string& workFolder, TcvMainDatabase& database,
                     TInstallActions& list);

}  // namespace cv
