#pragma once
// The built-in functions of the expression language, registered in their
// fixed order (plug-ins' functions come after them).

namespace cv {

class TkeEvaluator;

void RegisterBuiltinFunctions(TkeEvaluator& evaluator);

}  // namespace cv
