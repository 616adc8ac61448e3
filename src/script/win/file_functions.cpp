// Built-in functions on files and folders.

#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>

#include "platform/win/file_system.h"
#include "platform/date_time.h"
#include "platform/file_io.h"
#include "platform/win/file_access.h"
#include "platform/win/file_version.h"
#include "platform/win/regional_settings.h"
#include "script/win/platform_handlers.h"

namespace cv::builtin {

namespace {

// "mm/dd/yyyy hh:mm:ss" with the user's own separators: the one date text
// of the language that follows the regional settings rather than the
// engine's fixed formats.
std::string RegionalDateTimeText(const LocalTime& time) {
  const DateTimeSeparators separators = UserDateTimeSeparators();
  const char* date = separators.Date.c_str();
  const char* clock = separators.Time.c_str();
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%02d%s%02d%s%04d %02d%s%02d%s%02d", time.Month, date,
                time.Day, date, time.Year, time.Hour, clock, time.Minute, clock, time.Second);
  return buffer;
}

}  // namespace

CV_FUNCTION(FileVersionFunction) {
  (void)context;
  std::string version;
  result = GetFileVersionText(Arg(args, 0), version) ? std::move(version) : std::string("0");
}

CV_FUNCTION(FileDateFunction) {
  (void)context;
  // A missing file gives the day counting starts from, 30 December 1899.
  LocalTime time{1899, 12, 30};
  FileLastWriteTime(Arg(args, 0), time);
  result = RegionalDateTimeText(time);
}

CV_FUNCTION(FileExistsFunction) {
  (void)context;
  result = TruthText(cv::FileExists(Arg(args, 0)));
}

CV_FUNCTION(FolderExistsFunction) {
  (void)context;
  result = TruthText(cv::FolderExists(Arg(args, 0)));
}

CV_FUNCTION(CreateFolderFunction) {
  (void)context;
  (void)result;
  ForceFolders(Arg(args, 0));
}

CV_FUNCTION(FileSizeFunction) {
  (void)context;
  result = std::to_string(FileSizeOf(Arg(args, 0)));
}

CV_FUNCTION(ShortFileNameFunction) {
  (void)context;
  result = ShortPathName(Arg(args, 0));
}

CV_FUNCTION(RenameFileFunction) {
  (void)context;
  result = TruthText(MoveFileA(Arg(args, 0).c_str(), Arg(args, 1).c_str()) != 0);
}

CV_FUNCTION(DeleteFileFunction) {
  (void)context;
  result = TruthText(DeleteFileForced(Arg(args, 0)));
}

CV_FUNCTION(LoadFileFunction) {
  (void)context;
  if (!ReadWholeFile(Arg(args, 0), result)) result.clear();
}

CV_FUNCTION(SaveFileFunction) {
  (void)context;
  (void)result;
  OverwriteFile(Arg(args, 0), Arg(args, 1));
}

}  // namespace cv::builtin
