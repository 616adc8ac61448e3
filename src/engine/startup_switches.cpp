#include "engine/startup_switches.h"

#include "platform/paths.h"
#include "platform/wildcards.h"

namespace cv {

namespace {

// The text after "/" + `prefix` of the first switch argument that carries the
// whole prefix (for example "resume:"). The wildcard match alone is not
// enough: once the text is used up, left-over mask that ends in "*" counts as
// a match, so "/r" or "/resume" would pass for "resume:*" and have no value
// to take.
std::optional<std::string> ValueSwitch(const ArgumentList& args, const std::string& prefix) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (IsSwitch(arg) && arg.size() > prefix.size() &&
        MatchesMask(std::string_view(arg).substr(1), prefix + "*", true)) {
      return arg.substr(1 + prefix.size());
    }
  }
  return std::nullopt;
}

}  // namespace

StartupSwitches ParseStartupSwitches(const ArgumentList& args) {
  StartupSwitches switches;
  if (const auto value = ValueSwitch(args, "resume:")) {
    std::string folder = StripOneQuotePair(*value);
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    switches.ResumeFolder = folder;
  }
  if (const auto value = ValueSwitch(args, "exename:")) {
    switches.ExeName = StripOneQuotePair(*value);
  }
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    // "/var" itself is shorter than "?var:" and has nothing to assign.
    if (!IsSwitch(arg) || arg.size() < 5 || !MatchesMask(arg, "?var:*", true)) continue;
    const std::string assignment = arg.substr(5);
    const auto equals = assignment.find('=');
    VariableAssignment variable;
    variable.Name = assignment.substr(0, equals);
    if (equals != std::string::npos) variable.Value = assignment.substr(equals + 1);
    if (!variable.Name.empty()) switches.Variables.push_back(std::move(variable));
  }
  switches.Uninstall = HasSwitch(args, "u");
  switches.Repair = HasSwitch(args, "r");
  switches.Silent = HasSwitch(args, "s");
  return switches;
}

}  // namespace cv
