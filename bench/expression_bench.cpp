// Expressions per second for a typical condition (variables, "and", "in" and
// a function call) and for the reference expansion of a typical path, in a
// project with a few hundred variables: a project with thousands of
// conditions evaluates them at start-up.

#include <cstdio>
#include <memory>
#include <string>

#include "bench_timing.h"

#include "database/main_database.h"
#include "database/variable_access.h"
#include "script/cv_evaluator.h"
#include "script/evaluate_expression.h"
#include "script/references.h"

namespace {

constexpr int kRuns = 3;
constexpr int kRepeats = 20000;

void Report(const char* what, double seconds) {
  std::printf("%-26s %9.0f per second (%.2f us each)\n", what, kRepeats / seconds,
              seconds / kRepeats * 1e6);
}

// The database of a project with `predefined` variables the lookups have to
// pass over, as predefined ones would be, before the ones the expressions use.
std::unique_ptr<cv::TcvMainDatabase> BenchDatabase(int predefined) {
  using namespace cv;
  auto database = TcvMainDatabase::New();
  for (int i = 0; i < predefined; ++i) SetVar(database.get(), "Predefined" + std::to_string(i), "value");
  SetVar(database.get(), "ProgramFiles", "C:\\Program Files");
  SetVar(database.get(), "Company", "Example Company");
  SetVar(database.get(), "AppName", "Demo");
  SetVar(database.get(), "InstallDir", "%ProgramFiles%\\%Company%\\%AppName%");
  SetVar(database.get(), "Edition", "Pro");
  SetVar(database.get(), "Count", "7");
  return database;
}

const std::string kCondition = "%Count% > 3 and %Edition% in 'Lite,Pro,Ent' and Length(%AppName%) = 4";

double ConditionSeconds(cv::TcvMainDatabase* database) {
  using namespace cv;
  std::string value;
  const double seconds = bench::BestSeconds(kRuns, [&] {
    for (int i = 0; i < kRepeats; ++i) value = TheEvaluator().EvaluateFor(database, 0, 0, true, kCondition);
  });
  if (value != "1") std::printf("unexpected condition value %s\n", value.c_str());
  return seconds;
}

}  // namespace

int main() {
  using namespace cv;
  InstallEvaluatorHooks();
  auto large = BenchDatabase(5000);
  SetMainDatabase(large.get());
  const double largeConditions = ConditionSeconds(large.get());
  SetMainDatabase(nullptr);
  large.reset();

  auto database = BenchDatabase(300);
  SetMainDatabase(database.get());
  const double conditions = ConditionSeconds(database.get());
  Report("condition", conditions);
  Report("condition, 5000 variables", largeConditions);
  std::printf("5000 against 300 variables: %.2f\n", conditions / largeConditions);

  std::string value;
  const double paths = bench::BestSeconds(kRuns, [&] {
    for (int i = 0; i < kRepeats; ++i) value = ExpandText(database.get(), 0, "%InstallDir%\\bin\\[Missing]");
  });
  if (value.empty()) std::printf("unexpected empty path\n");
  Report("reference expansion", paths);

  const double plain = bench::BestSeconds(kRuns, [&] {
    for (int i = 0; i < kRepeats; ++i) value = TheEvaluator().EvaluateFor(database.get(), 0, 0, false, "2 + 3 * 4 = 14");
  });
  Report("arithmetic, no references", plain);
  SetMainDatabase(nullptr);
  return 0;
}
