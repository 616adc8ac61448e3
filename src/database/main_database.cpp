#include "database/main_database.h"

namespace cv {

namespace {
TcvMainDatabase* mainDatabase = nullptr;  // not owned
}  // namespace

TcvMainDatabase* MainDatabase() { return mainDatabase; }
void SetMainDatabase(TcvMainDatabase* database) { mainDatabase = database; }

CV_XML_PROPERTIES(TcvMainDatabase) {
  return {Published("Version", &TcvMainDatabase::Version),
          Published("Password", &TcvMainDatabase::Password),
          Published("TempFontsPath", &TcvMainDatabase::TempFontsPath),
          Published("TempGACPath", &TcvMainDatabase::TempGACPath),
          Published("TempBackupPath", &TcvMainDatabase::TempBackupPath),
          Published("InstallStateData", &TcvMainDatabase::InstallStateData),
          Published("ActiveInstallType", &TcvMainDatabase::ActiveInstallType),
          Published("InstallState", &TcvMainDatabase::InstallState),
          Published("RebootOnFinish", &TcvMainDatabase::RebootOnFinish),
          Published("Variables", &TcvMainDatabase::Variables),
          Published("Packages", &TcvMainDatabase::Packages),
          Published("Components", &TcvMainDatabase::Components),
          Published("Features", &TcvMainDatabase::Features),
          Published("InstallTypes", &TcvMainDatabase::InstallTypes),
          Published("LaunchConditions", &TcvMainDatabase::LaunchConditions),
          Published("Events", &TcvMainDatabase::Events),
          Published("Languages", &TcvMainDatabase::Languages)};
}

CV_XML_PROPERTIES(TcvSilentSettings) {
  return {Published("ActiveInstallType", &TcvSilentSettings::ActiveInstallType),
          Published("Variables", &TcvSilentSettings::Variables),
          Published("Features", &TcvSilentSettings::Features)};
}

}  // namespace cv
