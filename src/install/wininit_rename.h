#pragma once
// The [Rename] section of "wininit.ini", through which the 9x family moves
// and deletes files at its next start: pure text work on the file's lines,
// kept apart from the file handling so the rules run on any machine.

#include <string>
#include <string_view>
#include <vector>

namespace cv {

// The entries for one scheduled operation, in 8.3 paths: "NUL=<target>" then
// "<target>=<source>" (the old target goes, the source moves in), or with no
// target "NUL=<source>".
std::vector<std::string> WininitRenameEntries(std::string_view shortSource,
                                              std::string_view shortTarget);

// The new file's lines: every line trimmed, empty lines dropped until the
// entries are in; the entries go into the [Rename] section (any case) before
// its first empty line or the next section's head, or after the last line
// when the file ends inside it; without such a section "[Rename]" and the
// entries are added at the end.
std::vector<std::string> InsertWininitRenameEntries(const std::vector<std::string>& oldLines,
                                                    const std::vector<std::string>& entries);

// The run-once value that gives a file its long name back after the 9x
// start moved it in under its 8.3 name: name "Rename <short>", data
// "command.com /c ren <short> "<long file name>"".
std::string RunOnceRenameName(std::string_view shortPath);
std::string RunOnceRenameCommand(std::string_view shortPath, std::string_view longFileName);

}  // namespace cv
