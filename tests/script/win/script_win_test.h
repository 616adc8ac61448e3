#pragma once
// What the tests of the platform's built-in functions share: expressions
// evaluated by the process's evaluator for a project database of the test's
// own (set as the main database while the test runs), literals for paths,
// and the programs of the build that the tests start.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "child_process.h"
#include "database/main_database.h"
#include "script/cv_evaluator.h"

namespace cv::test {

class ScriptWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = MainDatabase();
    SetMainDatabase(db_.get());
  }
  void TearDown() override { SetMainDatabase(saved_); }

  std::string Eval(std::string_view expression) {
    return TheEvaluator().EvaluateFor(db_.get(), 0, 0, true, expression);
  }

  std::unique_ptr<TcvMainDatabase> db_ = TcvMainDatabase::New();

 private:
  TcvMainDatabase* saved_ = nullptr;
};

// `text` as a single-quoted literal of the expression language.
inline std::string Literal(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

// The helper program the tests start (see helper/script_helper.cpp); its
// file version is 3.14.1592.65535.
inline std::string HelperProgram() { return TestProgramFolder() + "script_test_helper.exe"; }

// The value of `name` in a helper's report ("name=value" lines); "<none>"
// when the report has no such line.
inline std::string ReportValue(const std::string& report, const std::string& name) {
  std::size_t start = 0;
  while (start < report.size()) {
    std::size_t end = report.find("\r\n", start);
    if (end == std::string::npos) end = report.size();
    const std::string line = report.substr(start, end - start);
    if (line.compare(0, name.size() + 1, name + "=") == 0) return line.substr(name.size() + 1);
    start = end + 2;
  }
  return "<none>";
}

// Waits until `path` exists (a helper started without waiting writes it);
// false after `timeoutMs`.
inline bool WaitForFile(const std::string& path, DWORD timeoutMs = 30000) {
  const DWORD start = GetTickCount();
  while (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

}  // namespace cv::test
