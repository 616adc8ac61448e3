#include "platform/command_line.h"

#include "platform/locale_text.h"
#include "platform/wildcards.h"

namespace cv {

namespace {

bool IsSeparator(char c) { return static_cast<unsigned char>(c) < '!'; }

}  // namespace

std::size_t NextParam(std::string_view line, std::size_t cursor, std::string& param) {
  param.clear();
  std::size_t i = cursor;
  for (;;) {
    if (i < line.size() && IsSeparator(line[i])) {
      ++i;
    } else if (i + 1 < line.size() && line[i] == '"' && line[i + 1] == '"') {
      i += 2;
    } else {
      break;
    }
  }
  while (i < line.size() && !IsSeparator(line[i])) {
    if (line[i] == '"') {
      ++i;
      while (i < line.size() && line[i] != '"') {
        if (param.size() < kMaxParamLength) param += line[i];
        ++i;
      }
      if (i < line.size()) ++i;  // the closing quote
    } else {
      if (param.size() < kMaxParamLength) param += line[i];
      ++i;
    }
  }
  return i;
}

std::vector<std::string> SplitParams(std::string_view line) {
  std::vector<std::string> params;
  std::string param;
  std::size_t cursor = 0;
  for (;;) {
    cursor = NextParam(line, cursor, param);
    if (param.empty()) break;
    params.push_back(param);
  }
  return params;
}

int CountParams(std::string_view line) { return static_cast<int>(SplitParams(line).size()); }

std::string GetParam(std::string_view line, int n) {
  std::string param;
  std::size_t cursor = 0;
  for (int i = 0; i <= n; ++i) {
    cursor = NextParam(line, cursor, param);
    if (param.empty()) break;
  }
  return n < 0 ? std::string() : param;
}

void SplitFirstParam(std::string_view line, std::string& first, std::string& rest) {
  const auto params = SplitParams(line);
  first = params.empty() ? std::string() : params.front();
  rest = JoinParams(params, 1);
}

std::string JoinParams(const std::vector<std::string>& params, std::size_t first) {
  std::string line;
  for (std::size_t i = first; i < params.size(); ++i) {
    if (i > first) line += ' ';
    if (params[i].find(' ') != std::string::npos) {
      line += '"' + params[i] + '"';
    } else {
      line += params[i];
    }
  }
  return line;
}

bool IsSwitch(std::string_view argument) {
  return argument.size() > 1 && (argument[0] == '-' || argument[0] == '/');
}

bool HasSwitch(const ArgumentList& args, std::string_view name) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (IsSwitch(args[i]) && SameTextLocale(std::string_view(args[i]).substr(1), name)) return true;
  }
  return false;
}

bool FindSwitch(const ArgumentList& args, std::string_view mask, int& index) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (IsSwitch(args[i]) && MatchesMask(std::string_view(args[i]).substr(1), mask, true)) {
      index = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

}  // namespace cv
