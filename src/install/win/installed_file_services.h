#pragma once
// What the action list asks of the system for a file it backs up, removes or
// restores: COM self-registration and font resources.

#include <functional>
#include <string>

namespace cv {

using ServerRegistration = std::function<bool(const std::string& file)>;

// The routines that (un)register a COM server; by default the library's own
// "DllRegisterServer" / "DllUnregisterServer". The server step installs the
// full registration (type libraries, programs) when it is built.
ServerRegistration& RegisterServerRoutine();
ServerRegistration& UnregisterServerRoutine();

bool AddFontFile(const std::string& file);
bool RemoveFontFile(const std::string& file);
// Tells every top-level window that the fonts changed.
void BroadcastFontChange();

}  // namespace cv
