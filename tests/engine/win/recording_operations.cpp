#include "recording_operations.h"

#include <algorithm>

#include "engine/run_state.h"
#include "platform/case_map.h"

namespace cv::test {

const char* EventName(EngineEvent event) {
  switch (event) {
    case EngineEvent::Start: return "EV_START";
    case EngineEvent::Finish: return "EV_FINISH";
    case EngineEvent::ShowDialogs: return "EV_SHOWDIALOGS";
    case EngineEvent::LanguageChanged: return "EV_LANGUAGECHANGED";
    case EngineEvent::BeforeInstall: return "EV_BEFOREINSTALL";
    case EngineEvent::AfterInstall: return "EV_AFTERINSTALL";
    case EngineEvent::BeforeProcessItems: return "EV_BEFOREPROCESSITEMS";
    case EngineEvent::AfterProcessItems: return "EV_AFTERPROCESSITEMS";
    case EngineEvent::CheckLaunchConditions: return "EV_CHECKLAUNCHCONDITIONS";
    case EngineEvent::QueryReboot: return "EV_QUERYREBOOT";
    case EngineEvent::Rollback: return "EV_ROLLBACK";
  }
  return "EV_?";
}

std::vector<std::string> RecordingOperations::CallsStartingWith(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const auto& call : Calls) {
    if (call.rfind(prefix, 0) == 0) found.push_back(call);
  }
  return found;
}

bool RecordingOperations::Called(const std::string& call) const {
  return std::find(Calls.begin(), Calls.end(), call) != Calls.end();
}

std::string RecordingOperations::GetVar(const std::string& name, const std::string& fallback) {
  const auto it = Variables.find(CaseMapUpper(name));
  return it == Variables.end() ? fallback : it->second;
}

bool RecordingOperations::GetVarBool(const std::string& name, bool fallback) {
  const std::string value = GetVar(name, fallback ? "1" : "0");
  return value == "1";
}

int RecordingOperations::GetVarInt(const std::string& name, int fallback) {
  const std::string value = GetVar(name, std::to_string(fallback));
  return std::atoi(value.c_str());
}

void RecordingOperations::SetVar(const std::string& name, const std::string& value) {
  Record("SetVar " + name + "=" + value);
  Variables[CaseMapUpper(name)] = value;
}

void RecordingOperations::SetVarBool(const std::string& name, bool value) {
  Record("SetVar " + name + "=" + (value ? "1" : "0"));
  Variables[CaseMapUpper(name)] = value ? "1" : "0";
}

void RecordingOperations::SetVarInt(const std::string& name, int value) {
  Record("SetVar " + name + "=" + std::to_string(value));
  Variables[CaseMapUpper(name)] = std::to_string(value);
}

std::string RecordingOperations::ExpandReferences(const std::string& text) {
  // Only the engine's own strings are known here: "[Strings.N]".
  const std::string prefix = "[Strings.";
  if (text.rfind(prefix, 0) == 0 && text.back() == ']') {
    const int n = std::atoi(text.substr(prefix.size()).c_str());
    const auto it = EngineStrings.find(n);
    if (it != EngineStrings.end()) return it->second;
  }
  return text;
}

void RecordingOperations::SetTempFolders(const std::string& fonts, const std::string& assemblies,
                                         const std::string& backups) {
  Record("SetTempFolders");
  Variables["TEST:FONTS"] = fonts;
  Variables["TEST:ASSEMBLIES"] = assemblies;
  Variables["TEST:BACKUPS"] = backups;
}

bool RecordingOperations::MarkComponentsToInstall(std::string& missing) {
  Record("MarkComponentsToInstall");
  missing = MissingComponent;
  return MissingComponent.empty() && Succeeds("MarkComponentsToInstall");
}

bool RecordingOperations::AssignComponentPackages(std::string& missing) {
  Record("AssignComponentPackages");
  missing = MissingPackage;
  return MissingPackage.empty() && Succeeds("AssignComponentPackages");
}

bool RecordingOperations::ActivateLanguage(const std::string& lngId) {
  Record("ActivateLanguage " + lngId);
  const std::string wanted = CaseMapUpper(lngId);
  for (const auto& language : Languages) {
    if (CaseMapUpper(language.Id) == wanted) return true;
  }
  return false;
}

std::int32_t RecordingOperations::SendEvent(EngineEvent event,
                                            const std::vector<MessageValue>& in) {
  std::string call = EventName(event);
  for (const MessageValue& value : in) {
    call += ' ';
    if (const auto* text = std::get_if<std::string>(&value)) {
      call += *text;
    } else if (const auto* number = std::get_if<std::int32_t>(&value)) {
      call += std::to_string(*number);
    } else {
      call += std::get<bool>(value) ? "true" : "false";
    }
  }
  Record(call);
  if (OnEvent) OnEvent(event);
  const auto it = EventAnswers.find(event);
  return it == EventAnswers.end() ? 0 : it->second;
}

void RecordingOperations::SaveStateForResume() {
  Record("SaveStateForResume");
  Run().ResumePending = !SaveFails;
}

}  // namespace cv::test
