#pragma once
// Reading the arguments of a built-in function: every argument is a text;
// numbers are 32-bit integers with a default, flags are true when the text
// begins with "1".

#include <cstdint>
#include <string>

#include "platform/numbers.h"
#include "script/ke_evaluator.h"

namespace cv {

// Argument `index` (0-based); "" when the call has fewer.
inline const std::string& Arg(const FunctionArgs* args, std::size_t index) {
  static const std::string empty;
  return args && index < args->size() ? (*args)[index] : empty;
}

inline std::int32_t ArgInt(const FunctionArgs* args, std::size_t index,
                           std::int32_t defaultValue = 0) {
  return StrToIntDef(Arg(args, index), defaultValue);
}

inline bool ArgFlag(const FunctionArgs* args, std::size_t index) {
  const std::string& text = Arg(args, index);
  return !text.empty() && text.front() == '1';
}

inline std::string TruthText(bool value) { return value ? "1" : "0"; }

// The handlers of the built-in functions, by group.
#define CV_FUNCTION(name) \
  void name(const FunctionArgs* args, const TcvEvalContext& context, std::string& result)

namespace builtin {
// Messages and parameter blocks.
CV_FUNCTION(SendMessage);
CV_FUNCTION(GetParam);
CV_FUNCTION(SetParam);
CV_FUNCTION(AddParam);
CV_FUNCTION(GetParamCount);
CV_FUNCTION(SetParamCount);
CV_FUNCTION(CreateParams);
CV_FUNCTION(CreateParamsBlock);
CV_FUNCTION(DestroyParamsBlock);
// Texts, lists, versions, dates and numbers.
CV_FUNCTION(SubStr);
CV_FUNCTION(FindSubStr);
CV_FUNCTION(Length);
CV_FUNCTION(CompareText);
CV_FUNCTION(ReplaceStr);
CV_FUNCTION(FilePath);
CV_FUNCTION(FileName);
CV_FUNCTION(NormalPath);
CV_FUNCTION(GetListCount);
CV_FUNCTION(GetListStr);
CV_FUNCTION(FindListStr);
CV_FUNCTION(Iif);
CV_FUNCTION(CompareVersion);
CV_FUNCTION(CompareDate);
CV_FUNCTION(Round);
// Variables and the project.
CV_FUNCTION(ActiveInstallType);
CV_FUNCTION(IsActiveInstallTypeCustom);
CV_FUNCTION(FeatureEnabled);
CV_FUNCTION(ComponentEnabled);
CV_FUNCTION(SetInstallType);
CV_FUNCTION(SetVar);
CV_FUNCTION(ParseText);
CV_FUNCTION(Include);
CV_FUNCTION(Exclude);
CV_FUNCTION(SetListStr);
CV_FUNCTION(InsertListStr);
CV_FUNCTION(AddListStr);
CV_FUNCTION(DeleteListStr);
// The run: installation thread, language, password, install log, file copy.
CV_FUNCTION(AbortInstall);
CV_FUNCTION(SuspendInstall);
CV_FUNCTION(ResumeInstall);
CV_FUNCTION(SetLanguage);
CV_FUNCTION(SetPassword);
CV_FUNCTION(LogOperation);
CV_FUNCTION(CopyFileFunction);  // not CopyFile: a Windows macro
}  // namespace builtin

// A function whose computation depends on the platform (files, registry,
// windows): null when this build has none of that name and count.
FunctionHandler PlatformFunction(std::string_view name, std::int32_t paramCount);

}  // namespace cv
