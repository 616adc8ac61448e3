#include "engine/startup_switches.h"

#include "platform/paths.h"
#include "platform/wildcards.h"

namespace cv {

std::string StripOneQuotePair(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

StartupSwitches ParseStartupSwitches(const ArgumentList& args) {
  StartupSwitches switches;
  int index = 0;
  if (FindSwitch(args, "resume:*", index)) {
    std::string folder = StripOneQuotePair(args[static_cast<std::size_t>(index)].substr(8));
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    switches.ResumeFolder = folder;
  }
  if (FindSwitch(args, "exename:*", index)) {
    switches.ExeName = StripOneQuotePair(args[static_cast<std::size_t>(index)].substr(9));
  }
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!IsSwitch(arg) || !MatchesMask(arg, "?var:*", true)) continue;
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
