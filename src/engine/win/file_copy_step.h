#pragma once
// The installation's file step: the files a project removes, its folders,
// every package's data cabinet and the external files, each decided against
// what is already installed (versions, dates, the user's answer, protected
// system files) and recorded as install actions.

#include <string>

#include "install/win/install_run.h"

namespace cv {

// Removes the files of every component's remove items.
bool RemoveProjectFiles(InstallRunHost& host);

// The copy step; runs on the installation's worker thread.
bool CopyProjectFiles(InstallRunHost& host);

}  // namespace cv
