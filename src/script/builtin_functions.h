#pragma once
// The built-in functions of the expression language, registered in their
// fixed order (plug-ins' functions come after them).

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace cv {

class TkeEvaluator;

void RegisterBuiltinFunctions(TkeEvaluator& evaluator);

// Every built-in function's name and argument count, on every platform
// (also those the running platform cannot compute), in registration order:
// tools that check projects without running them need the whole table.
std::vector<std::pair<std::string, std::int32_t>> BuiltinFunctionSignatures();

}  // namespace cv
