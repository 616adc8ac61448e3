#include "script/function_args.h"

namespace cv {

// The native Linux build has no files, registry or windows of the target
// system to offer.
FunctionHandler PlatformFunction(std::string_view, std::int32_t) { return {}; }

}  // namespace cv
