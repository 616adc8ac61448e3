#include "script/builtin_functions.h"

#include "script/function_args.h"

namespace cv {

namespace {

struct BuiltinFunction {
  const char* Name;
  std::int32_t ParamCount;
  // Null: computed by the platform's part (PlatformFunction).
  void (*Handler)(const FunctionArgs*, const TcvEvalContext&, std::string&);
};

// The order is the registration order, which numbers the functions.
constexpr BuiltinFunction kBuiltins[] = {
    {"SendMessage", 5, builtin::SendMessage},
    {"GetParam", 2, builtin::GetParam},
    {"SetParam", 3, builtin::SetParam},
    {"AddParam", 2, builtin::AddParam},
    {"GetParamCount", 1, builtin::GetParamCount},
    {"SetParamCount", 2, builtin::SetParamCount},
    {"CreateParams", -1, builtin::CreateParams},
    {"CreateParamsBlock", 0, builtin::CreateParamsBlock},
    {"DestroyParamsBlock", 1, builtin::DestroyParamsBlock},
    {"ActiveInstallType", 0, builtin::ActiveInstallType},
    {"IsActiveInstallTypeCustom", 0, builtin::IsActiveInstallTypeCustom},
    {"FeatureEnabled", 1, builtin::FeatureEnabled},
    {"ComponentEnabled", 1, builtin::ComponentEnabled},
    {"AbortInstall", 0, builtin::AbortInstall},
    {"SuspendInstall", 0, builtin::SuspendInstall},
    {"ResumeInstall", 0, builtin::ResumeInstall},
    {"SetVar", 2, builtin::SetVar},
    {"SetLanguage", 1, builtin::SetLanguage},
    {"SetInstallType", 1, builtin::SetInstallType},
    {"SetPassword", 1, builtin::SetPassword},
    {"ParseText", 2, builtin::ParseText},
    {"LogOperation", 3, builtin::LogOperation},
    {"SubStr", 3, builtin::SubStr},
    {"FindSubStr", 3, builtin::FindSubStr},
    {"Length", 1, builtin::Length},
    {"CompareText", 2, builtin::CompareText},
    {"ReplaceStr", 4, builtin::ReplaceStr},
    {"FilePath", 1, builtin::FilePath},
    {"FileName", 1, builtin::FileName},
    {"NormalPath", 1, builtin::NormalPath},
    {"FileVersion", 1, nullptr},
    {"FileDate", 1, nullptr},
    {"FileExists", 1, nullptr},
    {"FolderExists", 1, nullptr},
    {"CreateFolder", 1, nullptr},
    {"FileSize", 1, nullptr},
    {"ShortFileName", 1, nullptr},
    {"RenameFile", 2, nullptr},
    {"CopyFile", 2, builtin::CopyFileFunction},
    {"DeleteFile", 1, nullptr},
    {"Execute", 5, nullptr},
    {"LoadFile", 1, nullptr},
    {"SaveFile", 2, nullptr},
    {"RegKeyExists", 1, nullptr},
    {"RegParamExists", 2, nullptr},
    {"GetRegParam", 3, nullptr},
    {"SetRegParam", 4, nullptr},
    {"Include", 2, builtin::Include},
    {"Exclude", 2, builtin::Exclude},
    {"GetListCount", 1, builtin::GetListCount},
    {"GetListStr", 2, builtin::GetListStr},
    {"SetListStr", 3, builtin::SetListStr},
    {"InsertListStr", 3, builtin::InsertListStr},
    {"AddListStr", 2, builtin::AddListStr},
    {"DeleteListStr", 2, builtin::DeleteListStr},
    {"FindListStr", 3, builtin::FindListStr},
    {"NETFrameworkInstalled", 0, nullptr},
    {"NETFrameworkInstalled", 1, nullptr},
    {"WindowExists", 1, nullptr},
    {"MutexExists", 1, nullptr},
    {"Iif", 3, builtin::Iif},
    {"CompareVersion", 2, builtin::CompareVersion},
    {"CompareDate", 2, builtin::CompareDate},
    {"MessageBox", 4, nullptr},
    {"Round", 1, builtin::Round},
};

}  // namespace

void RegisterBuiltinFunctions(TkeEvaluator& evaluator) {
  for (const BuiltinFunction& function : kBuiltins) {
    FunctionHandler handler = function.Handler
                                  ? FunctionHandler(function.Handler)
                                  : PlatformFunction(function.Name, function.ParamCount);
    if (handler) evaluator.AddFunction(function.Name, function.ParamCount, std::move(handler));
  }
}

std::vector<std::pair<std::string, std::int32_t>> BuiltinFunctionSignatures() {
  std::vector<std::pair<std::string, std::int32_t>> signatures;
  for (const BuiltinFunction& function : kBuiltins) {
    signatures.emplace_back(function.Name, function.ParamCount);
  }
  return signatures;
}

}  // namespace cv
