#include "project_check.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <cstdio>
#include <set>
#include <tuple>

#include "build_error.h"
#include "check_evaluator.h"
#include "database/xml_tag.h"
#include "platform/case_map.h"
#include "project.h"

namespace cv::build {

namespace {

// Names the engine defines before any installation step: path variables,
// shell folders, the run's own variables, and the usual environment of a
// Windows process (every environment variable becomes a project variable).
constexpr const char* kPredefinedVariables[] = {
    "EventParams", "EventResult", "LangID", "App", "AppInstalled", "BDE", "BootDir", "BootDrive",
    "CommonFiles", "Date", "Delphi", "HKCU", "HKLM", "HasAdminRights", "IIS-Scripts", "IIS-WWWRoot",
    "Images", "InstallMode", "InstalledAppPath", "InstalledAppVersion", "OSPlatform", "OSVersion",
    "Office2000", "Office97", "ParamStr", "Path", "ProgramFiles", "ProjectTemplatesPath",
    "QuickLaunch", "RootDir", "ScreenColorBits", "ScreenHeight", "ScreenWidth", "SilentMode",
    "SourcePath", "System", "SystemCharset", "SystemLangID", "UserCharset", "UserLangID", "Windows",
    "Desktop", "Fonts", "NetHood", "Personal", "ProgramsMenu", "Recent", "SendTo", "StartMenu",
    "StartupMenu", "Templates", "CommonStartMenu", "CommonProgramsMenu", "CommonStartupMenu",
    "CommonDesktop", "AppData", "CommonAppData", "LocalAppData", "Temp", "Tmp", "WinDir",
    "SystemRoot", "SystemDrive", "UserProfile", "UserName", "UserDomain", "ComputerName",
    "HomeDrive", "HomePath", "ProgramData", "Public", "AllUsersProfile", "CommonProgramFiles",
    "ProgramFiles(x86)", "CommonProgramFiles(x86)", "ProgramW6432", "ComSpec", "PathExt", "OS",
    "Processor_Architecture", "Number_Of_Processors", "SetupFileName",
    // Not a variable: a destination starting with "%GAC%\" sends the file to
    // the global assembly cache.
    "GAC"};

constexpr const char* kExpressionAttributes[] = {"condition", "expression", "initexpression",
                                                 "loopexpression"};
// Attributes that hold names and switches, never texts with references.
constexpr const char* kPlainAttributes[] = {"id", "flags", "action", "main", "default", "custom",
                                            "required", "version", "whenhandle", "looptype",
                                            "eventid", "header", "lngid", "pluginid", "type", "filename", "debugdll",
                                            "vartype", "showcmd", "icon", "hotkey", "size"};

template <std::size_t N>
bool Among(std::string_view name, const char* const (&list)[N]) {
  return std::any_of(std::begin(list), std::end(list),
                     [&](const char* item) { return SameTextNoCase(name, item); });
}

struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return CaseMapUpper(a) < CaseMapUpper(b);
  }
};
using NameSet = std::set<std::string, NoCaseLess>;

// Maps offsets inside an attribute value back to the document's lines and
// columns, escapes counting as the one character they stand for.
class Positions {
 public:
  explicit Positions(const std::string& text) : text_(text) {
    lineStarts_.push_back(0);
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') lineStarts_.push_back(i + 1);
    }
  }
  std::size_t OffsetOf(int line, int column) const {
    if (line < 1 || static_cast<std::size_t>(line) > lineStarts_.size()) return 0;
    return lineStarts_[line - 1] + static_cast<std::size_t>(std::max(column, 1) - 1);
  }
  std::pair<int, int> LineColumn(std::size_t offset) const {
    auto next = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    const std::size_t line = static_cast<std::size_t>(next - lineStarts_.begin());
    return {static_cast<int>(line), static_cast<int>(offset - lineStarts_[line - 1] + 1)};
  }
  // The document offset of character `index` of attribute `name`'s value in
  // the element whose "<" is at `tagOffset`; the element's own offset when
  // the attribute cannot be found.
  std::size_t ValueCharacter(std::size_t tagOffset, std::string_view name, std::size_t index) const {
    std::size_t pos = tagOffset;
    while (pos < text_.size() && text_[pos] != '>') {
      const char c = text_[pos];
      if (c == '"' || c == '\'') {
        pos = text_.find(c, pos + 1);
        if (pos == std::string::npos) return tagOffset;
        ++pos;
        continue;
      }
      if (pos > tagOffset && IsNameStart(c) && !IsNameChar(text_[pos - 1])) {
        std::size_t end = pos;
        while (end < text_.size() && IsNameChar(text_[end])) ++end;
        const std::string_view word(text_.data() + pos, end - pos);
        std::size_t q = end;
        while (q < text_.size() && IsBlank(text_[q])) ++q;
        if (SameTextNoCase(word, name) && q < text_.size() && text_[q] == '=') {
          ++q;
          while (q < text_.size() && IsBlank(text_[q])) ++q;
          if (q >= text_.size()) return tagOffset;
          const char quote = text_[q];
          std::size_t at = q + 1;
          // The parser trims the value and decodes "&#xHH;" (any closing
          // byte) into one character; nothing else is an escape.
          while (at < text_.size() && text_[at] != quote && static_cast<unsigned char>(text_[at]) <= ' ') ++at;
          for (std::size_t done = 0; done < index && at < text_.size() && text_[at] != quote; ++done) {
            const bool escape = text_[at] == '&' && at + 5 < text_.size() && text_[at + 1] == '#' &&
                                text_[at + 2] == 'x';
            at += escape ? 6 : 1;
          }
          return at;
        }
        pos = end;
        continue;
      }
      ++pos;
    }
    return tagOffset;
  }

 private:
  static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  static bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
  }
  static bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
  }
  const std::string& text_;
  std::vector<std::size_t> lineStarts_;
};

enum class ReferenceKind { Variable, Language, Expression };

// The reference scan of the engine's expander, with offsets: %Name%, [Name]
// (backslash escapes inside) and #expression#.
void ScanReferences(std::string_view text, bool hashes, bool names,
                    const std::function<void(ReferenceKind, const std::string&, std::size_t)>& found) {
  enum class State { Plain, Variable, Hash, Bracket, Escape } state = State::Plain;
  std::string name;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    switch (state) {
      case State::Plain:
        if (c == '#') {
          state = State::Hash;
        } else if (names && c == '%') {
          state = State::Variable;
        } else if (names && c == '[') {
          state = State::Bracket;
        } else {
          continue;
        }
        name.clear();
        start = i + 1;
        break;
      case State::Variable:
        if (c != '%') {
          name += c;
        } else {
          if (!name.empty()) found(ReferenceKind::Variable, name, start);
          state = State::Plain;
        }
        break;
      case State::Hash:
        if (c != '#') {
          name += c;
        } else {
          if (!name.empty() && hashes) found(ReferenceKind::Expression, name, start);
          state = State::Plain;
        }
        break;
      case State::Bracket:
        if (c == '\\') {
          state = State::Escape;
        } else if (c == ']') {
          if (!name.empty()) found(ReferenceKind::Language, name, start);
          state = State::Plain;
        } else {
          name += c;
        }
        break;
      case State::Escape:
        // The engine puts an escaped character into the text, not the name.
        state = State::Bracket;
        break;
    }
  }
}

// Whether the comma-separated flag list holds `flag` (ignoring case and blanks).
bool HasFlag(std::string_view flags, std::string_view flag) {
  while (!flags.empty()) {
    const std::size_t comma = flags.find(',');
    std::string_view item = flags.substr(0, comma);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    if (SameTextNoCase(item, flag)) return true;
    if (comma == std::string_view::npos) break;
    flags.remove_prefix(comma + 1);
  }
  return false;
}

// The builder's own settings and a plug-in's private configuration are not
// the engine's texts: the engine never evaluates or expands them.
bool InAuthoringOrPluginSubtree(const TXMLTag& tag) {
  for (const TXMLTag* at = &tag; at; at = at->Parent()) {
    if (SameTextNoCase(at->Name(), "customconfig")) return true;
    if (SameTextNoCase(at->Name(), "config") && at->Parent() && SameTextNoCase(at->Parent()->Name(), "plugin")) {
      return true;
    }
    if (SameTextNoCase(at->Name(), "build") && at->Parent() && !at->Parent()->Parent()) return true;
  }
  return false;
}

const std::string* ParentName(const TXMLTag& tag) {
  return tag.Parent() ? &tag.Parent()->Name() : nullptr;
}

bool ParentIs(const TXMLTag& tag, std::string_view name) {
  return tag.Parent() && SameTextNoCase(tag.Parent()->Name(), name);
}

bool GrandParentIs(const TXMLTag& tag, std::string_view name) {
  return tag.Parent() && tag.Parent()->Parent() && SameTextNoCase(tag.Parent()->Parent()->Name(), name);
}

void ForEachElement(const TXMLTag& root, const std::function<void(const TXMLTag&)>& visit) {
  std::vector<const TXMLTag*> pending{&root};
  std::vector<const TXMLTag*> ordered;
  while (!pending.empty()) {
    const TXMLTag* tag = pending.back();
    pending.pop_back();
    if (tag->Kind != XmlKind::xkElement) continue;
    ordered.push_back(tag);
    std::vector<const TXMLTag*> children;
    for (const auto& child : tag->Children()) children.push_back(child.get());
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  for (const TXMLTag* tag : ordered) visit(*tag);
}

class Checker {
 public:
  Checker(std::string path, std::string text, const TXMLTag& root, CheckReport& report)
      : path_(std::move(path)), text_(std::move(text)), positions_(text_), root_(root), report_(report) {}

  void Run() {
    for (const char* name : kPredefinedVariables) variables_.insert(name);
    Collect();
    // Assignments anywhere make their names known everywhere.
    ForEachElement(root_, [&](const TXMLTag& tag) { VisitExpressions(tag, /*learn=*/true); });
    ForEachElement(root_, [&](const TXMLTag& tag) { VisitExpressions(tag, /*learn=*/false); });
    CheckFeatureCycles();
    std::stable_sort(report_.Diagnostics.begin(), report_.Diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) {
                       return std::tie(a.Line, a.Column) < std::tie(b.Line, b.Column);
                     });
  }

 private:
  void Collect() {
    ForEachElement(root_, [&](const TXMLTag& tag) {
      const std::string& name = tag.Name();
      if (SameTextNoCase(name, "var")) variables_.insert(TagAttribute(tag, "name"));
      if (SameTextNoCase(name, "plugin")) hasPlugins_ = true;
      if (SameTextNoCase(name, "package") && ParentIs(tag, "packages")) {
        packages_.insert(TagAttribute(tag, "id"));
        if (!TagAttribute(tag, "filename").empty()) packages_.insert(TagAttribute(tag, "filename"));
      }
      if (SameTextNoCase(name, "component") && ParentIs(tag, "components") &&
          GrandParentIs(tag, kProjectRootName)) {
        components_.insert(TagAttribute(tag, "id"));
      }
      if (IsFeatureDefinition(tag)) features_.insert(TagAttribute(tag, "id"));
      if (SameTextNoCase(name, "installtype")) installTypes_.insert(TagAttribute(tag, "id"));
      if (SameTextNoCase(name, "param") && ParentIs(tag, "language")) {
        strings_.insert(TagAttribute(tag, "name"));
        hasLanguages_ = true;
      }
    });
    // The languages document the build packs in place of the project's own.
    for (const auto& child : root_.Children()) {
      if (child->Kind != XmlKind::xkElement || child->Name() != "build") continue;
      const std::string languages = TagAttribute(*child, "languages");
      if (languages.empty()) continue;
      try {
        std::filesystem::path file = std::filesystem::path(path_).parent_path() / languages;
        const std::string text = ReadInputFile(file.string());
        TXMLTag document;
        ParseDocument(file.string(), text, document);
        ForEachElement(document, [&](const TXMLTag& tag) {
          if (SameTextNoCase(tag.Name(), "param")) {
            strings_.insert(TagAttribute(tag, "name"));
            hasLanguages_ = true;
          }
        });
      } catch (const BuildError& error) {
        Report(Severity::Error, *child, "languages", 0, error.what());
      }
    }
  }

  static bool IsFeatureDefinition(const TXMLTag& tag) {
    if (!SameTextNoCase(tag.Name(), "feature") || !ParentIs(tag, "features")) return false;
    return GrandParentIs(tag, kProjectRootName) || GrandParentIs(tag, "feature");
  }

  void Report(Severity level, const TXMLTag& tag, std::string_view attribute, std::size_t index,
              std::string message) {
    Diagnostic diagnostic;
    diagnostic.Level = level;
    diagnostic.File = path_;
    const std::size_t tagOffset = positions_.OffsetOf(tag.Line, tag.Column);
    const std::size_t offset =
        attribute.empty() ? tagOffset : positions_.ValueCharacter(tagOffset, attribute, index);
    std::tie(diagnostic.Line, diagnostic.Column) = positions_.LineColumn(offset);
    diagnostic.Message = std::move(message);
    report_.Diagnostics.push_back(std::move(diagnostic));
  }

  void VisitExpressions(const TXMLTag& tag, bool learn) {
    learning_ = learn;
    if (InAuthoringOrPluginSubtree(tag)) return;
    const bool isVar = SameTextNoCase(tag.Name(), "var");
    // Language strings have their names expanded but never their #...#.
    const bool isString = SameTextNoCase(tag.Name(), "param") && ParentIs(tag, "language");
    const std::string flags = TagAttribute(tag, "flags");
    auto hasFlag = [&](std::string_view flag) { return HasFlag(flags, flag); };
    for (const std::string& line : tag.Attributes) {
      const std::string name(XmlAttributeName(line));
      const std::string value(XmlAttributeValue(line));
      if (value.empty()) continue;
      if (Among(name, kExpressionAttributes)) {
        CheckExpression(tag, name, 0, value);
      } else if (!Among(name, kPlainAttributes) && !(isVar && SameTextNoCase(name, "name"))) {
        if (isString && SameTextNoCase(name, "name")) continue;
        if (isVar && hasFlag("dont_parse")) continue;
        const bool hashes = isVar ? hasFlag("calc_expression") : !isString;
        const bool names = !(isVar && hasFlag("dont_parse_identifiers"));
        CheckText(tag, name, 0, value, hashes, names);
      }
    }
    if (!learn) CheckElement(tag);
  }

  void CheckText(const TXMLTag& tag, const std::string& attribute, std::size_t base,
                 std::string_view text, bool hashes, bool names) {
    ScanReferences(text, hashes, names, [&](ReferenceKind kind, const std::string& name, std::size_t at) {
      if (kind == ReferenceKind::Expression) {
        CheckExpression(tag, attribute, base + at, name);
      } else {
        CheckName(tag, attribute, base + at - 1, kind, name);  // at the "%" or "["
      }
    });
  }

  void CheckName(const TXMLTag& tag, const std::string& attribute, std::size_t at, ReferenceKind kind,
                 const std::string& name) {
    if (learning_) return;
    if (kind == ReferenceKind::Variable && !variables_.contains(name)) {
      Report(Severity::Error, tag, attribute, at, "unknown variable \"" + name + "\"");
    } else if (kind == ReferenceKind::Language && !strings_.contains(name)) {
      Report(hasLanguages_ ? Severity::Error : Severity::Warning, tag, attribute, at,
             "unknown language string \"" + name + "\"");
    }
  }

  void CheckExpression(const TXMLTag& tag, const std::string& attribute, std::size_t base,
                       const std::string& expression) {
    const ParsedExpression parsed = evaluator_.Check(expression);
    if (!parsed.SyntaxOk) {
      if (learning_) return;
      const bool pluginFunction = hasPlugins_ && parsed.ErrorText == kUnknownFunctionText;
      // The evaluator counts from the first character after leading blanks.
      const std::size_t leading = expression.find_first_not_of(" \t");
      const std::size_t at = base + (leading == std::string::npos ? 0 : leading) +
                             static_cast<std::size_t>(std::max(parsed.ErrorPosition - 1, 0));
      Report(pluginFunction ? Severity::Warning : Severity::Error, tag, attribute, at,
             pluginFunction ? parsed.ErrorText + " (unless a plug-in adds it)" : parsed.ErrorText);
      return;
    }
    std::size_t searchFrom = 0;
    for (const std::string& operand : parsed.Operands) {
      const std::size_t found = expression.find(operand, searchFrom);
      const std::size_t at = found == std::string::npos ? 0 : found;
      if (found != std::string::npos) searchFrom = found + operand.size();
      // Operands have their names expanded, not their #...# (the engine's
      // operand expansion evaluates no expressions).
      CheckText(tag, attribute, base + at, operand, false, true);
    }
    for (const ParsedCall& call : parsed.Calls) CheckCall(tag, attribute, base, expression, call);
  }

  void CheckCall(const TXMLTag& tag, const std::string& attribute, std::size_t base,
                 const std::string& expression, const ParsedCall& call) {
    if (call.Arguments.empty() || !call.Arguments.front()) return;
    const std::string& argument = *call.Arguments.front();
    if (call.Name == ":=" || SameTextNoCase(call.Name, "SetVar")) {
      if (learning_) variables_.insert(argument);
      return;
    }
    if (learning_) return;
    const NameSet* names = nullptr;
    const char* what = nullptr;
    if (SameTextNoCase(call.Name, "FeatureEnabled")) {
      names = &features_;
      what = "feature";
    } else if (SameTextNoCase(call.Name, "ComponentEnabled")) {
      names = &components_;
      what = "component";
    } else if (SameTextNoCase(call.Name, "SetInstallType")) {
      names = &installTypes_;
      what = "install type";
    }
    if (!names || names->contains(argument)) return;
    const std::size_t found = expression.find(argument);
    Report(Severity::Error, tag, attribute, base + (found == std::string::npos ? 0 : found),
           std::string("unknown ") + what + " \"" + argument + "\" in " + call.Name);
  }

  void CheckElement(const TXMLTag& tag) {
    const std::string& name = tag.Name();
    const std::string id = TagAttribute(tag, "id");
    if (SameTextNoCase(name, "feature") && (ParentIs(tag, "depends") || ParentIs(tag, "excepts"))) {
      if (!features_.contains(id)) {
        Report(Severity::Error, tag, "id", 0,
               "feature \"" + id + "\" in " + *ParentName(tag) + " names no feature");
      } else if (ParentIs(tag, "depends") && tag.Parent()->Parent()) {
        dependencies_[TagAttribute(*tag.Parent()->Parent(), "id")].push_back({id, &tag});
      }
    } else if (SameTextNoCase(name, "feature") && ParentIs(tag, "features") &&
               GrandParentIs(tag, "installtype")) {
      if (!features_.contains(id)) Report(Severity::Error, tag, "id", 0, "unknown feature \"" + id + "\"");
    } else if (SameTextNoCase(name, "component") && ParentIs(tag, "components") &&
               GrandParentIs(tag, "feature")) {
      if (!components_.contains(id)) Report(Severity::Error, tag, "id", 0, "unknown component \"" + id + "\"");
    } else if (SameTextNoCase(name, "component") && ParentIs(tag, "components")) {
      const std::string package = TagAttribute(tag, "package");
      if (!package.empty() && !packages_.contains(package)) {
        Report(Severity::Error, tag, "package", 0, "unknown package \"" + package + "\"");
      }
    } else if (SameTextNoCase(name, "file") && ParentIs(tag, "files")) {
      CheckFileItem(tag);
    }
  }

  void CheckFileItem(const TXMLTag& tag) {
    const std::string action = TagAttribute(tag, "action");
    const std::string flags = TagAttribute(tag, "flags");
    std::string source = TagAttribute(tag, "src");
    if ((!action.empty() && !SameTextNoCase(action, "add")) || HasFlag(flags, "external") ||
        source.empty() || source.find_first_of("%#[") != std::string::npos) {
      return;
    }
    std::replace(source.begin(), source.end(), '\\', '/');
    std::filesystem::path file = std::filesystem::path(path_).parent_path() / source;
    std::error_code error;
    const bool wildcard = source.find_first_of("*?") != std::string::npos;
    const std::filesystem::path must = wildcard ? file.parent_path() : file;
    if (!std::filesystem::exists(must, error)) {
      Report(Severity::Error, tag, "src", 0, "file not found: " + must.string());
    }
  }

  // A feature that depends on itself through others: the engine ends such a
  // loop, but it is rarely what the author meant.
  void CheckFeatureCycles() {
    std::map<std::string, int, NoCaseLess> state;  // 1 visiting, 2 done
    std::function<void(const std::string&)> visit = [&](const std::string& feature) {
      state[feature] = 1;
      for (const auto& [target, tag] : dependencies_[feature]) {
        const int seen = state.contains(target) ? state[target] : 0;
        if (seen == 1) {
          Report(Severity::Warning, *tag, "id", 0,
                 "feature \"" + feature + "\" depends on \"" + target + "\", which forms a cycle");
        } else if (seen == 0) {
          visit(target);
        }
      }
      state[feature] = 2;
    };
    std::vector<std::string> roots;
    for (const auto& [feature, targets] : dependencies_) roots.push_back(feature);
    for (const std::string& feature : roots) {
      if (!state.contains(feature)) visit(feature);
    }
  }

  std::string path_;
  std::string text_;
  Positions positions_;
  const TXMLTag& root_;
  CheckReport& report_;
  CheckEvaluator evaluator_;
  NameSet variables_, components_, features_, packages_, installTypes_, strings_;
  std::map<std::string, std::vector<std::pair<std::string, const TXMLTag*>>, NoCaseLess> dependencies_;
  bool hasPlugins_ = false;
  bool hasLanguages_ = false;
  bool learning_ = false;
};

// "path:line:column: message" of the document parser, back into its parts.
Diagnostic DiagnosticFromError(const std::string& path, const std::string& message) {
  Diagnostic diagnostic;
  diagnostic.File = path;
  diagnostic.Message = message;
  if (message.rfind(path + ":", 0) == 0) {
    std::string rest = message.substr(path.size() + 1);
    int line = 0, column = 0, consumed = 0;
    if (std::sscanf(rest.c_str(), "%d:%d: %n", &line, &column, &consumed) == 2 && consumed > 0) {
      diagnostic.Line = line;
      diagnostic.Column = column;
      diagnostic.Message = rest.substr(static_cast<std::size_t>(consumed));
    } else if (rest.rfind(" ", 0) == 0) {
      diagnostic.Message = rest.substr(1);
    }
  }
  return diagnostic;
}

}  // namespace

int CheckReport::Errors() const {
  return static_cast<int>(std::count_if(Diagnostics.begin(), Diagnostics.end(),
                                        [](const Diagnostic& d) { return d.Level == Severity::Error; }));
}

int CheckReport::Warnings() const {
  return static_cast<int>(Diagnostics.size()) - Errors();
}

CheckReport CheckProject(const std::string& projectPath) {
  CheckReport report;
  TXMLTag root;
  std::string text;
  try {
    text = ReadInputFile(projectPath);
    ParseDocument(projectPath, text, root);
    if (root.Name() != kProjectRootName) {
      ThrowInput(projectPath + ":1:1: the root element is \"" + root.Name() + "\", a project document has \"" +
                 std::string(kProjectRootName) + "\"");
    }
  } catch (const BuildError& error) {
    report.Diagnostics.push_back(DiagnosticFromError(projectPath, error.what()));
    return report;
  }
  Checker(projectPath, text, root, report).Run();
  return report;
}

std::string FormatDiagnostic(const Diagnostic& diagnostic) {
  std::string text = diagnostic.File;
  if (diagnostic.Line > 0) text += ":" + std::to_string(diagnostic.Line) + ":" + std::to_string(diagnostic.Column);
  text += diagnostic.Level == Severity::Error ? ": error: " : ": warning: ";
  return text + diagnostic.Message;
}

}  // namespace cv::build
