#include "database/condition_object.h"

#include "database/model_hooks.h"
#include "database/model_navigation.h"

namespace cv {

namespace {

bool Evaluate(const TXMLObject& object, const std::string& condition, ConditionCache& cache) {
  if (!ConditionEvaluationOn() || condition.empty() || !ConditionHook) return true;
  if (cache.CacheDepth == 0 || !cache.CacheValid) {
    TXMLObject* context = GetVariableContext(&object);
    cache.CachedResult = ConditionHook(context, 0, condition, 0, true);
    cache.CacheValid = true;
  }
  return cache.CachedResult;
}

}  // namespace

void ConditionCache::Enable(bool enable) {
  if (enable) {
    if (CacheDepth == 0) CacheValid = false;
    ++CacheDepth;
  } else {
    --CacheDepth;
  }
}

CV_XML_PROPERTIES(TcvConditionObject) {
  return {Published("Condition", &TcvConditionObject::Condition)};
}

void TcvConditionObject::CacheConditions(bool enable) { Cache.Enable(enable); }

CV_XML_PROPERTIES(TcvConditionObjectList) {
  return {Published("Condition", &TcvConditionObjectList::Condition)};
}

void TcvConditionObjectList::CacheConditions(bool enable) {
  Cache.Enable(enable);
  for (const auto& item : *this) {
    if (auto* object = dynamic_cast<TcvConditionObject*>(item.get())) {
      object->CacheConditions(enable);
    } else if (auto* list = dynamic_cast<TcvConditionObjectList*>(item.get())) {
      list->CacheConditions(enable);
    }
  }
}

bool IsEnabled(const TcvConditionObject& object) {
  return Evaluate(object, object.Condition, object.Cache);
}

bool IsEnabled(const TcvConditionObjectList& list) {
  return Evaluate(list, list.Condition, list.Cache);
}

bool IsEnabled(const TXMLObject& object) {
  if (const auto* single = dynamic_cast<const TcvConditionObject*>(&object)) {
    return IsEnabled(*single);
  }
  if (const auto* list = dynamic_cast<const TcvConditionObjectList*>(&object)) {
    return IsEnabled(*list);
  }
  return true;
}

}  // namespace cv
