#include "authoring_commands.h"

#include <map>

#include "authoring_options.h"
#include "command_line.h"
#include "project_check.h"

namespace cv::build {

namespace {


bool ParseAuthoring(const std::vector<std::string>& arguments, AuthoringOptions& options,
                    std::string& problem) {
  options.Command = arguments.front();
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--json") {
      options.Json = true;
    } else if (argument == "--strict" && options.Command == "check") {
      options.Strict = true;
    } else if (argument == "--var" && (options.Command == "eval" || options.Command == "expand")) {
      if (++i == arguments.size()) return problem = "--var needs NAME=VALUE", false;
      const std::size_t equals = arguments[i].find('=');
      if (equals == std::string::npos || equals == 0) return problem = "--var needs NAME=VALUE", false;
      options.Variables.emplace_back(arguments[i].substr(0, equals), arguments[i].substr(equals + 1));
    } else if (argument == "--password" && options.Command == "explain") {
      if (++i == arguments.size()) return problem = "--password needs a text", false;
      options.Password = arguments[i];
    } else if (argument == "--" ) {
      options.Positional.insert(options.Positional.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                arguments.end());
      break;
    } else if (argument.size() > 1 && argument[0] == '-' && options.Positional.size() < 1) {
      return problem = "unknown option " + argument, false;
    } else {
      options.Positional.push_back(argument);
    }
  }
  const std::size_t wanted = options.Command == "eval" || options.Command == "expand" ? 2 : 1;
  if (options.Positional.size() != wanted) {
    problem = options.Command + " takes " + (wanted == 2 ? "a project and a text" : "one file");
    return false;
  }
  return true;
}

const char* SeverityName(Severity level) { return level == Severity::Error ? "error" : "warning"; }

int RunCheck(const AuthoringOptions& options, std::FILE* out) {
  const CheckReport report = CheckProject(options.Positional.front());
  const bool failed = report.Errors() > 0 || (options.Strict && report.Warnings() > 0);
  if (options.Json) {
    std::string json = "{\"project\":" + JsonString(options.Positional.front()) + ",\"errors\":" +
                       std::to_string(report.Errors()) + ",\"warnings\":" + std::to_string(report.Warnings()) +
                       ",\"diagnostics\":[";
    bool first = true;
    for (const Diagnostic& d : report.Diagnostics) {
      if (!first) json += ",";
      first = false;
      json += "{\"severity\":\"" + std::string(SeverityName(d.Level)) + "\",\"file\":" + JsonString(d.File) +
              ",\"line\":" + std::to_string(d.Line) + ",\"column\":" + std::to_string(d.Column) +
              ",\"message\":" + JsonString(d.Message) + "}";
    }
    json += "]}\n";
    std::fputs(json.c_str(), out);
  } else {
    for (const Diagnostic& d : report.Diagnostics) std::fprintf(out, "%s\n", FormatDiagnostic(d).c_str());
    std::fprintf(out, "%d error(s), %d warning(s)\n", report.Errors(), report.Warnings());
  }
  return failed ? kExitInput : kExitOk;
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': json += "\\\""; break;
      case '\\': json += "\\\\"; break;
      case '\n': json += "\\n"; break;
      case '\r': json += "\\r"; break;
      case '\t': json += "\\t"; break;
      default:
        if (u < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
          json += escaped;
        } else {
          json += c;
        }
    }
  }
  return json + "\"";
}

bool IsAuthoringCommand(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return false;
  const std::string& first = arguments.front();
  return first == "check" || first == "eval" || first == "expand" || first == "explain";
}

int RunAuthoringCommand(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* messages) {
  AuthoringOptions options;
  std::string problem;
  if (!ParseAuthoring(arguments, options, problem)) {
    std::fprintf(messages, "cvbuild %s: %s\nTry 'cvbuild --help'.\n", arguments.front().c_str(), problem.c_str());
    return kExitUsage;
  }
  if (options.Command == "check") return RunCheck(options, out);
  if (options.Command == "explain") return RunExplain(options, out, messages);
  return RunEvaluate(options, out, messages);
}

}  // namespace cv::build
