#pragma once
// What the action list asks of the system for a file it backs up, removes or
// restores: COM self-registration and font resources.

#include <functional>
#include <string>

namespace cv {

using ServerRegistration = std::function<bool(const std::string& file)>;

// The routines that (un)register a COM server: by default the file's own
// registration entry (a library's exports, a program's switch) and its type
// library; a test may put its own in place.
ServerRegistration& RegisterServerRoutine();
ServerRegistration& UnregisterServerRoutine();

bool AddFontFile(const std::string& file);
bool RemoveFontFile(const std::string& file);
// Tells every top-level window that the fonts changed.
void BroadcastFontChange();

// The key under which the system lists its fonts, with a trailing backslash:
// the 9x family and the NT family keep it in different places.
std::string FontsRegistryKey();

}  // namespace cv
