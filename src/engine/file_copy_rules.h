#pragma once
// The decisions of the copy step that need no file system: which project
// item an archive member belongs to, where a file matched through wildcards
// goes, and how two file versions compare.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "database/main_database.h"

namespace cv {

// Where the previous archive member was found, so that the next search
// starts there: members come in the order of their component's file list.
struct ItemSearch {
  const TcvComponent* Component = nullptr;
  int Index = 0;
};

struct FoundItem {
  TcvComponent* Component = nullptr;
  TcvFile* Item = nullptr;
};

// The add item (archive pass: `external` false) of the member "data\<component
// ID>\<path>" whose condition holds: its Src equals the path (both with "."
// appended when they have no extension), or its Src file name is a wildcard
// pattern the member's file name matches below the Src folder. The search
// starts at the remembered index and remembers where it matched.
FoundItem FindArchiveItem(const TcvMainDatabase& database, std::string_view memberName,
                          ItemSearch& search);

// The part of `source` below the folder of `sourcePattern`; empty when the
// source does not lie below that folder (compared without regard to case).
std::string PathBelowPatternFolder(std::string_view source, std::string_view sourcePattern);

// The destination of a file matched through wildcards: the folder of the
// resolved Dst followed by the source's part below its pattern folder.
// Nothing when that part would leave the folder (".." and parts of only dots
// and spaces, drive letters, a leading backslash).
std::optional<std::string> WildcardDestination(std::string_view resolvedDst,
                                               std::string_view relativePart);

}  // namespace cv
