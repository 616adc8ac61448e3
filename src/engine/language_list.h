#pragma once
// The list of languages the user may choose from.

#include <string>
#include <vector>

#include "engine/setup_operations.h"

namespace cv {

// A language Windows has installed: its three-letter abbreviation and its
// full name.
struct WindowsLanguage {
  std::string Abbreviation;
  std::string Name;
};

// Replaces, for every Windows language whose upper-cased abbreviation names
// an entry of `list`, that entry by abbreviation=Windows' language name.
void ApplyWindowsLanguageNames(std::vector<LanguageEntry>& list,
                               const std::vector<WindowsLanguage>& windowsLanguages);

// Index of the entry to select automatically: `userLangId`, else "ENU",
// else 0. Case is ignored.
std::size_t AutoSelectedLanguage(const std::vector<LanguageEntry>& list,
                                 const std::string& userLangId);

}  // namespace cv
