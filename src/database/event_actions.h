#pragma once
// Event scripts as data: events hold actions, and an action holds nested
// actions, a "then" and an "else" branch. The element name of an action is its
// kind ("if", "loop", "switch"...); running them belongs to the script engine.

#include <cstdint>
#include <memory>
#include <string>

#include "database/condition_object.h"
#include "database/list_items.h"
#include "database/project_enums.h"

namespace cv {

enum class ActionKind : std::uint8_t {
  action,
  return_,
  if_,
  loop,
  break_,
  continue_,
  switch_,
  case_,
};

// The element name of a kind, and the kind of an element name (ignoring
// case); an unknown name is a plain action.
std::string_view ActionKindName(ActionKind kind);
ActionKind ActionKindFromName(std::string_view elementName);

// A list of actions: every child element that is not a property is an action,
// whatever its name.
class TcvActions : public TcvConditionObjectList {
  CV_XML_CLASS(TcvActions, TcvConditionObjectList)

 public:
  using TcvConditionObjectList::TcvConditionObjectList;
  const XmlClass* GetItemClass(std::string_view elementName) const override;
  std::string GetItemTagName(const XmlClass& itemClass) const override;
};

class TcvAction : public TcvActions {
  CV_XML_CLASS(TcvAction, TcvActions)

 public:
  using TcvActions::TcvActions;
  std::string Expression;
  std::string InitExpression;  // before a loop
  std::string LoopExpression;  // after each pass of a loop
  TcvLoopType LoopType = TcvLoopType::ltPreCond;
  std::unique_ptr<TcvActions> IfThen;  // "then"
  std::unique_ptr<TcvActions> IfElse;  // "else"

  // Not published: taken from the element name when loaded, given to it when
  // written.
  ActionKind Kind = ActionKind::action;

  // A switch holds only "case" items.
  const XmlClass* GetItemClass(std::string_view elementName) const override;
  void BeforeLoad(const TXMLTag& element) override;
  void BeforeSave(TXMLTag& element) const override;
  using TcvActions::Assign;
  void Assign(const TXMLObject& source) override;
  std::string GetEnumPrefix(std::string_view propName) const override;
  // "then"/"ifthen" and "else"/"ifelse" are read, "then" and "else" written.
  std::string XMLToPropName(std::string_view name, bool isChild) const override;
  std::string PropToXMLName(std::string_view name, bool isChild) const override;
};

class TcvEvent : public TcvActions {
  CV_XML_CLASS(TcvEvent, TcvActions)

 public:
  using TcvActions::TcvActions;
  std::string Name;
  std::string EventID;  // the event it handles
  TcvEventWhenHandle WhenHandle = TcvEventWhenHandle::after_plugins;
};

class TcvEvents : public TXMLObjectList {
  CV_XML_CLASS(TcvEvents, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  CV_XML_LIST_ITEMS_DECL
  TcvEvent* Event(int index) const { return ItemAs<TcvEvent>(index); }
};

}  // namespace cv
