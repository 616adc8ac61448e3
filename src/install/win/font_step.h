#pragma once
// The font step: each font the copy step unpacked into the temporary fonts
// folder is put in its place, loaded and listed under the system's Fonts
// key, with every change recorded for rollback and the install log.

#include <string>

#include "install/install_actions.h"

namespace cv {

struct FontStepSettings {
  std::string FontsFolder;  // the system's fonts folder (variable `Fonts`)
  bool RepairMode = false;  // a repair installs a font that looks the same again
  // The box for a shared font whose count cannot be written ("%s" the path).
  std::string SharedCountError = "Cannot count the shared file \"%s\".";
};

// Walks the file actions the list holds when it starts. False, after the
// box "Cannot register font ...", at the first font that cannot be
// installed; a plug-in that answers the item's EV_BEFOREPROCESSITEM with
// non-zero skips that font. A shared font is counted where it is put or
// kept.
bool RegisterFonts(TInstallActions& list, const FontStepSettings& settings);

// A name in `folder` for a font whose file name is taken by another font:
// the base name cut so that it and a counter (0 to 99999) have at most 8
// characters, then the extension; a time-based name when all are taken.
std::string FreeFontFileName(const std::string& folder, const std::string& fileName);

}  // namespace cv
