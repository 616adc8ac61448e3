#pragma once
// How the expression language reaches the run it belongs to: the install
// control functions (abort, suspend, resume), the language, the package
// password, the install log and the engine's file copy live in the engine
// and the installation run, which install their routines here. Until they
// do, the functions do nothing (and CopyFile fails).

#include <functional>
#include <string>

namespace cv {

class TXMLObject;

struct InstallControlRoutines {
  std::function<void()> AbortInstall;
  std::function<void()> SuspendInstall;
  std::function<void()> ResumeInstall;
  std::function<void(const std::string& languageId)> SetLanguage;
  std::function<void(const std::string& password)> SetPassword;
  std::function<void(const std::string& section, const std::string& key, const std::string& value)>
      LogOperation;
  // The engine's file copy (named so that no Windows macro renames it).
  std::function<bool(const std::string& source, const std::string& target)> Copy;
};

// Installs the routines and answers the previous ones.
InstallControlRoutines SetInstallControl(InstallControlRoutines routines);
// A copy of the installed routines (safe to call from any thread).
InstallControlRoutines InstallControl();

}  // namespace cv
