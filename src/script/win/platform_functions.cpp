#include <iterator>

#include "platform/case_map.h"
#include "script/function_args.h"
#include "script/win/platform_handlers.h"

namespace cv {

namespace {

struct PlatformEntry {
  const char* Name;
  std::int32_t ParamCount;
  void (*Handler)(const FunctionArgs*, const TcvEvalContext&, std::string&);
};

constexpr PlatformEntry kPlatformFunctions[] = {
    {"FileVersion", 1, builtin::FileVersionFunction},
    {"FileDate", 1, builtin::FileDateFunction},
    {"FileExists", 1, builtin::FileExistsFunction},
    {"FolderExists", 1, builtin::FolderExistsFunction},
    {"CreateFolder", 1, builtin::CreateFolderFunction},
    {"FileSize", 1, builtin::FileSizeFunction},
    {"ShortFileName", 1, builtin::ShortFileNameFunction},
    {"RenameFile", 2, builtin::RenameFileFunction},
    {"DeleteFile", 1, builtin::DeleteFileFunction},
    {"Execute", 5, builtin::ExecuteFunction},
    {"LoadFile", 1, builtin::LoadFileFunction},
    {"SaveFile", 2, builtin::SaveFileFunction},
    {"RegKeyExists", 1, builtin::RegKeyExistsFunction},
    {"RegParamExists", 2, builtin::RegParamExistsFunction},
    {"GetRegParam", 3, builtin::GetRegParamFunction},
    {"SetRegParam", 4, builtin::SetRegParamFunction},
    {"NETFrameworkInstalled", 0, builtin::NETFrameworkInstalledFunction},
    {"NETFrameworkInstalled", 1, builtin::NETFrameworkVersionInstalledFunction},
    {"WindowExists", 1, builtin::WindowExistsFunction},
    {"MutexExists", 1, builtin::MutexExistsFunction},
    {"MessageBox", 4, builtin::MessageBoxFunction},
};

}  // namespace

FunctionHandler PlatformFunction(std::string_view name, std::int32_t paramCount) {
  for (const PlatformEntry& entry : kPlatformFunctions) {
    if (entry.ParamCount == paramCount && SameTextNoCase(entry.Name, name)) return entry.Handler;
  }
  return {};
}

}  // namespace cv
