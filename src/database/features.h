#pragma once
// Features (the tree the user selects from), install types (named selections
// of features) and launch conditions.

#include <memory>
#include <string>

#include "database/components.h"
#include "database/condition_object.h"
#include "database/list_items.h"

namespace cv {

class TcvFeatures;

class TcvFeature : public TcvConditionObject {
  CV_XML_CLASS(TcvFeature, TcvConditionObject)

 public:
  using TcvConditionObject::TcvConditionObject;
  std::string ID;  // unique in the whole tree
  std::string Name;
  std::string Description;
  bool Required = false;  // cannot be deselected
  std::unique_ptr<TcvFeatures> Features;      // sub-features
  std::unique_ptr<TcvFeatures> Depends;       // references by ID
  std::unique_ptr<TcvFeatures> Excepts;       // references by ID
  std::unique_ptr<TcvComponents> Components;  // references by ID

  // Not published: the selection state.
  bool Selected = false;
  bool Partial = false;

  void CacheConditions(bool enable) override;
};

class TcvFeatures : public TcvConditionObjectList {
  CV_XML_CLASS(TcvFeatures, TcvConditionObjectList)

 public:
  using TcvConditionObjectList::TcvConditionObjectList;
  CV_XML_LIST_ITEMS_DECL
  TcvFeature* Feature(int index) const { return ItemAs<TcvFeature>(index); }
};

class TcvInstallType : public TcvConditionObject {
  CV_XML_CLASS(TcvInstallType, TcvConditionObject)

 public:
  using TcvConditionObject::TcvConditionObject;
  std::string ID;
  std::string Name;
  std::string Description;
  bool Default = false;  // applied when no other type is given
  bool Custom = false;
  std::unique_ptr<TcvFeatures> Features;  // references to the features it selects
};

class TcvInstallTypes : public TXMLObjectList {
  CV_XML_CLASS(TcvInstallTypes, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  CV_XML_LIST_ITEMS_DECL
  TcvInstallType* InstallType(int index) const { return ItemAs<TcvInstallType>(index); }

  // Not published: the type chosen last, one of the items; not owned.
  TcvInstallType* Active = nullptr;

  // Also forgets Active, whose object goes with the items.
  void Clear() override;
};

class TcvLaunchCondition : public TcvConditionObject {
  CV_XML_CLASS(TcvLaunchCondition, TcvConditionObject)

 public:
  using TcvConditionObject::TcvConditionObject;
  std::string Msg;  // shown when the condition does not hold
};

class TcvLaunchConditions : public TXMLObjectList {
  CV_XML_CLASS(TcvLaunchConditions, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  CV_XML_LIST_ITEMS_DECL
  TcvLaunchCondition* LaunchCondition(int index) const { return ItemAs<TcvLaunchCondition>(index); }
};

}  // namespace cv
