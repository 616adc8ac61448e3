#pragma once
// Command-line tokenizing and switch lookup.
//
// A command line is split the way the engine has always split it: blanks and
// control characters separate parameters, double quotes group blanks into one
// parameter and are dropped, and a pair of adjacent quotes between parameters
// is skipped.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cv {

// Longest parameter NextParam returns; longer ones are cut (the cursor still
// moves past the whole parameter).
inline constexpr std::size_t kMaxParamLength = 256;

// Reads the parameter that starts at or after `cursor` (0-based) in `line`
// into `param` and returns the cursor just past it. An empty `param` means
// there are no more parameters.
std::size_t NextParam(std::string_view line, std::size_t cursor, std::string& param);

int CountParams(std::string_view line);

// Parameter `n`, counted from 0; empty when there is none.
std::string GetParam(std::string_view line, int n);

// `first` := parameter 0; `rest` := parameters 1 onward joined with single
// spaces, each one that contains a space wrapped in double quotes.
void SplitFirstParam(std::string_view line, std::string& first, std::string& rest);

// All parameters of `line` in order.
std::vector<std::string> SplitParams(std::string_view line);

// The parameters from `first` on as one line: those holding a space in
// double quotes, joined with single spaces.
std::string JoinParams(const std::vector<std::string>& params, std::size_t first);

// Program arguments: element 0 is the program, elements 1.. its arguments.
using ArgumentList = std::vector<std::string>;

// Whether an argument is "-" or "/" followed by `name` (ignoring case by the
// locale).
bool HasSwitch(const ArgumentList& args, std::string_view name);

// Whether an argument is "-" or "/" followed by text matching `mask`
// (ignoring case); `index` receives the first such argument's number.
bool FindSwitch(const ArgumentList& args, std::string_view mask, int& index);

// Whether the argument is a switch: longer than one character and starting
// with "-" or "/".
bool IsSwitch(std::string_view argument);

}  // namespace cv
