#include "database/features.h"

namespace cv {

CV_XML_PROPERTIES(TcvFeature) {
  return {Published("ID", &TcvFeature::ID),
          Published("Name", &TcvFeature::Name),
          Published("Description", &TcvFeature::Description),
          Published("Required", &TcvFeature::Required),
          Published("Features", &TcvFeature::Features),
          Published("Depends", &TcvFeature::Depends),
          Published("Excepts", &TcvFeature::Excepts),
          Published("Components", &TcvFeature::Components)};
}

void TcvFeature::CacheConditions(bool enable) {
  TcvConditionObject::CacheConditions(enable);
  if (Features) Features->CacheConditions(enable);
}

CV_XML_PROPERTIES(TcvFeatures) { return {}; }
CV_XML_LIST_ITEMS(TcvFeatures, "feature", TcvFeature)

CV_XML_PROPERTIES(TcvInstallType) {
  return {Published("ID", &TcvInstallType::ID),
          Published("Name", &TcvInstallType::Name),
          Published("Description", &TcvInstallType::Description),
          Published("Default", &TcvInstallType::Default),
          Published("Custom", &TcvInstallType::Custom),
          Published("Features", &TcvInstallType::Features)};
}

CV_XML_PROPERTIES(TcvInstallTypes) { return {}; }
CV_XML_LIST_ITEMS(TcvInstallTypes, "installtype", TcvInstallType)

void TcvInstallTypes::Clear() {
  Active = nullptr;
  TXMLObjectList::Clear();
}

CV_XML_PROPERTIES(TcvLaunchCondition) { return {Published("Msg", &TcvLaunchCondition::Msg)}; }

CV_XML_PROPERTIES(TcvLaunchConditions) { return {}; }
CV_XML_LIST_ITEMS(TcvLaunchConditions, "launchcondition", TcvLaunchCondition)

}  // namespace cv
