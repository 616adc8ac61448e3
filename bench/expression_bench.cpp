// Expressions per second for a typical condition (variables, "and", "in" and
// a function call) and for the reference expansion of a typical path, in a
// project with a few hundred variables: a project with thousands of
// conditions evaluates them at start-up.

#include <cstdio>
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

}  // namespace

int main() {
  using namespace cv;
  auto database = TcvMainDatabase::New();
  SetMainDatabase(database.get());
  InstallEvaluatorHooks();
  // Variables the lookups have to pass over, as predefined ones would be.
  for (int i = 0; i < 300; ++i) SetVar(database.get(), "Predefined" + std::to_string(i), "value");
  SetVar(database.get(), "ProgramFiles", "C:\\Program Files");
  SetVar(database.get(), "Company", "Example Company");
  SetVar(database.get(), "AppName", "Demo");
  SetVar(database.get(), "InstallDir", "%ProgramFiles%\\%Company%\\%AppName%");
  SetVar(database.get(), "Edition", "Pro");
  SetVar(database.get(), "Count", "7");

  const std::string condition = "%Count% > 3 and %Edition% in 'Lite,Pro,Ent' and Length(%AppName%) = 4";
  std::string value;
  const double conditions = bench::BestSeconds(kRuns, [&] {
    for (int i = 0; i < kRepeats; ++i) value = TheEvaluator().EvaluateFor(database.get(), 0, 0, true, condition);
  });
  if (value != "1") std::printf("unexpected condition value %s\n", value.c_str());
  Report("condition", conditions);

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
