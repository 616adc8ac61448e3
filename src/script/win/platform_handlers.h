#pragma once
// The built-in functions that work on the system's files, registry, programs
// and windows. Their names carry "Function" so that none meets a Windows
// macro (DeleteFile, MessageBox) or the platform routine it wraps.

#include "script/function_args.h"

namespace cv::builtin {

// Files and folders.
CV_FUNCTION(FileVersionFunction);
CV_FUNCTION(FileDateFunction);
CV_FUNCTION(FileExistsFunction);
CV_FUNCTION(FolderExistsFunction);
CV_FUNCTION(CreateFolderFunction);
CV_FUNCTION(FileSizeFunction);
CV_FUNCTION(ShortFileNameFunction);
CV_FUNCTION(RenameFileFunction);
CV_FUNCTION(DeleteFileFunction);
CV_FUNCTION(LoadFileFunction);
CV_FUNCTION(SaveFileFunction);
// The registry and installed runtimes.
CV_FUNCTION(RegKeyExistsFunction);
CV_FUNCTION(RegParamExistsFunction);
CV_FUNCTION(GetRegParamFunction);
CV_FUNCTION(SetRegParamFunction);
CV_FUNCTION(NETFrameworkInstalledFunction);
CV_FUNCTION(NETFrameworkVersionInstalledFunction);
// Programs, windows, mutexes and the user.
CV_FUNCTION(ExecuteFunction);
CV_FUNCTION(WindowExistsFunction);
CV_FUNCTION(MutexExistsFunction);
CV_FUNCTION(MessageBoxFunction);

}  // namespace cv::builtin
