#include "script/references.h"

#include <atomic>

#include "database/main_database.h"
#include "database/model_hooks.h"
#include "database/model_navigation.h"
#include "database/variable_access.h"
#include "platform/case_map.h"
#include "platform/format_text.h"

namespace cv {

namespace {

// Counted per thread: a worker thread's expansion and one on the user
// interface thread are different nestings, and must not race on one counter.
// The depth bounds how deep references nest; the work bounds how much one
// outermost expansion may do in all, since a value that names itself twice
// ("%A%%A%") doubles its work at every level and would otherwise run for
// 2^100 steps within the depth limit.
struct ExpansionState {
  int depth = 0;
  std::size_t work = 0;
  bool exhausted = false;
};
thread_local ExpansionState expansion;

std::atomic<PluginIdRoutine> pluginIdRoutine{nullptr};

class DepthScope {
 public:
  DepthScope() {
    if (++expansion.depth == 1) {
      expansion.work = 0;
      expansion.exhausted = false;
    }
  }
  ~DepthScope() { --expansion.depth; }
  DepthScope(const DepthScope&) = delete;
  DepthScope& operator=(const DepthScope&) = delete;
  bool TooDeep() const { return expansion.depth > kMaxReferenceDepth; }
  bool Outermost() const { return expansion.depth == 1; }
};

// Counts `amount` characters of work; false once the outermost expansion has
// used up its budget, which ends every expansion still running.
bool Spend(std::size_t amount) {
  if (expansion.exhausted) return false;
  expansion.work += amount;
  if (expansion.work > kMaxReferenceWork) expansion.exhausted = true;
  return !expansion.exhausted;
}

std::string InfiniteReference(std::string_view text) {
  return FormatText("***** Infinite reference in the string \"%s\" *****", {std::string(text)});
}

enum class ScanState { Plain, Variable, Hash, Bracket, Escape };

TXMLObject* OrMainDatabase(TXMLObject* database) {
  return database ? database : MainDatabase();
}

std::string EvaluateSegment(TXMLObject* database, std::int32_t pluginId, const std::string& text,
                            bool expandNames) {
  if (!ExpressionHook) return "#" + text + "#";
  return ExpressionHook(database, pluginId, text, 0, expandNames);
}

bool Equal(std::string_view a, std::string_view b) { return SameTextNoCase(a, b); }

std::string ExpandReferencesOnce(TXMLObject* database, std::int32_t pluginId, std::string_view text,
                                 bool evaluateHash, bool expandNames, bool dropUnknown);

}  // namespace

std::string ExpandReferences(TXMLObject* database, std::int32_t pluginId, std::string_view text,
                             bool evaluateHash, bool expandNames, bool dropUnknown) {
  if (text.empty()) return {};
  const DepthScope depth;
  if (depth.TooDeep()) return InfiniteReference(text);
  std::string result = ExpandReferencesOnce(database, pluginId, text, evaluateHash, expandNames, dropUnknown);
  if (expansion.exhausted) return depth.Outermost() ? InfiniteReference(text) : std::string();
  return result;
}

namespace {

std::string ExpandReferencesOnce(TXMLObject* database, std::int32_t pluginId, std::string_view text,
                                 bool evaluateHash, bool expandNames, bool dropUnknown) {
  if (!Spend(text.size())) return {};
  database = OrMainDatabase(database);
  std::string result;
  result.reserve(text.size());
  std::string name;
  ScanState state = ScanState::Plain;
  for (const char c : text) {
    switch (state) {
      case ScanState::Plain:
        if (c == '#') {
          state = ScanState::Hash;
        } else if (expandNames && c == '%') {
          state = ScanState::Variable;
        } else if (expandNames && c == '[') {
          state = ScanState::Bracket;
        } else {
          result += c;
          continue;
        }
        name.clear();
        break;
      case ScanState::Variable:
        if (c != '%') {
          name += c;
        } else {
          if (name.empty()) {
            result += '%';
          } else {
            const std::string value =
                GetVariableText(database, pluginId, name, dropUnknown ? std::string() : "%" + name + "%");
            if (!Spend(value.size())) return {};
            result += value;
          }
          state = ScanState::Plain;
        }
        break;
      case ScanState::Hash:
        if (c != '#') {
          name += c;
        } else {
          if (name.empty()) {
            result += '#';
          } else if (evaluateHash) {
            const std::string value = EvaluateSegment(database, pluginId, name, expandNames);
            if (!Spend(value.size())) return {};
            result += value;
          } else {
            result += "#" + name + "#";
          }
          state = ScanState::Plain;
        }
        break;
      case ScanState::Bracket:
        if (c == '\\') {
          state = ScanState::Escape;
        } else if (c == ']') {
          if (!name.empty()) {
            const std::string value =
                LanguageString(database, pluginId, name, dropUnknown ? std::string() : "[" + name + "]");
            if (!Spend(value.size())) return {};
            result += value;
          }
          state = ScanState::Plain;
        } else {
          name += c;
        }
        break;
      case ScanState::Escape:
        // Escaped characters go straight into the result, ahead of what the
        // bracket itself will produce.
        if (c == 'n') {
          result += "\r\n";
        } else if (c == 't') {
          result += '\t';
        } else {
          result += c;
        }
        state = ScanState::Bracket;
        break;
    }
  }
  switch (state) {
    case ScanState::Plain: break;
    case ScanState::Variable: result += "%" + name; break;
    case ScanState::Hash: result += "#" + name; break;
    case ScanState::Bracket: result += name; break;
    case ScanState::Escape: result += "\\" + name; break;
  }
  return result;
}

}  // namespace

std::string GetVariableText(TXMLObject* database, std::int32_t pluginId, const std::string& name,
                            const std::string& defaultValue) {
  if (name.empty()) return {};
  const TcvVariable* variable = FindVariable(database, name);
  if (!variable) {
    if (Equal(defaultValue, "%" + name + "%")) return defaultValue;
    return ExpandReferences(database, pluginId, defaultValue, false, true, false);
  }
  std::string text = VariableValue(*variable, [&](const std::string& part) {
    return ExpandText(database, pluginId, part);
  });
  const TcvFlags flags = variable->Flags;
  if (flags.Contains(TcvFlag::dont_parse) || Equal(text, "%" + name + "%")) return text;
  return ExpandReferences(database, pluginId, text, flags.Contains(TcvFlag::calc_expression),
                          !flags.Contains(TcvFlag::dont_parse_identifiers), false);
}

std::string LanguageString(TXMLObject* database, std::int32_t pluginId, const std::string& name,
                           const std::string& defaultValue) {
  std::string result = defaultValue;
  TcvMainDatabase* mainDatabase = GetDatabase(OrMainDatabase(database));
  if (mainDatabase && mainDatabase->Languages) {
    const PluginIdRoutine routine = pluginIdRoutine.load();
    const std::string owner = routine ? routine(pluginId) : std::string();
    const std::string language = GetVariableText(mainDatabase, 0, "LangID", "");
    const TcvLngTables& tables = *mainDatabase->Languages;
    const TXMLObject* found = nullptr;
    if (const TcvLngTable* table = tables.Find(language, owner)) found = table->FindParam(name);
    if (!found && !owner.empty()) {
      if (const TcvLngTable* table = tables.Find(language, "")) found = table->FindParam(name);
    }
    if (const auto* string = dynamic_cast<const TcvParam*>(found)) result = string->Value;
  }
  if (Equal(result, "[" + name + "]")) return result;
  return ExpandReferences(database, pluginId, result, false, true, false);
}

void SetPluginIdRoutine(PluginIdRoutine routine) { pluginIdRoutine.store(routine); }

void InstallReferenceHooks() {
  VariableTextHook = [](TXMLObject* database, std::int32_t pluginId, const std::string& name,
                        const std::string& defaultValue) {
    return GetVariableText(database, pluginId, name, defaultValue);
  };
  LanguageStringHook = [](TXMLObject* database, std::int32_t pluginId, const std::string& name,
                          const std::string& defaultValue) {
    return LanguageString(database, pluginId, name, defaultValue);
  };
}

}  // namespace cv
