#pragma once
// How a variable is set in "autoexec.bat" (the 9x family keeps its
// environment there): pure text work on the file's lines, kept apart from the
// file handling so that the rules can be checked on any machine.

#include <string>
#include <string_view>
#include <vector>

namespace cv {

// The lines of a text file: CR LF, LF or a lone CR ends a line, and text after
// the last line end is a last line. A Ctrl-Z ends the text: DOS editors left
// one at the end of batch files and COMMAND.COM reads no further, so a line
// kept after it would never run.
std::vector<std::string> SplitTextFileLines(std::string_view text);

// Each line followed by CR LF.
std::string JoinTextFileLines(const std::vector<std::string>& lines);

// Whether `line` sets `name`: without surrounding blanks it starts with "SET "
// (any case), and the rest, without surrounding blanks, has `name` (any case)
// before its first "=".
bool IsSetLineFor(std::string_view line, std::string_view name);

// "SET name=value".
std::string SetLine(std::string_view name, std::string_view value);

struct AutoexecEdit {
  std::vector<std::string> Lines;
  bool Found = false;  // the file already set the variable
};

// The lines after setting `name` to `value`: every line that sets the name is
// replaced by "SET name=value", or left out when `value` is empty; when no
// line set it and `value` is not empty, that line is appended. Every other
// line stays as it was.
AutoexecEdit SetAutoexecVariableLines(const std::vector<std::string>& lines, std::string_view name,
                                      std::string_view value);

}  // namespace cv
