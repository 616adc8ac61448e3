// Built-in functions on the project's variables, install types and
// components.

#include <string>
#include <vector>

#include "database/feature_selection.h"
#include "database/main_database.h"
#include "database/model_navigation.h"
#include "database/variable_access.h"
#include "platform/case_map.h"
#include "platform/trim.h"
#include "script/function_args.h"
#include "script/line_list.h"
#include "script/references.h"

namespace cv::builtin {

namespace {

TXMLObject* Database(const TcvEvalContext& context) {
  return context.Database ? context.Database : MainDatabase();
}

TcvMainDatabase* Main(const TcvEvalContext& context) { return GetDatabase(Database(context)); }

std::string ReadVariable(const TcvEvalContext& context, const std::string& name) {
  return GetVariableText(Database(context), context.PluginId, name, "");
}

void WriteVariable(const TcvEvalContext& context, const std::string& name,
                   const std::string& value) {
  SetVar(Database(context), name, value);
}

// Rewrites the line list held in a variable with `edit` applied to its lines;
// the variable is written back even when nothing changed.
template <typename Edit>
void EditLineList(const FunctionArgs* args, const TcvEvalContext& context, Edit edit) {
  const std::string& name = Arg(args, 0);
  std::vector<std::string> lines = SplitLineList(ReadVariable(context, name));
  const std::int32_t index = ArgInt(args, 1);
  if (index >= 0 && static_cast<std::size_t>(index) < lines.size()) {
    edit(lines, static_cast<std::size_t>(index));
  }
  WriteVariable(context, name, JoinLineList(lines));
}

const TcvInstallType* ActiveType(const TcvEvalContext& context) {
  const TcvMainDatabase* database = Main(context);
  return database && database->InstallTypes ? database->InstallTypes->Active : nullptr;
}

}  // namespace

CV_FUNCTION(ActiveInstallType) {
  (void)args;
  const TcvInstallType* type = ActiveType(context);
  result = type ? type->ID : std::string();
}

CV_FUNCTION(IsActiveInstallTypeCustom) {
  (void)args;
  const TcvInstallType* type = ActiveType(context);
  result = TruthText(type && type->Custom);
}

CV_FUNCTION(FeatureEnabled) {
  const TcvMainDatabase* database = Main(context);
  const std::string& id = Arg(args, 0);
  const TcvFeature* feature =
      database && database->Features && !id.empty() ? FindFeature(*database->Features, id) : nullptr;
  result = TruthText(feature && feature->Selected);
}

CV_FUNCTION(SetInstallType) {
  (void)result;
  if (TcvMainDatabase* database = Main(context)) SetActiveInstallType(*database, Arg(args, 0));
}

CV_FUNCTION(ComponentEnabled) {
  const TcvMainDatabase* database = Main(context);
  result = TruthText(database && database->Components &&
                     database->Components->FindByID(Arg(args, 0)) != nullptr);
}

CV_FUNCTION(SetVar) {
  WriteVariable(context, Arg(args, 0), Arg(args, 1));
  result = Arg(args, 1);
}

CV_FUNCTION(ParseText) {
  result = ExpandReferences(Database(context), context.PluginId, Arg(args, 0), false, true,
                            ArgFlag(args, 1));
}

CV_FUNCTION(Include) {
  (void)result;
  const std::string& name = Arg(args, 0);
  const std::string& item = Arg(args, 1);
  const std::string list(Trim(ReadVariable(context, name)));
  std::string_view rest = list;
  while (!rest.empty()) {
    const auto comma = rest.find(',');
    if (SameTextNoCase(rest.substr(0, comma), item)) return;
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  WriteVariable(context, name, list.empty() ? item : list + "," + item);
}

CV_FUNCTION(Exclude) {
  (void)result;
  const std::string& name = Arg(args, 0);
  const std::string& item = Arg(args, 1);
  const std::string list = ReadVariable(context, name);
  std::string kept;
  std::string_view rest = list;
  while (true) {
    const auto comma = rest.find(',');
    const std::string_view piece = Trim(rest.substr(0, comma));
    if (!piece.empty() && !SameTextNoCase(piece, item)) {
      if (!kept.empty()) kept += ',';
      kept += piece;
    }
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  WriteVariable(context, name, kept);
}

CV_FUNCTION(SetListStr) {
  (void)result;
  EditLineList(args, context, [&](std::vector<std::string>& lines, std::size_t index) {
    lines[index] = Arg(args, 2);
  });
}

CV_FUNCTION(InsertListStr) {
  (void)result;
  EditLineList(args, context, [&](std::vector<std::string>& lines, std::size_t index) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(index), Arg(args, 2));
  });
}

CV_FUNCTION(AddListStr) {
  (void)result;
  const std::string& name = Arg(args, 0);
  WriteVariable(context, name, ReadVariable(context, name) + Arg(args, 1) + "\r\n");
}

CV_FUNCTION(DeleteListStr) {
  (void)result;
  EditLineList(args, context, [](std::vector<std::string>& lines, std::size_t index) {
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(index));
  });
}

}  // namespace cv::builtin
