#pragma once
// Self-registration of COM servers and registration of type libraries, as
// the installation and the uninstallation register the files that ask for it.

#include <string>

namespace cv {

// False when the file cannot be opened; otherwise true, with `isPE` telling
// whether it is a Windows executable image ("MZ", then "PE\0\0" at the
// offset the header names, inside the file).
bool IsPEFile(const std::string& fileName, bool& isPE);

// False when the library cannot be loaded; otherwise true, with `has`
// telling whether it exports "DllRegisterServer".
bool HasRegisterServer(const std::string& fileName, bool& has);

// A program (".exe") runs hidden in its folder with "/REGSERVER"
// ("/UNREGSERVER") and succeeds with exit code 0; a library's
// "DllRegisterServer" ("DllUnregisterServer") is called and must not fail.
bool RegisterServer(const std::string& fileName);
bool UnregisterServer(const std::string& fileName);

// The type library in the file, registered with the folder of its help file
// as help folder; unregistered by its identifier, version, locale and kind.
bool RegisterTypeLibrary(const std::string& fileName);
bool UnregisterTypeLibrary(const std::string& fileName);

// Both of the above as the install steps use them: the server when the file
// is an image that has a registration entry, then its type library; true
// when either succeeded. False when the file cannot be opened.
bool RegisterServerFile(const std::string& fileName);
bool UnregisterServerFile(const std::string& fileName);

}  // namespace cv
