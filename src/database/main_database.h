#pragma once
// The project database: the root of the object tree that describes one
// installation, and the silent-settings document.

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "database/components.h"
#include "database/event_actions.h"
#include "database/features.h"
#include "database/language_tables.h"
#include "database/packages.h"
#include "database/project_enums.h"
#include "database/variables.h"
#include "platform/case_map.h"

namespace cv {

class TcvMainDatabase : public TXMLObject {
  CV_XML_CLASS(TcvMainDatabase, TXMLObject)

 public:
  using TXMLObject::TXMLObject;
  std::string Version;   // not interpreted
  std::string Password;  // entered by the user
  std::string TempFontsPath;
  std::string TempGACPath;
  std::string TempBackupPath;
  std::string InstallStateData;
  std::string ActiveInstallType;  // ID of the chosen install type
  TcvInstallState InstallState = TcvInstallState::isUnknown;
  bool RebootOnFinish = false;
  std::unique_ptr<TcvVariables> Variables;
  std::unique_ptr<TcvPackages> Packages;
  std::unique_ptr<TcvComponents> Components;
  std::unique_ptr<TcvFeatures> Features;
  std::unique_ptr<TcvInstallTypes> InstallTypes;
  std::unique_ptr<TcvLaunchConditions> LaunchConditions;
  std::unique_ptr<TcvEvents> Events;
  std::unique_ptr<TcvLngTables> Languages;

  // Not published. IDs of the features whose state a plug-in set, sorted,
  // ignoring case and duplicates.
  std::set<std::string, TextLessNoCase> UserFeatures;
  std::function<void(TcvInstallType&)> OnInstallTypeChange;
  std::function<void(TcvFeature&)> OnFeatureChange;
};

// The project database of this run, for code that is handed no database (a
// missing database means this one). The engine owns it and sets it at
// start-up; null before that and after it is freed.
TcvMainDatabase* MainDatabase();
void SetMainDatabase(TcvMainDatabase* database);

// The root element the database is saved under for a resume.
inline constexpr std::string_view kProjectRootName = "cv2project";

class TcvSilentSettings : public TXMLObject {
  CV_XML_CLASS(TcvSilentSettings, TXMLObject)

 public:
  using TXMLObject::TXMLObject;
  std::string ActiveInstallType;
  std::unique_ptr<TcvVariables> Variables;
  std::unique_ptr<TcvFeatures> Features;  // references to the fully selected features
};

inline constexpr std::string_view kSilentSettingsRootName = "silentsettings";

}  // namespace cv
