#pragma once
// An installation host for tests of the copy step in-process: its own
// project database, references resolved in it, engine strings that name
// their number, and flags the test can read.

#include <memory>
#include <string>

#include "database/main_database.h"
#include "install/win/install_run.h"
#include "script/references.h"

namespace cv::test {

class CopyStepHost : public InstallRunHost {
 public:
  TcvMainDatabase& Database() override { return *database; }
  const std::string& SetupFileName() override { return name; }
  const std::string& WorkFolder() override { return name; }
  bool& ResumeMode() override { return flag; }
  bool& Cancelled() override { return cancelled; }
  bool& ResumePending() override { return flag; }
  std::string EngineString(int n) override { return "S" + std::to_string(n) + " %s"; }
  std::string Resolve(const std::string& text) override { return ExpandText(database.get(), 0, text); }

  std::unique_ptr<TcvMainDatabase> database = TcvMainDatabase::New();
  std::string name;
  bool flag = false;
  bool cancelled = false;
};

}  // namespace cv::test
