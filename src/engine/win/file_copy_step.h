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

// Raises the count of a shared file under SharedDLLs once per install log.
// `existed` tells whether the file was there before the installation
// handled it (a file there without a count then counts 2).
bool CountSharedFile(const std::string& path, bool existed);

}  // namespace cv
