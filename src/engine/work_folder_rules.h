#pragma once
// What the engine may delete when it is started to resume. The resume folder
// and the program file come from the command line, which anyone can write (a
// mistyped switch, a planted RunOnce value), so the engine removes only what
// has the shape of its own: a work folder made directly in the temporary
// root under a unique name, and the "cv" copy of itself it registered there.

#include <string>

namespace cv {

// True when `name` is `prefixLength` characters of `prefix` followed by
// base-32 digits (0-9, A-V, either case) up to 8 characters in all, then
// `suffix` (compared without regard to case).
bool IsUniqueNameOf(const std::string& name, const std::string& prefix, const std::string& suffix);

// True when `folder` (with or without a trailing backslash) is
// `tempRoot` + an 8-character unique name: a place where the engine creates
// its work folders. Paths compare without regard to case.
bool HasWorkFolderShape(const std::string& folder, const std::string& tempRoot);

// True when `program` is `tempRoot` + "cv" + six base-32 characters + ".exe":
// the copy of the engine that a resume registration runs.
bool HasResumeCopyShape(const std::string& program, const std::string& tempRoot);

}  // namespace cv
