#pragma once

#include <vector>

#include "engine/language_list.h"

namespace cv {

// The languages of the locales installed in Windows; locales whose
// abbreviation cannot be read are left out. On the NT family the names are
// read as Unicode and converted to the ANSI code page.
std::vector<WindowsLanguage> InstalledWindowsLanguages();

// The locales installed in Windows, in the system's order.
std::vector<unsigned long> InstalledLocales();

}  // namespace cv
