#pragma once
// Objects and lists that apply only while their condition holds, with the
// cache that lets one selection operation evaluate each condition once.

#include <cstdint>
#include <string>

#include "database/xml_object.h"
#include "database/xml_object_list.h"

namespace cv {

// Not published: the state of one condition's cache.
struct ConditionCache {
  bool CacheValid = false;
  bool CachedResult = false;
  std::int32_t CacheDepth = 0;

  // Enable: the outermost call invalidates the cache; calls nest in pairs.
  void Enable(bool enable);
};

class TcvConditionObject : public TXMLObject {
  CV_XML_CLASS(TcvConditionObject, TXMLObject)

 public:
  using TXMLObject::TXMLObject;
  std::string Condition;  // an expression; empty is always true
  mutable ConditionCache Cache;

  virtual void CacheConditions(bool enable);
};

class TcvConditionObjectList : public TXMLObjectList {
  CV_XML_CLASS(TcvConditionObjectList, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  std::string Condition;
  mutable ConditionCache Cache;

  // Also reaches every item that is a condition object or list.
  virtual void CacheConditions(bool enable);
};

// Whether the object's condition holds: true while evaluation is off, for an
// empty condition and without an evaluation hook; otherwise the condition is
// evaluated in the object's variable context (afresh unless its cache is on)
// and holds when the result begins with "1".
bool IsEnabled(const TcvConditionObject& object);
bool IsEnabled(const TcvConditionObjectList& list);
// Either of the two classes; any other object counts as enabled.
bool IsEnabled(const TXMLObject& object);

}  // namespace cv
