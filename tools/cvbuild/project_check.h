#pragma once
// `cvbuild check`: every condition, expression, #...# segment, script
// expression and reference of a project parsed with the engine's own
// expression parser, without running anything, and every name it uses
// (variables, components, features, packages, install types, language
// strings, functions, files) verified against the project.

#include <string>
#include <vector>

namespace cv::build {

enum class Severity { Error, Warning };

struct Diagnostic {
  Severity Level = Severity::Error;
  std::string File;
  int Line = 0;    // 1-based; 0 when unknown
  int Column = 0;  // 1-based; 0 when unknown
  std::string Message;
};

struct CheckReport {
  std::vector<Diagnostic> Diagnostics;  // in document order
  int Errors() const;
  int Warnings() const;
};

CheckReport CheckProject(const std::string& projectPath);

// "file:line:column: error: message"
std::string FormatDiagnostic(const Diagnostic& diagnostic);

}  // namespace cv::build
