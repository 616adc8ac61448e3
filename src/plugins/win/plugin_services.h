#pragma once
// The engine's service routines as plug-ins call them, gathered in the
// startup record.

#include <exception>

#include "corvane/plugin_api.h"

namespace cv {

// The record every plug-in gets a copy of (its id still 0): interface
// versions and the routines.
CvStartupInfo MakeStartupRecord();

// An exception a service routine caught on this thread (exceptions must not
// cross a plug-in's frames); taken once, null when there is none.
std::exception_ptr TakeServiceException();

}  // namespace cv
