#pragma once
// The main flow's choices on the loaded project: the install type and
// features a run starts with, the launch conditions, which components are
// installed and from which packages, and where their files go.

#include <string>

#include "database/main_database.h"

namespace cv {

// A fresh run's selection: the silent settings' install type, else the first
// enabled default one, else the first; without install types, every enabled
// feature.
void SelectInstallTypeAndFeatures(TcvMainDatabase& database, const TcvSilentSettings& silent);
// Selects every feature the silent settings list.
void SelectSilentFeatures(TcvMainDatabase& database, const TcvSilentSettings& silent);

// A repair with the settings the installation stored: a run that is not
// silent becomes silent without questions (SilentMode 2), the install type
// they name becomes the active one (none when the project has no such type)
// and every feature they list is selected.
void ApplyRepairSettings(TcvMainDatabase& database, const TcvSilentSettings& silent);

// A resumed run: the install type named by ActiveInstallType becomes the
// active one again (none when there is no such type), the selection as saved.
void RestoreActiveInstallType(TcvMainDatabase& database);
// Activates the install type named by ActiveInstallType again, so that its
// texts follow a newly chosen language.
void ReactivateInstallType(TcvMainDatabase& database);

// The first launch condition that does not hold; `message` receives its
// text (references not yet expanded). False when all hold.
bool FailedLaunchCondition(TcvMainDatabase& database, std::string& message);

// Marks the components of the selected features (or, without features,
// every enabled component), gives those without a package the setup file's
// own, and removes the others from the list. False with `missing` naming a
// feature's component that does not exist.
bool MarkComponentsToInstall(TcvMainDatabase& database, const std::string& setupFileName,
                             std::string& missing);

// Marks the packages that hold a component to install as needed and drops
// the other packages (the main one always stays). False with `missing`
// naming a component's package that does not exist.
bool AssignComponentPackages(TcvMainDatabase& database, std::string& missing);

// Each component takes over the full definition its package's database
// holds for it.
void TakeOverPackageComponents(TcvMainDatabase& database);

// Every file's destination becomes its component's folder ("%InstallPath%"
// when the component names none) followed by the file's own.
void SetFileDestinations(TcvMainDatabase& database);

}  // namespace cv
