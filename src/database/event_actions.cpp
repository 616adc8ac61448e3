#include "database/event_actions.h"

#include <array>

#include "platform/case_map.h"

namespace cv {

namespace {

constexpr std::array<std::string_view, 8> kKindNames = {
    "action", "return", "if", "loop", "break", "continue", "switch", "case"};

}  // namespace

std::string_view ActionKindName(ActionKind kind) {
  return kKindNames[static_cast<std::size_t>(kind)];
}

ActionKind ActionKindFromName(std::string_view elementName) {
  for (std::size_t i = 0; i < kKindNames.size(); ++i) {
    if (SameTextNoCase(kKindNames[i], elementName)) return static_cast<ActionKind>(i);
  }
  return ActionKind::action;
}

CV_XML_PROPERTIES(TcvActions) { return {}; }

const XmlClass* TcvActions::GetItemClass(std::string_view) const {
  return &TcvAction::StaticClass();
}

std::string TcvActions::GetItemTagName(const XmlClass& itemClass) const {
  // The action renames the element to its kind as it is written.
  return itemClass.InheritsFrom(TcvAction::StaticClass()) ? "action" : "";
}

CV_XML_PROPERTIES(TcvAction) {
  return {Published("Expression", &TcvAction::Expression),
          Published("InitExpression", &TcvAction::InitExpression),
          Published("LoopExpression", &TcvAction::LoopExpression),
          Published("LoopType", &TcvAction::LoopType),
          Published("IfThen", &TcvAction::IfThen),
          Published("IfElse", &TcvAction::IfElse)};
}

const XmlClass* TcvAction::GetItemClass(std::string_view elementName) const {
  if (Kind == ActionKind::switch_ && !SameTextNoCase(elementName, "case")) return nullptr;
  return TcvActions::GetItemClass(elementName);
}

void TcvAction::BeforeLoad(const TXMLTag& element) { Kind = ActionKindFromName(element.Name()); }

void TcvAction::BeforeSave(TXMLTag& element) const { element.SetName(ActionKindName(Kind)); }

// A copy made through XML would lose the kind, which only the element name
// carries.
void TcvAction::Assign(const TXMLObject& source) {
  if (const auto* action = dynamic_cast<const TcvAction*>(&source)) Kind = action->Kind;
  TcvActions::Assign(source);
}

std::string TcvAction::GetEnumPrefix(std::string_view propName) const {
  return propName == "looptype" ? "lt" : TcvActions::GetEnumPrefix(propName);
}

std::string TcvAction::XMLToPropName(std::string_view name, bool isChild) const {
  if (isChild && (name == "then" || name == "ifthen")) return "ifthen";
  if (isChild && (name == "else" || name == "ifelse")) return "ifelse";
  return TcvActions::XMLToPropName(name, isChild);
}

std::string TcvAction::PropToXMLName(std::string_view name, bool isChild) const {
  if (isChild && name == "ifthen") return "then";
  if (isChild && name == "ifelse") return "else";
  return TcvActions::PropToXMLName(name, isChild);
}

CV_XML_PROPERTIES(TcvEvent) {
  return {Published("Name", &TcvEvent::Name), Published("EventID", &TcvEvent::EventID),
          Published("WhenHandle", &TcvEvent::WhenHandle)};
}

CV_XML_PROPERTIES(TcvEvents) { return {}; }
CV_XML_LIST_ITEMS(TcvEvents, "event", TcvEvent)

}  // namespace cv
