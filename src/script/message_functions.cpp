// Built-in functions on messages and parameter blocks, through which event
// scripts talk to plug-ins.

#include <string>

#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "script/function_args.h"

namespace cv::builtin {

CV_FUNCTION(SendMessage) {
  (void)context;
  // The engine sends; the blocks belong to the script.
  const std::int32_t answer = SendMessageByName(Arg(args, 0), ArgInt(args, 1), ArgInt(args, 2),
                                                ArgFlag(args, 4), ArgFlag(args, 3));
  result = std::to_string(answer);
}

CV_FUNCTION(GetParam) {
  (void)context;
  result = GetStr(ArgInt(args, 0), ArgInt(args, 1));
}

CV_FUNCTION(SetParam) {
  (void)context;
  (void)result;
  SetStr(ArgInt(args, 0), ArgInt(args, 1), Arg(args, 2));
}

CV_FUNCTION(AddParam) {
  (void)context;
  (void)result;
  AddStr(ArgInt(args, 0), Arg(args, 1));
}

CV_FUNCTION(GetParamCount) {
  (void)context;
  result = std::to_string(GetCount(ArgInt(args, 0)));
}

CV_FUNCTION(SetParamCount) {
  (void)context;
  (void)result;
  SetCount(ArgInt(args, 0), ArgInt(args, 1));
}

CV_FUNCTION(CreateParams) {
  (void)context;
  const std::int32_t block = CreateBlock();
  if (args) {
    for (const std::string& value : *args) AddStr(block, value);
  }
  result = std::to_string(block);
}

CV_FUNCTION(CreateParamsBlock) {
  (void)args;
  (void)context;
  result = std::to_string(CreateBlock());
}

CV_FUNCTION(DestroyParamsBlock) {
  (void)context;
  (void)result;
  DestroyBlock(ArgInt(args, 0));
}

}  // namespace cv::builtin
